#include "ui/modals/speed_test_panel.h"

#include <algorithm>

#include "platform/virtual_keys.h"
#include "i18n/translate.h"

namespace {

constexpr int kPageLines = 8;
constexpr int kWheelLines = 3;
constexpr double kLineHeight = 28;

// Lines grow with the text on windows taller than the design's 1080 (below
// it the text shrinks and 28 still holds a line).
double LineHeight(double height) { return kLineHeight * std::max(1.0, height / 1080.0); }

}  // namespace

int SpeedFocusMove(int focus, int vk) {
  switch (vk) {
    case Vk::Left: return (focus + kSpeedButtonCount - 1) % kSpeedButtonCount;
    case Vk::Right:
    case Vk::Tab: return (focus + 1) % kSpeedButtonCount;
    case Vk::Down: return focus == 0 ? 1 : focus;
    case Vk::Up: return 0;
    default: return focus;
  }
}

RectF SpeedButtonRect(int item, double width, double height) {
  if (item <= 0) return DesignRect(54, 54, 144, 144, width, height);
  const double buttonWidth = (width - 16 - 16 - 20) / 3;
  const double left = 16 + (item - 1) * (buttonWidth + 10);
  return RectF{left, DesignY(160, height), left + buttonWidth, DesignY(232, height)};
}

RectF SpeedReportRect(double width, double height) {
  return RectF{16, DesignY(248, height), width - 16, height - 16};
}

int SpeedVisibleLines(double height) {
  const RectF box = SpeedReportRect(1, height);
  return std::max(4, static_cast<int>((box.Height() - 16) / LineHeight(height)));
}

void PaintSpeedTestPanel(RenderResources& res, const SpeedReport& report, int focus) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, 0, W, H}, Rgba{0.05, 0.05, 0.07, 1});

  const RectF back = SpeedButtonRect(0, W, H);
  res.FillRounded(back, 12, brush.Panel);
  res.StrokeRounded(back, 12, brush.Accent, focus == 0 ? 3 : 1.2);
  res.DrawSingleLine(FontId::Label, u"<", back, brush.White, kAlignCentered);

  std::u16string title(Translate("speed_test"));
  if (report.Running()) title += u"…";
  const double titleBottom = std::max(res.Y(110), res.Y(40) + res.MeasureText(FontId::Title, u"Ag").second);
  res.DrawTrimmed(FontId::Title, title, RectF{back.right + res.X(24), res.Y(40), W - 16, titleBottom}, brush.White,
                  kAlignLeadingCentered);

  static constexpr std::string_view kCaptions[] = {"speed_start", "speed_cache", "speed_wifi"};
  for (int item = 1; item < kSpeedButtonCount; ++item) {
    const RectF button = SpeedButtonRect(item, W, H);
    res.FillRounded(button, 14, Rgba{0.18, 0.16, 0.08, 1});
    res.StrokeRounded(button, 14, brush.Accent, focus == item ? 3 : 1.5);
    res.DrawTrimmed(FontId::Label, Translate(kCaptions[item - 1]),
                    RectF{button.left + 8, button.top + 8, button.right - 8, button.bottom - 8}, brush.White,
                    kAlignCentered);
  }

  const RectF box = SpeedReportRect(W, H);
  res.FillRounded(box, 12, Rgba{0.08, 0.08, 0.10, 1});
  std::vector<std::u16string> lines = report.Lines();
  if (lines.empty()) lines.emplace_back(Translate("speed_hint"));
  const int visible = SpeedVisibleLines(H);
  const int first = ClampReportScroll(report.ScrollOffset(), static_cast<int>(lines.size()), visible);
  res.Target().PushClip(box);
  for (int i = 0; i < visible && first + i < static_cast<int>(lines.size()); ++i) {
    const double line = LineHeight(H);
    const double top = box.top + 8 + i * line;
    res.DrawSingleLine(FontId::Hint, lines[first + i], RectF{box.left + 16, top, box.right - 16, top + line},
                       brush.White, kAlignLeadingCentered);
  }
  res.Target().PopClip();
}

void SpeedTestModal::Paint(RenderResources& res) const {
  visibleLines_ = SpeedVisibleLines(res.Height());
  PaintSpeedTestPanel(res, *report_, focus_);
}

void SpeedTestModal::Scroll(int lines) {
  // Never past the last page, so PageUp answers at once after a PageDown
  // at the end.
  const int count = static_cast<int>(report_->Lines().size());
  const int target = ClampReportScroll(report_->ScrollOffset() + lines, count, visibleLines_);
  report_->ScrollBy(target - report_->ScrollOffset());
}

void SpeedTestModal::Activate(int item) {
  switch (item) {
    case 0: done_ = true; break;
    case 1: actions_.StartSpeedTest(); break;
    case 2: actions_.ClearCache(); break;
    case 3: AppendWifiAdvice(*report_); break;
    default: break;
  }
}

void SpeedTestModal::OnKey(int vk) {
  switch (vk) {
    case Vk::Escape: done_ = true; return;
    case Vk::PageUp: Scroll(-kPageLines); return;
    case Vk::PageDown: Scroll(kPageLines); return;
    case Vk::Return: Activate(focus_); return;
    default: focus_ = SpeedFocusMove(focus_, vk); return;
  }
}

void SpeedTestModal::OnPointer(const PointerEvent& event, int width, int height, uint64_t /*nowMs*/) {
  if (event.kind == PointerEvent::Kind::Wheel) {
    Scroll(event.wheelNotches > 0 ? -kWheelLines : kWheelLines);
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  for (int item = 0; item < kSpeedButtonCount; ++item) {
    if (!SpeedButtonRect(item, width, height).Contains(event.x, event.y)) continue;
    focus_ = item;
    Activate(item);
    return;
  }
}

void OpenSpeedTestPanel(ModalSlot& slot, AppState& state, ContentActions& actions) {
  SpeedTestModal modal(state.speedReport, actions);
  slot.Run(modal);
}
