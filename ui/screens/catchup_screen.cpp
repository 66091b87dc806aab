#include "ui/screens/catchup_screen.h"

#include <algorithm>
#include <cstdio>

#include "catalog/guide.h"
#include "platform/date_format.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "ui/modals/option_picker.h"
#include "ui/nav/navigator.h"
#include "ui/screens/live_history.h"

namespace {

constexpr double kRowsTop = 162, kRowHeight = 56;
constexpr double kDaysRight = 420, kRowsLeft = 440;  // design x

const CatalogItem* SelectedChannel(const AppState& state) {
  const int index = state.nav.ChannelIndex;
  if (index < 0 || index >= static_cast<int>(state.VisibleLive.size())) return nullptr;
  return &state.VisibleLive[index];
}

// The programmes the store holds for the selected channel.
const std::vector<EpgEntry>& ChannelGuide(const AppState& state) {
  const CatalogItem* channel = SelectedChannel(state);
  return state.guide.RowsOf(channel ? channel->id() : std::u16string_view());
}

int RowCount(const AppState& state) { return static_cast<int>(CatchupRows(state, NowUnix()).size()); }

// The highlighted row: ListIndex, or the latest programme while it is below
// 0 (where a day's list opens, as the guide may arrive after the screen).
int SelectedRow(const AppState& state, int total) {
  if (total <= 0) return 0;
  const int index = state.nav.ListIndex;
  return index < 0 ? total - 1 : std::min(index, total - 1);
}

void MoveSelection(AppState& state, int delta) {
  const int total = RowCount(state);
  state.nav.ListIndex = std::clamp(SelectedRow(state, total) + delta, 0, std::max(0, total - 1));
}

void PlaySelectedProgramme(ScreenContext& ctx) {
  const std::vector<int32_t> rows = CatchupRows(ctx.state, NowUnix());
  if (rows.empty()) return;
  ctx.playback.PlayCatchup(rows[size_t(SelectedRow(ctx.state, static_cast<int>(rows.size())))]);
}

constexpr int kLatestRow = -1;

}  // namespace

std::vector<int32_t> CatchupRows(const AppState& state, int64_t nowUnix) {
  const std::vector<EpgEntry>& guide = ChannelGuide(state);
  std::vector<int32_t> rows = RowsForDay(guide, state.nav.CatchupDayOffset, nowUnix);
  std::erase_if(rows, [&](int32_t row) {
    const int64_t start = guide[size_t(row)].start;
    return start < 1 || start > nowUnix;
  });
  return rows;
}

std::u16string CatchupDayText(int64_t nowUnix, int daysBack, int language) {
  const LocalDate date = LocalDateDaysBack(nowUnix, daysBack);
  LocalTime local;
  local.year = date.year;
  local.month = date.month;
  local.day = date.day;
  local.hour = 12;
  std::u16string text = WeekdayDayMonthText(DateLocale(language), local);
  if (!text.empty()) return text;
  char fallback[16];
  std::snprintf(fallback, sizeof fallback, "%02d/%02d", date.day, date.month);
  return std::u16string(fallback, fallback + std::char_traits<char>::length(fallback));
}

RectF CatchupDayRect(int day, double width, double height) {
  const double top = kRowsTop + day * kRowHeight;
  return DesignRect(16, top, kDaysRight, top + kRowHeight - 4, width, height);
}

int CatchupVisibleRows(double height) {
  return std::max(1, static_cast<int>((height - DesignY(kRowsTop, height) - 20) / DesignY(kRowHeight, height)));
}

RectF CatchupRowRect(int slot, double width, double height) {
  const double top = DesignY(kRowsTop + slot * kRowHeight, height);
  return RectF{DesignX(kRowsLeft, width), top, width - DesignX(32, width), top + DesignY(kRowHeight - 4, height)};
}

void PaintCatchup(RenderResources& res, const AppState& state, int64_t nowUnix) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.Clear(Rgba{0.04, 0.05, 0.08, 1});
  res.DrawBackButton(res.BackButtonRect());
  // The title ends before the channel's icon.
  res.DrawTrimmedLine(FontId::Title, Translate("catchup"), res.Design(160, 30, 490, 110), brush.White,
                      kAlignLeadingCentered);
  if (const CatalogItem* channel = SelectedChannel(state)) {
    if (const Picture* icon = res.IconFor(*channel)) res.DrawPicture(icon, res.Design(500, 35, 575, 105));
    res.DrawTrimmedLine(FontId::Label, CleanDisplayName(channel->name()),
                        RectF{res.X(590), res.Y(30), CatchupHeaderNoticeRect(W, H).left - res.X(20), res.Y(110)}, brush.Accent, kAlignLeadingCentered);
  }
  res.FillRect(RectF{0, res.Y(130), W, res.Y(130) + 2}, Rgba{1, 1, 1, 0.25});

  const int language = CurrentLanguage();
  for (int day = 0; day < kCatchupDays; ++day) {
    const RectF row = CatchupDayRect(day, W, H);
    const bool selected = day == state.nav.CatchupDayOffset;
    if (selected) res.FillRect(row, brush.Blue);
    res.DrawTrimmedLine(FontId::Row, CatchupDayText(nowUnix, day, language),
                        RectF{res.X(32), row.top, row.right - 8, row.bottom},
                        selected ? ReadableOn(brush.Blue) : brush.White, kAlignLeadingCentered);
  }

  const std::vector<EpgEntry>& guide = ChannelGuide(state);
  const std::vector<int32_t> rows = CatchupRows(state, nowUnix);
  if (rows.empty()) {
    const CatalogItem* channel = SelectedChannel(state);
    const bool loading = channel && state.guideRequests.Pending(channel->id());
    res.DrawTrimmedLine(FontId::Label, Translate(loading ? "catchup_loading" : "catchup_empty"),
                        RectF{res.X(kRowsLeft), res.Y(300), W - res.X(32), res.Y(380)}, brush.Dim,
                        kAlignLeadingCentered);
    return;
  }
  const int total = static_cast<int>(rows.size());
  const int visible = CatchupVisibleRows(H);
  const int selected = SelectedRow(state, total);
  const int first = ScrolledFirst(0, selected, visible);
  for (int slot = 0; slot < visible && first + slot < total; ++slot) {
    const RectF row = CatchupRowRect(slot, W, H);
    const bool focused = first + slot == selected;
    if (focused) res.FillRect(row, brush.Blue);
    res.DrawTrimmedLine(FontId::Row, GuideLine(guide[size_t(rows[first + slot])]),
                        RectF{row.left + 16, row.top, row.right - 16, row.bottom},
                        focused ? ReadableOn(brush.Blue) : brush.White, kAlignLeadingCentered);
  }
  res.DrawScrollbar(W - res.X(28), CatchupRowRect(0, W, H).top, CatchupRowRect(visible - 1, W, H).bottom, first,
                    visible, total);
}

