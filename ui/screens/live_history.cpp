#include "ui/screens/live_history.h"

#include <algorithm>

#include "catalog/visible_list.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "ui/nav/navigator.h"
#include "ui/screens/browse_frame.h"
#include "ui/screens/live_actions.h"

namespace {

constexpr double kRowsTop = 162, kRowHeight = 56, kRowsLeft = 40;  // design units

int Count(const AppState& state) { return static_cast<int>(state.LiveHistoryChannels.size()); }

int Clamped(int index, int count) { return std::clamp(index, 0, std::max(0, count - 1)); }

void Open(ScreenContext& ctx, int index) {
  if (index < 0 || index >= Count(ctx.state)) return;
  const std::u16string id(ctx.state.LiveHistoryChannels[size_t(index)].id());
  ShowRecentChannel(ctx, id);
}

}  // namespace

RectF CatchupHeaderNoticeRect(double width, double height) {
  return DesignRect(1220, 30, 1888, 110, width, height);
}

RectF LiveHistoryRowRect(int slot, double width, double height) {
  const double top = DesignY(kRowsTop + slot * kRowHeight, height);
  return RectF{DesignX(kRowsLeft, width), top, width - DesignX(32, width), top + DesignY(kRowHeight - 4, height)};
}

int LiveHistoryVisibleRows(double height) {
  return std::max(1, static_cast<int>((height - DesignY(kRowsTop, height) - 20) / DesignY(kRowHeight, height)));
}

int LiveHistoryFirstRow(const AppState& state, double height) {
  const int visible = LiveHistoryVisibleRows(height);
  return ClampFirst(KeepInView(0, Clamped(state.nav.ListIndex, Count(state)), visible), visible, Count(state));
}

void PrepareLiveHistory(RenderResources& res, const AppState& state, int width, int height) {
  (void)width;
  const int first = LiveHistoryFirstRow(state, height);
  const int end = std::min(Count(state), first + LiveHistoryVisibleRows(height));
  for (int i = first; i < end; ++i) res.IconFor(state.LiveHistoryChannels[size_t(i)]);
}

void PaintLiveHistory(RenderResources& res, const AppState& state) {
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.Clear(Rgba{0.04, 0.05, 0.08, 1});
  res.DrawBackButton(res.BackButtonRect());
  res.DrawTrimmedLine(FontId::Title, Translate("live_history"),
                      RectF{res.X(160), res.Y(30), CatchupHeaderNoticeRect(W, H).left - res.X(20), res.Y(110)}, brush.White,
                      kAlignLeadingCentered);
  res.FillRect(RectF{0, res.Y(130), W, res.Y(130) + 2}, Rgba{1, 1, 1, 0.25});
  const int total = Count(state);
  if (total == 0) {
    res.DrawTrimmedLine(FontId::Label, Translate("no_channels"), res.Design(kRowsLeft, 300, 1400, 380), brush.Dim,
                    kAlignLeadingCentered);
    return;
  }
  const int visible = LiveHistoryVisibleRows(H);
  const int first = LiveHistoryFirstRow(state, H);
  const int selected = Clamped(state.nav.ListIndex, total);
  for (int slot = 0; slot < visible && first + slot < total; ++slot) {
    const CatalogItem& channel = state.LiveHistoryChannels[size_t(first + slot)];
    const RectF row = LiveHistoryRowRect(slot, W, H);
    const bool focused = first + slot == selected;
    if (focused) res.FillRect(row, brush.Blue);
    const Rgba text = focused ? ReadableOn(brush.Blue) : brush.White;
    if (!channel.num().empty())
      res.DrawTrimmedLine(FontId::Hint, channel.num(),
                          RectF{row.left + res.X(16), row.top, row.left + res.X(100), row.bottom},
                          focused ? text : brush.Dim, kAlignLeadingCentered);
    if (const Picture* icon = res.IconFor(channel)) {
      const double side = row.Height() - res.Y(16);
      res.DrawPicture(icon, RectF{row.left + res.X(110), row.top + res.Y(8), row.left + res.X(110) + side,
                                  row.top + res.Y(8) + side});
    }
    res.DrawTrimmedLine(FontId::Row, CleanDisplayName(channel.name()),
                        RectF{row.left + res.X(180), row.top, row.right - res.X(16), row.bottom}, text,
                        kAlignLeadingCentered);
  }
  res.DrawScrollbar(W - res.X(28), LiveHistoryRowRect(0, W, H).top, LiveHistoryRowRect(visible - 1, W, H).bottom,
                    first, visible, total);
}

void LiveHistoryKey(ScreenContext& ctx, int vk) {
  int& index = ctx.state.nav.ListIndex;
  const int count = Count(ctx.state);
  if (vk == Vk::Down) index = Clamped(index + 1, count);
  if (vk == Vk::Up) index = Clamped(index - 1, count);
  if (vk == Vk::Return) Open(ctx, index);
}

void LiveHistoryPointer(ScreenContext& ctx, const PointerEvent& event) {
  int& index = ctx.state.nav.ListIndex;
  const int count = Count(ctx.state);
  if (event.kind == PointerEvent::Kind::Wheel) {
    index = Clamped(index + (event.wheelNotches > 0 ? -1 : 1), count);
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  if (DesignRect(54, 24, 144, 114, ctx.width, ctx.height).Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(Screen::Live);
    return;
  }
  const int first = LiveHistoryFirstRow(ctx.state, ctx.height);
  const int visible = LiveHistoryVisibleRows(ctx.height);
  for (int slot = 0; slot < visible && first + slot < count; ++slot) {
    if (!LiveHistoryRowRect(slot, ctx.width, ctx.height).Contains(event.x, event.y)) continue;
    index = first + slot;
    Open(ctx, index);
    return;
  }
}
