#pragma once
// The option picker: a full-surface list of options with a title and the
// Enter/Esc hint, answered with Up/Down/Enter/Esc or a click on a row. The
// same painter serves multi-select rows (each option marked "[x]" or "[ ]"),
// which the hide-categories picker uses.
//
// A click is taken only after the click guard: the click that opened the
// picker (or one arriving within 400 ms of it) never chooses an option.
// Main thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/modals/modal_slot.h"
#include "ui/render/render_resources.h"

constexpr uint64_t kPickerClickGuardMs = 400;

struct OptionPicker {
  std::u16string title;
  std::vector<std::u16string> options;
  std::vector<bool> checked;  // empty: single choice; else one flag per option
  int index = 0;              // the highlighted option
  // First visible row; the painter keeps the highlight in view and stores
  // it back, and the hit test reads it, so clicks land on the rows drawn.
  mutable int first = 0;
  uint64_t clickGuardUntilMs = 0;  // clicks before this tick are ignored
};

// A picker opened at `nowMs` with `highlighted` when it is a valid index,
// else option 0.
OptionPicker MakePicker(std::u16string title, std::vector<std::u16string> options, int highlighted, uint64_t nowMs);

enum class PickerResult { Open, Chosen, Cancelled };

// Esc cancels; Up and Down move the highlight by one, clamped; Enter
// chooses. Every other key is ignored.
PickerResult PickerOnKey(OptionPicker& picker, int vk);
// A click (button release) at (x, y) of a width x height surface: on a
// drawn row after the guard it highlights and chooses that row; otherwise
// nothing happens.
PickerResult PickerOnClick(OptionPicker& picker, double x, double y, double width, double height, uint64_t nowMs);

// Rows are 56 pixels high from y = 168 (on a window higher than 1080, these
// and the 24-pixel bottom margin grow with it); as many as fit above the
// margin, at least one.
int PickerVisibleRows(double height);
// The rectangle of the visible row `slot` (0 = the first visible one).
RectF PickerRowRect(int slot, double width, double height);
// The option under (x, y), or -1.
int PickerHitTest(const OptionPicker& picker, double x, double y, double width, double height);
// The scrolling rule: the first visible row that keeps `index` in view.
int ScrolledFirst(int first, int index, int visible);

void PaintOptionPicker(RenderResources& res, const OptionPicker& picker);

class PickerModal final : public Modal {
 public:
  explicit PickerModal(OptionPicker picker) : picker_(std::move(picker)) {}
  void OnKey(int vk) override { Finish(PickerOnKey(picker_, vk)); }
  void OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) override;
  void Paint(RenderResources& res) const override { PaintOptionPicker(res, picker_); }
  bool Done() const override { return result_ != PickerResult::Open; }
  void Cancel() override { result_ = PickerResult::Cancelled; }
  // The chosen option, or -1.
  int Choice() const { return result_ == PickerResult::Chosen ? picker_.index : -1; }

 private:
  void Finish(PickerResult result) {
    if (result != PickerResult::Open) result_ = result;
  }
  OptionPicker picker_;
  PickerResult result_ = PickerResult::Open;
};

// Shows the options and returns the chosen index, or -1 when cancelled,
// when `options` is empty (nothing is shown) or when the picker could not
// be shown.
int OpenPicker(ModalSlot& slot, std::u16string title, std::vector<std::u16string> options, int highlighted);