void CatchupScreen::PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const {
  if (state.nav.HistoryOpen) {
    PrepareLiveHistory(res, state, width, height);
    return;
  }
  if (const CatalogItem* channel = SelectedChannel(state)) res.IconFor(*channel);
}

void CatchupScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  if (state.nav.HistoryOpen) {
    PaintLiveHistory(res, state);
    return;
  }
  PaintCatchup(res, state, NowUnix());
}

void CatchupScreen::OnKey(ScreenContext& ctx, int vk) {
  NavState& nav = ctx.state.nav;
  if (nav.HistoryOpen) {
    LiveHistoryKey(ctx, vk);
    return;
  }
  switch (vk) {
    case Vk::Left:
      nav.CatchupDayOffset = std::min(kCatchupDays - 1, nav.CatchupDayOffset + 1);
      nav.ListIndex = kLatestRow;
      break;
    case Vk::Right:
      nav.CatchupDayOffset = std::max(0, nav.CatchupDayOffset - 1);
      nav.ListIndex = kLatestRow;
      break;
    case Vk::Down: MoveSelection(ctx.state, +1); break;
    case Vk::Up: MoveSelection(ctx.state, -1); break;
    case Vk::Return: PlaySelectedProgramme(ctx); break;
    default: break;
  }
}

void CatchupScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  NavState& nav = ctx.state.nav;
  if (nav.HistoryOpen) {
    LiveHistoryPointer(ctx, event);
    return;
  }
  const int total = RowCount(ctx.state);
  const int last = std::max(0, total - 1);
  if (event.kind == PointerEvent::Kind::Wheel) {
    MoveSelection(ctx.state, event.wheelNotches > 0 ? -1 : 1);
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  if (DesignRect(54, 24, 144, 114, ctx.width, ctx.height).Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(Screen::Live);
    return;
  }
  for (int day = 0; day < kCatchupDays; ++day) {
    if (!CatchupDayRect(day, ctx.width, ctx.height).Contains(event.x, event.y)) continue;
    nav.CatchupDayOffset = day;
    nav.ListIndex = kLatestRow;
    return;
  }
  const int visible = CatchupVisibleRows(ctx.height);
  const int selected = SelectedRow(ctx.state, total);
  const int first = ScrolledFirst(0, selected, visible);
  for (int slot = 0; slot < visible && first + slot <= last; ++slot) {
    if (!CatchupRowRect(slot, ctx.width, ctx.height).Contains(event.x, event.y)) continue;
    // A click selects a programme; a click on the selected one plays it,
    // as Enter does.
    if (selected == first + slot) PlaySelectedProgramme(ctx);
    else nav.ListIndex = first + slot;
    return;
  }
}

void CatchupScreen::OnEnter(ScreenContext& ctx, Screen from) {
  // Back from a programme replayed from here: the list is as it was left.
  const bool back = ctx.state.nav.backFromReplay && from == Screen::Player;
  ctx.state.nav.backFromReplay = false;
  if (back && !ctx.state.nav.HistoryOpen) return;
  ctx.state.nav.ListIndex = 0;
  if (ctx.state.nav.HistoryOpen) return;  // the history needs no guide
  ctx.state.nav.ListIndex = kLatestRow;
  if (const CatalogItem* channel = SelectedChannel(ctx.state)) ctx.content.StartCatchupGuide(std::u16string(channel->id()));
}

RectF CatchupScreen::NoticeRect(const AppState& /*state*/, int width, int height) const {
  return CatchupHeaderNoticeRect(width, height);
}

void CatchupScreen::OnLeave(ScreenContext& ctx, Screen /*to*/) { ctx.state.nav.HistoryOpen = false; }

ScreenHelp CatchupScreen::Help(const AppState& state) const {
  if (state.nav.HistoryOpen) return {"live_history", {{{Vk::Up, Vk::Down}, "help_move"}, {{Vk::Return}, "play"}}};
  return {"catchup",
          {{{Vk::Left, Vk::Right}, "help_day"}, {{Vk::Up, Vk::Down}, "help_move"}, {{Vk::Return}, "help_replay"}}};
}
