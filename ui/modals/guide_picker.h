#pragma once
// The "Assign guide" picker: the guide channels a live channel may take its
// programmes from, full-surface like the option picker. A title naming the
// channel, a search line, then the list: "No guide for this channel", "Find
// the guide by name" (only while the user has a choice of their own, which
// it forgets), the suggested guide channels (marked), then all the others
// in their given order. Each guide channel shows its name, its source small
// at the right and the programme on now below.
//
// Typed characters filter the guide channels to those whose name contains
// the text, ignoring case and accents; the fixed rows show only while the
// filter is empty, so typing a name and pressing Enter takes the first
// match. A big guide has 20,000 channels and more: the names are folded
// once when the picker opens, a keystroke is one scan of them, and only the
// visible rows are painted.
//
// Main thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/modals/modal_slot.h"
#include "ui/modals/option_picker.h"
#include "ui/render/render_resources.h"

struct GuidePickerRow {
  std::u16string name;   // the guide channel's display name
  std::u16string onNow;  // "20:00  News at Eight", or empty
  std::u16string source; // which guide: "Provider" or a host name
  bool suggested = false;  // a likely match for the channel
};

struct GuidePickerAsk {
  std::u16string channelName;
  std::vector<GuidePickerRow> rows;
  // The row the channel takes its guide from now, or -1. With hasChoice
  // and no row, the user's choice is no guide.
  int current = -1;
  bool hasChoice = false;  // the user chose; false: the guide id or a match decided
};

struct GuidePickerAnswer {
  enum Kind { Cancelled, NoGuide, ByName, Row } kind = Cancelled;
  int row = -1;  // Row: the index into the ask's rows
};

// An entry of the shown list: a row index, or one of the fixed rows.
constexpr int kGuideEntryNoGuide = -1;
constexpr int kGuideEntryByName = -2;
// The filter is a few words; longer typing is ignored.
constexpr size_t kGuideFilterMaxLength = 100;

struct GuidePicker {
  GuidePickerAsk ask;
  std::string folded;            // every row's folded name, each ended by '\n', in row order
  std::vector<uint32_t> starts;  // where each row's part of `folded` begins, and its end
  std::vector<int> ranked;       // the rows in list order: suggested first, then the others
  std::u16string filter;         // as typed
  std::vector<int> shown;        // the entries listed for the filter
  int index = 0;                 // the highlighted entry of `shown`
  // First visible entry and the number of rows that fit, kept by the
  // painter (the highlight stays in view; Page Up/Down move by a page) and
  // read by the hit test, so clicks land on the rows drawn.
  mutable int first = 0;
  mutable int page = 10;
  uint64_t clickGuardUntilMs = 0;  // clicks before this tick are ignored
};

// A picker opened at `nowMs` with the current choice highlighted: the
// `current` row, else "No guide" when the user chose none, else the first
// suggested row, else the first entry.
GuidePicker MakeGuidePicker(GuidePickerAsk ask, uint64_t nowMs);

// Esc cancels; Enter chooses the highlighted entry (nothing while no entry
// is listed); Up/Down move by one, Page Up/Down by a page, Home/End to the
// ends, all clamped; Backspace deletes the filter's last character.
PickerResult GuidePickerOnKey(GuidePicker& picker, int vk);
// Adds a printable character to the filter. True when it was taken.
bool GuidePickerOnChar(GuidePicker& picker, char16_t ch);
// A click (button release) on a drawn entry after the click guard
// highlights and chooses it; the wheel moves the highlight three rows a
// notch.
PickerResult GuidePickerOnPointer(GuidePicker& picker, const PointerEvent& event, double width, double height,
                                  uint64_t nowMs);
// What the highlighted entry answers when chosen; Cancelled otherwise.
GuidePickerAnswer GuidePickerAnswerOf(const GuidePicker& picker, PickerResult result);

// Rows are 80 high from y = 252 (of 1080), as many as fit above a bottom
// margin of 24, at least one.
int GuidePickerVisibleRows(double height);
RectF GuidePickerRowRect(int slot, double width, double height);
RectF GuidePickerSearchRect(double width, double height);
// The entry (an index into `shown`) under (x, y), or -1.
int GuidePickerHitTest(const GuidePicker& picker, double x, double y, double width, double height);

void PaintGuidePicker(RenderResources& res, const GuidePicker& picker);

class GuidePickerModal final : public Modal {
 public:
  explicit GuidePickerModal(GuidePicker picker) : picker_(std::move(picker)) {}
  void OnKey(int vk) override { Finish(GuidePickerOnKey(picker_, vk)); }
  void OnChar(char16_t ch) override { GuidePickerOnChar(picker_, ch); }
  void OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) override {
    Finish(GuidePickerOnPointer(picker_, event, width, height, nowMs));
  }
  void Paint(RenderResources& res) const override { PaintGuidePicker(res, picker_); }
  bool Done() const override { return result_ != PickerResult::Open; }
  void Cancel() override { result_ = PickerResult::Cancelled; }
  GuidePickerAnswer Answer() const { return GuidePickerAnswerOf(picker_, result_); }

 private:
  void Finish(PickerResult result) {
    if (result != PickerResult::Open) result_ = result;
  }
  GuidePicker picker_;
  PickerResult result_ = PickerResult::Open;
};

// Shows the picker and returns the answer; Cancelled when it was cancelled
// (Esc, a screen change, the program quitting) or could not be shown.
GuidePickerAnswer OpenGuidePicker(ModalSlot& slot, GuidePickerAsk ask);
