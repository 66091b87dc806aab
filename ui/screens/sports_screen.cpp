#include "ui/screens/sports_screen.h"

#include <algorithm>

#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "ui/modals/option_picker.h"
#include "ui/nav/navigator.h"

namespace {

constexpr double kRowsTop = 150, kRowHeight = 56, kBottomMargin = 20;
constexpr double kTitleRight = 1200, kSubtitleRight = 1400;  // of 2400

int LineCount(const AppState& state) { return static_cast<int>(state.sports.lines.size()); }

}  // namespace

// Rows in 1080ths of the height, like the title above them: in pixels they
// ran under the title on a tall window.
int SportsVisibleRows(double height) { return DesignRowsThatFit(height, kRowsTop, kRowHeight, kBottomMargin); }

RectF SportsRowRect(int slot, double width, double height) {
  const double top = DesignY(kRowsTop + slot * kRowHeight, height);
  return RectF{WideX(32, width), top, width - WideX(32, width), top + DesignY(kRowHeight, height)};
}

RectF SportsNoticeRect(double width, double height) {
  return RectF{WideX(kSubtitleRight + 40, width), DesignY(30, height), width - WideX(32, width),
               DesignY(kRowsTop - 26, height)};
}

void PaintSports(RenderResources& res, const AppState& state) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.Clear(Rgba{0.04, 0.05, 0.08, 1});
  res.DrawBackButton(res.BackButtonRect());
  const std::u16string& header = state.sports.header;
  res.DrawTrimmed(FontId::Title, header.empty() ? MenuWord(CurrentLanguage(), kMenuSports) : std::u16string_view(header),
                  RectF{res.X(160), res.Y(24), res.WX(kTitleRight), res.Y(90)}, brush.Accent, kAlignLeadingCentered);
  res.DrawTrimmed(FontId::Hint, Translate("sports_subtitle"),
                  RectF{res.X(160), res.Y(86), res.WX(kSubtitleRight), res.Y(128)}, brush.Dim, kAlignLeadingCentered);

  const int total = LineCount(state);
  if (total == 0) {
    if (state.flags.SportsBusy)
      res.DrawTrimmed(FontId::Row, Translate("sports_loading"), RectF{res.WX(32), res.Y(160), res.WX(1400), res.Y(220)},
                      brush.White, kAlignLeadingCentered);
    return;
  }
  const int visible = SportsVisibleRows(H);
  const int selected = std::clamp(state.nav.ListIndex, 0, total - 1);
  const int first = ScrolledFirst(0, selected, visible);
  for (int slot = 0; slot < visible && first + slot < total; ++slot) {
    const RectF row = SportsRowRect(slot, W, H);
    const bool focused = first + slot == selected;
    if (focused) res.FillRect(RectF{row.left, row.top + 2, row.right, row.bottom - 2}, brush.Blue);
    res.DrawTrimmedLine(FontId::Row, state.sports.lines[first + slot],
                        RectF{row.left + 16, row.top, row.right - 16, row.bottom},
                        focused ? ReadableOn(brush.Blue) : brush.White, kAlignLeadingCentered);
  }
  res.DrawScrollbar(W - res.WX(32) + 4, SportsRowRect(0, W, H).top, SportsRowRect(visible, W, H).top, first, visible,
                    total);
}

void SportsScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintSports(res, state);
}

RectF SportsScreen::NoticeRect(const AppState& /*state*/, int width, int height) const {
  return SportsNoticeRect(width, height);
}

void SportsScreen::OnKey(ScreenContext& ctx, int vk) {
  const int last = std::max(0, LineCount(ctx.state) - 1);
  int& index = ctx.state.nav.ListIndex;
  if (vk == Vk::Down) index = std::clamp(index + 1, 0, last);
  if (vk == Vk::Up) index = std::clamp(index - 1, 0, last);
}

void SportsScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  const int last = std::max(0, LineCount(ctx.state) - 1);
  int& index = ctx.state.nav.ListIndex;
  if (event.kind == PointerEvent::Kind::Wheel) {
    index = std::clamp(index + (event.wheelNotches > 0 ? -1 : 1), 0, last);
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  if (DesignRect(54, 24, 144, 114, ctx.width, ctx.height).Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(Screen::Home);
    return;
  }
  const int visible = SportsVisibleRows(ctx.height);
  const int first = ScrolledFirst(0, std::clamp(index, 0, last), visible);
  for (int slot = 0; slot < visible && first + slot <= last && LineCount(ctx.state) > 0; ++slot) {
    if (SportsRowRect(slot, ctx.width, ctx.height).Contains(event.x, event.y)) index = first + slot;
  }
}

void SportsScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) {
  ctx.state.nav.ListIndex = 0;
  ctx.content.StartSportsFetch();
}

ScreenHelp SportsScreen::Help(const AppState& /*state*/) const {
  return {nullptr, {{{Vk::Up, Vk::Down}, "help_move"}}};
}
