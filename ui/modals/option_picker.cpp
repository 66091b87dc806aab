#include "ui/modals/option_picker.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"

namespace {

constexpr double kRowsTop = 168;
constexpr double kRowHeight = 56;
constexpr double kBottomMargin = 24;

int OptionCount(const OptionPicker& picker) { return static_cast<int>(picker.options.size()); }

}  // namespace

OptionPicker MakePicker(std::u16string title, std::vector<std::u16string> options, int highlighted, uint64_t nowMs) {
  OptionPicker picker;
  picker.title = std::move(title);
  picker.options = std::move(options);
  picker.index = highlighted >= 0 && highlighted < OptionCount(picker) ? highlighted : 0;
  picker.clickGuardUntilMs = nowMs + kPickerClickGuardMs;
  return picker;
}

PickerResult PickerOnKey(OptionPicker& picker, int vk) {
  const int last = std::max(0, OptionCount(picker) - 1);
  switch (vk) {
    case Vk::Escape: return PickerResult::Cancelled;
    case Vk::Up: picker.index = std::clamp(picker.index - 1, 0, last); break;
    case Vk::Down: picker.index = std::clamp(picker.index + 1, 0, last); break;
    case Vk::Return: return picker.options.empty() ? PickerResult::Cancelled : PickerResult::Chosen;
    default: break;
  }
  return PickerResult::Open;
}

PickerResult PickerOnClick(OptionPicker& picker, double x, double y, double width, double height, uint64_t nowMs) {
  if (nowMs < picker.clickGuardUntilMs) return PickerResult::Open;
  const int option = PickerHitTest(picker, x, y, width, height);
  if (option < 0) return PickerResult::Open;
  picker.index = option;
  return PickerResult::Chosen;
}

int PickerVisibleRows(double height) { return DesignRowsThatFit(height, kRowsTop, kRowHeight, kBottomMargin); }

RectF PickerRowRect(int slot, double width, double height) {
  const double top = DesignY(kRowsTop + slot * kRowHeight, height);
  return RectF{DesignX(72, width), top, width - DesignX(72, width), top + DesignY(kRowHeight, height)};
}

int ScrolledFirst(int first, int index, int visible) {
  if (index < first) first = index;
  if (index >= first + visible) first = index - visible + 1;
  return std::max(0, first);
}

int PickerHitTest(const OptionPicker& picker, double x, double y, double width, double height) {
  const int visible = PickerVisibleRows(height);
  const int first = ScrolledFirst(picker.first, picker.index, visible);
  for (int slot = 0; slot < visible && first + slot < OptionCount(picker); ++slot) {
    if (PickerRowRect(slot, width, height).Contains(x, y)) return first + slot;
  }
  return -1;
}

void PaintOptionPicker(RenderResources& res, const OptionPicker& picker) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, 0, W, H}, Rgba{0.05, 0.05, 0.07, 1});
  res.DrawTrimmedLine(FontId::Title, picker.title, RectF{res.X(72), res.Y(36), W - res.X(72), res.Y(110)},
                      brush.Accent);
  // The hint goes below the title's line, whatever the title's size.
  const double hintTop = std::max(res.Y(110), res.Y(36) + res.MeasureText(FontId::Title, u"Ag").second);
  res.DrawTrimmed(FontId::Hint, Translate("pick_hint"), RectF{res.X(72), hintTop, W - res.X(72), hintTop + res.Y(38)},
                  brush.Dim);

  const int visible = PickerVisibleRows(H);
  picker.first = ScrolledFirst(picker.first, picker.index, visible);
  const bool multi = picker.checked.size() == picker.options.size() && !picker.checked.empty();
  for (int slot = 0; slot < visible && picker.first + slot < OptionCount(picker); ++slot) {
    const int option = picker.first + slot;
    const RectF row = PickerRowRect(slot, W, H);
    const bool selected = option == picker.index;
    if (selected) res.FillRect(RectF{row.left, row.top + 4, row.right, row.bottom - 4}, brush.Blue);
    std::u16string text = multi ? (picker.checked[option] ? u"[x]  " : u"[ ]  ") : u"";
    text += picker.options[option];
    res.DrawTrimmedLine(FontId::Label, text, RectF{res.X(96), row.top, row.right - 8, row.bottom},
                        selected ? ReadableOn(brush.Blue) : brush.White, kAlignLeadingCentered);
  }
  res.DrawScrollbar(W - res.X(72) + 8, PickerRowRect(0, W, H).top, PickerRowRect(visible, W, H).top, picker.first,
                    visible, OptionCount(picker));
}

void PickerModal::OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) {
  if (event.kind != PointerEvent::Kind::Up) return;
  Finish(PickerOnClick(picker_, event.x, event.y, width, height, nowMs));
}

int OpenPicker(ModalSlot& slot, std::u16string title, std::vector<std::u16string> options, int highlighted) {
  if (options.empty()) return -1;
  PickerModal modal(MakePicker(std::move(title), std::move(options), highlighted, TickMs()));
  if (!slot.Run(modal)) return -1;
  return modal.Choice();
}
