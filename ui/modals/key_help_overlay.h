#pragma once
// The key help: a sheet over the whole window listing the keys of the
// current screen and the keys every screen shares, as texts already in the
// user's language (the screens build them: ui/screens/key_help.h). The lines
// run down the left column, then down the right one; when they do not fit,
// Up/Down scroll them by a line and Page Up/Down by a column. Esc, Backspace,
// Enter, F1 and "?" close it, as does a click after the click guard (the
// click or key that opened it never closes it). Main thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/modals/modal_slot.h"
#include "ui/render/render_resources.h"

struct KeyHelpLine {
  std::u16string keys;  // empty on a heading
  std::u16string text;
};

struct KeyHelpSheet {
  std::u16string title;
  std::vector<KeyHelpLine> lines;
  int first = 0;  // the first line shown
  // Lines per column at the last paint (the painter stores it, as the window
  // may have changed size), so the scrolling keys move by what is drawn;
  // 0 before the first paint, when they do nothing.
  mutable int rowsPerColumn = 0;
  uint64_t clickGuardUntilMs = 0;
};

// How many lines one column holds in a window `height` high (at least one).
int KeyHelpRowsPerColumn(double height);
// The rectangle of the shown line `slot`: 0..rows-1 down the left column,
// rows..2*rows-1 down the right one.
RectF KeyHelpLineRect(int slot, double width, double height);
// Where each line goes when the lines from `first` are shown in columns of
// `rows`: its slot, or -1 when it is not shown. The lines follow each other,
// except that a heading whose section (it and the lines up to the next
// heading) would break across the columns starts the right column instead,
// when the section fits there.
std::vector<int> KeyHelpSlots(const KeyHelpSheet& sheet, int first, int rows);
// The smallest `first` that shows the last line (0 when all lines fit).
int KeyHelpLastFirst(const KeyHelpSheet& sheet, int rows);

// True when the key closes the sheet; the scrolling keys move `first`
// within 0..KeyHelpLastFirst.
bool KeyHelpOnKey(KeyHelpSheet& sheet, int vk);

void PaintKeyHelp(RenderResources& res, const KeyHelpSheet& sheet);

class KeyHelpModal final : public Modal {
 public:
  explicit KeyHelpModal(KeyHelpSheet sheet) : sheet_(std::move(sheet)) {}
  void OnKey(int vk) override { done_ = done_ || KeyHelpOnKey(sheet_, vk); }
  void OnChar(char16_t ch) override { done_ = done_ || ch == u'?'; }
  void OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) override;
  void Paint(RenderResources& res) const override { PaintKeyHelp(res, sheet_); }
  bool Done() const override { return done_; }
  void Cancel() override { done_ = true; }
  const KeyHelpSheet& Sheet() const { return sheet_; }

 private:
  KeyHelpSheet sheet_;
  bool done_ = false;
};

// Shows the sheet until it is closed; opened at `nowMs` (the click guard
// starts there). False when the slot was taken.
bool ShowKeyHelp(ModalSlot& slot, KeyHelpSheet sheet, uint64_t nowMs);
