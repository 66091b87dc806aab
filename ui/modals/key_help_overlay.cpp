#include "ui/modals/key_help_overlay.h"

#include <algorithm>

#include "i18n/translate.h"
#include "platform/virtual_keys.h"

namespace {

constexpr double kLinesTop = 176;
constexpr double kLineHeight = 40;
constexpr double kBottomMargin = 40;
constexpr double kMargin = 56;     // left and right, of the design width
constexpr double kColumnGap = 40;
constexpr double kKeysShare = 0.28;  // of a column, for the keys (less a gap of 16)

int LineCount(const KeyHelpSheet& sheet) { return static_cast<int>(sheet.lines.size()); }

}  // namespace

int KeyHelpRowsPerColumn(double height) { return DesignRowsThatFit(height, kLinesTop, kLineHeight, kBottomMargin); }

RectF KeyHelpLineRect(int slot, double width, double height) {
  const int rows = KeyHelpRowsPerColumn(height);
  const int column = slot / rows;
  const double columnWidth = (width - DesignX(2 * kMargin + kColumnGap, width)) / 2;
  const double left = DesignX(kMargin, width) + column * (columnWidth + DesignX(kColumnGap, width));
  const double top = DesignY(kLinesTop + (slot % rows) * kLineHeight, height);
  return RectF{left, top, left + columnWidth, top + DesignY(kLineHeight, height)};
}

std::vector<int> KeyHelpSlots(const KeyHelpSheet& sheet, int first, int rows) {
  std::vector<int> slots(sheet.lines.size(), -1);
  int slot = 0;
  for (int i = std::max(0, first); i < LineCount(sheet) && slot < 2 * rows; ++i) {
    if (sheet.lines[size_t(i)].keys.empty() && slot % rows != 0) {
      int section = 1;
      while (i + section < LineCount(sheet) && !sheet.lines[size_t(i + section)].keys.empty()) ++section;
      if (slot % rows + section > rows && section <= rows && slot < rows) slot = rows;
    }
    slots[size_t(i)] = slot++;
  }
  return slots;
}

int KeyHelpLastFirst(const KeyHelpSheet& sheet, int rows) {
  for (int first = 0; first < LineCount(sheet); ++first) {
    if (KeyHelpSlots(sheet, first, rows).back() >= 0) return first;
  }
  return 0;
}

bool KeyHelpOnKey(KeyHelpSheet& sheet, int vk) {
  const int rows = sheet.rowsPerColumn;
  int step = 0;
  switch (vk) {
    case Vk::Escape:
    case Vk::Back:
    case Vk::Return:
    case Vk::F1: return true;
    case Vk::Up: step = -1; break;
    case Vk::Down: step = 1; break;
    case Vk::PageUp: step = -rows; break;
    case Vk::PageDown: step = rows; break;
    default: return false;
  }
  if (rows <= 0) return false;  // not painted yet: nothing to scroll by
  sheet.first = std::clamp(sheet.first + step, 0, KeyHelpLastFirst(sheet, rows));
  return false;
}

void PaintKeyHelp(RenderResources& res, const KeyHelpSheet& sheet) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, 0, W, H}, Rgba{0.05, 0.05, 0.07, 1});
  res.DrawTrimmedLine(FontId::Title, sheet.title, RectF{res.X(kMargin), res.Y(36), W - res.X(kMargin), res.Y(110)},
                      brush.Accent);
  const double hintTop = std::max(res.Y(110), res.Y(36) + res.MeasureText(FontId::Title, u"Ag").second);
  res.DrawTrimmed(FontId::Hint, Translate("help_hint"),
                  RectF{res.X(kMargin), hintTop, W - res.X(kMargin), hintTop + res.Y(38)}, brush.Dim);

  const int rows = KeyHelpRowsPerColumn(H);
  sheet.rowsPerColumn = rows;
  const int first = std::clamp(sheet.first, 0, KeyHelpLastFirst(sheet, rows));
  const std::vector<int> slots = KeyHelpSlots(sheet, first, rows);
  for (int i = first; i < LineCount(sheet) && slots[size_t(i)] >= 0; ++i) {
    const KeyHelpLine& line = sheet.lines[size_t(i)];
    const RectF box = KeyHelpLineRect(slots[size_t(i)], W, H);
    if (line.keys.empty()) {  // a heading: the rest is of another kind
      res.DrawTrimmedLine(FontId::Label, line.text, box, brush.Accent, kAlignLeadingCentered);
      res.FillRect(RectF{box.left, box.bottom - 3, box.right, box.bottom - 1}, brush.Dim);
      continue;
    }
    const double split = box.left + (box.right - box.left) * kKeysShare;
    res.DrawTrimmedLine(FontId::Row, line.keys, RectF{box.left, box.top, split - res.X(16), box.bottom},
                        brush.Accent, kAlignLeadingCentered);
    res.DrawTrimmedLine(FontId::Row, line.text, RectF{split, box.top, box.right, box.bottom}, brush.White,
                        kAlignLeadingCentered);
  }
  if (KeyHelpLastFirst(sheet, rows) > 0) {
    res.DrawScrollbar(W - res.X(kMargin) + 8, KeyHelpLineRect(0, W, H).top, KeyHelpLineRect(rows - 1, W, H).bottom,
                      first, 2 * rows, LineCount(sheet));
  }
}

void KeyHelpModal::OnPointer(const PointerEvent& event, int /*width*/, int /*height*/, uint64_t nowMs) {
  if (event.kind == PointerEvent::Kind::Wheel) {
    KeyHelpOnKey(sheet_, event.wheelNotches > 0 ? Vk::Up : Vk::Down);
    return;
  }
  if (event.kind == PointerEvent::Kind::Up && nowMs >= sheet_.clickGuardUntilMs) done_ = true;
}

bool ShowKeyHelp(ModalSlot& slot, KeyHelpSheet sheet, uint64_t nowMs) {
  sheet.clickGuardUntilMs = nowMs + 400;
  KeyHelpModal modal(std::move(sheet));
  return slot.Run(modal);
}
