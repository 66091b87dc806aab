#include "ui/screens/grid_screen.h"

#include <algorithm>
#include <cstdio>

#include "catalog/channel_choice.h"
#include "catalog/parental_rule.h"
#include "platform/clock.h"
#include "platform/date_format.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "ui/modals/option_picker.h"
#include "ui/nav/navigator.h"
#include "ui/screens/live_actions.h"
#include "ui/screens/record_marks.h"

// Sections: layout and hit test; the guide asks; painting; moving; keys;
// pointer; enter and leave.

namespace {

// Design coordinates (1920 x 1080).
constexpr double kBandBottom = 330, kDetailBandBottom = 560;
constexpr double kTimeRowHeight = 52, kRowsGap = 8, kRowsBottom = 1064, kRowHeight = 74;
constexpr double kChannelLeft = 24, kChannelRight = 430, kAreaLeft = 444, kAreaRightMargin = 40;
constexpr uint64_t kDetailNoticeMs = 4000;

}  // namespace

// ---------------------------------------------------------------------------
// Layout and hit test

double GuideGridLayout::XOf(int64_t t) const {
  return areaLeft + (areaRight - areaLeft) * double(t - windowStart) / double(kGridWindowSeconds);
}

RectF GuideGridLayout::ChannelRect(int offset) const {
  const double top = rows.RowTop(offset);
  return RectF{channelLeft, top + 2, channelRight, top + rows.rowHeight - 2};
}

RectF GuideGridLayout::CellRect(int offset, double from, double to) const {
  const double top = rows.RowTop(offset), width = areaRight - areaLeft;
  return RectF{areaLeft + from * width + 1, top + 2, areaLeft + to * width - 1, top + rows.rowHeight - 2};
}

GuideGridLayout GuideGridLayoutOf(const AppState& state, double width, double height) {
  const GridNav& grid = state.nav.grid;
  GuideGridLayout l;
  const double band = grid.detailOpen ? kDetailBandBottom : kBandBottom;
  l.back = DesignRect(54, 24, 144, 114, width, height);
  l.channel = DesignRect(170, 30, 1180, 110, width, height);
  l.notice = DesignRect(1200, 24, 1890, 114, width, height);
  l.title = DesignRect(170, 122, 1890, 186, width, height);
  l.times = DesignRect(170, 190, 1890, 234, width, height);
  l.description = DesignRect(170, 240, 1890, band - 12, width, height);
  l.bandBottom = DesignY(band, height);
  l.timeRow = DesignRect(kAreaLeft, band + 4, 1920 - kAreaRightMargin, band + 4 + kTimeRowHeight, width, height);
  l.channelLeft = DesignX(kChannelLeft, width);
  l.channelRight = DesignX(kChannelRight, width);
  l.areaLeft = DesignX(kAreaLeft, width);
  l.areaRight = width - DesignX(kAreaRightMargin, width);
  l.scrollbarX = width - DesignX(kAreaRightMargin - 12, width);
  l.rows = ListRowsOf(band + 4 + kTimeRowHeight + kRowsGap, kRowsBottom, kRowHeight, height);
  l.first = ClampFirst(grid.first, l.rows.visible, int(state.VisibleLive.size()));
  l.windowStart = grid.windowStart;
  return l;
}

const CatalogItem* GridChannel(const AppState& state, int row) {
  if (row < 0 || row >= int(state.VisibleLive.size())) return nullptr;
  return &state.VisibleLive[size_t(row)];
}

namespace {

// A channel the parental rule locks shows no programmes until the PIN was
// given (titles tell what it plays), and its guide is not asked for.
bool GuideHidden(const ParentalRule& rule, const AppState& state, const CatalogItem& channel) {
  return rule.On() && !state.ChannelPinPassed && rule.Locks(channel);
}

// The row's programmes as keys and clicks see them (none while locked:
// Enter then plays the channel, which asks for the PIN).
std::vector<GridProgramme> TimelineOf(const AppState& state, int row) {
  const CatalogItem* channel = GridChannel(state, row);
  if (!channel || GuideHidden(ParentalRule(state.settings, state.catalog.LiveCategories), state, *channel)) return {};
  return GridTimeline(state.guide.RowsOf(channel->id()));
}

// The focused channel and its focused programme (none: no programme in the
// window, or the channel is locked), with the programme's guide row, which
// the recordings and reminders are keyed by.
struct GridFocus {
  const CatalogItem* channel = nullptr;
  const EpgEntry* entry = nullptr;
  GridProgramme programme;
};

GridFocus FocusOf(const AppState& state) {
  GridFocus focus;
  focus.channel = GridChannel(state, state.nav.ChannelIndex);
  const std::vector<GridProgramme> timeline = TimelineOf(state, state.nav.ChannelIndex);
  const int index = GridFocusedIndex(timeline, state.nav.grid.windowStart, state.nav.grid.focusTime);
  if (!focus.channel || index < 0) return focus;
  focus.programme = timeline[size_t(index)];
  focus.entry = &state.guide.RowsOf(focus.channel->id())[size_t(focus.programme.row)];
  return focus;
}

}  // namespace

RectF GridScreen::NoticeRect(const AppState& state, int width, int height) const {
  return GuideGridLayoutOf(state, width, height).notice;
}

GuideGridHit GuideGridHitTest(const GuideGridLayout& l, const AppState& state, double x, double y) {
  if (l.back.Contains(x, y)) return {GuideGridHit::Kind::Back};
  const int offset = l.rows.OffsetAt(y);
  const int row = l.first + offset;
  if (offset < 0 || !GridChannel(state, row)) return {};
  if (x >= l.channelLeft && x < l.channelRight) return {GuideGridHit::Kind::Channel, row};
  if (x < l.areaLeft || x >= l.areaRight) return {};
  const std::vector<GridProgramme> timeline = TimelineOf(state, row);
  for (const GridCell& cell : GridCellsIn(timeline, l.windowStart)) {
    const RectF r = l.CellRect(offset, cell.from, cell.to);
    if (x >= r.left - 1 && x < r.right + 1) return {GuideGridHit::Kind::Cell, row, cell.index};
  }
  return {GuideGridHit::Kind::Cell, row, -1};
}

// ---------------------------------------------------------------------------
// The guide asks

std::vector<GuideWish> GridGuideWishes(const AppState& state, int64_t nowUnix) {
  const GridNav& grid = state.nav.grid;
  const int total = int(state.VisibleLive.size());
  const int first = ClampFirst(grid.first, std::max(1, grid.rows), total);
  const int end = std::min(total, first + std::max(1, grid.rows));
  const int focused = state.nav.ChannelIndex;
  const ParentalRule rule(state.settings, state.catalog.LiveCategories);
  std::vector<GuideWish> wishes;
  const auto consider = [&](int row) {
    const CatalogItem& channel = state.VisibleLive[size_t(row)];
    if (GuideHidden(rule, state, channel)) return;
    const bool withPast = channel.tvArchive() > 0;
    if (state.guide.IsFresh(channel.id(), withPast, nowUnix) || state.guideRequests.Pending(channel.id())) return;
    wishes.push_back(GuideWish{std::u16string(channel.id()), withPast});
  };
  // Bottom row first: the queue keeps the newest wishes, and the top rows
  // and the focused one are what the user reads first.
  for (int row = end - 1; row >= first; --row)
    if (row != focused) consider(row);
  if (focused >= first && focused < end) consider(focused);
  return wishes;
}

// ---------------------------------------------------------------------------
// Painting

namespace {

constexpr Rgba kChannelFill{0.09, 0.10, 0.13, 1};
constexpr Rgba kPastFill{0.08, 0.09, 0.11, 1};
constexpr Rgba kFutureFill{0.13, 0.15, 0.19, 1};
constexpr Rgba kNowFill{0.17, 0.21, 0.30, 1};
constexpr Rgba kNowLine{0.95, 0.25, 0.25, 1};
constexpr Rgba kBandFill{0.06, 0.07, 0.10, 1};

std::u16string ClockText(int64_t t) {
  const LocalTime local = ToLocalTime(t);
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d", local.hour % 24, local.minute % 60);
  return std::u16string(buffer, buffer + 5);
}

std::u16string RangeText(const GridProgramme& p) { return ClockText(p.start) + u" \u2013 " + ClockText(p.end); }

std::u16string NumberAndName(const CatalogItem& channel) {
  std::u16string text(channel.num());
  if (!text.empty()) text += u"  ";
  return text + CleanDisplayName(channel.name());
}

void StrokeArchiveMark(RenderResources& res, double x, double y, double radius, Rgba colour) {
  res.StrokeCircle(x, y, radius, colour, std::max(1.5, res.Px(2)));
}

// The side of a recording's or reminder's mark in a cell and the column.
double MarkSize(const RenderResources& res) { return res.Px(16); }

// What the band says beside a programme's mark.
std::string_view MarkWord(ProgrammeMark mark) {
  switch (mark) {
    case ProgrammeMark::Recording: return "grid_rec_now";
    case ProgrammeMark::Scheduled: return "grid_rec_scheduled";
    case ProgrammeMark::Reminder: return "grid_rec_reminded";
    case ProgrammeMark::None: break;
  }
  return {};
}

// The mark and its word from `x` on the band's time line.
void PaintBandMark(RenderResources& res, const GuideGridLayout& l, double x, ProgrammeMark mark) {
  const double middle = (l.times.top + l.times.bottom) / 2, size = res.Px(20);
  PaintRecordMark(res, mark, x + size / 2, middle, size, res.Brush().White);
  const Rgba colour = mark == ProgrammeMark::Reminder ? res.Brush().White : res.Brush().Red;
  res.DrawTrimmedLine(FontId::Label, Translate(MarkWord(mark)), RectF{x + size + res.Px(10), l.times.top, l.times.right,
                                                                      l.times.bottom},
                      colour, kAlignLeadingCentered);
}

// The header band: the focused channel, its focused programme (or why
// there is none) with its times, the catch-up mark and the description.
void PaintBand(RenderResources& res, const AppState& state, const GuideGridLayout& l, int64_t now) {
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, 0, double(res.Width()), l.bandBottom}, kBandFill);
  res.FillRect(RectF{0, l.bandBottom - 2, double(res.Width()), l.bandBottom}, WithAlpha(brush.Accent, 0.6));
  res.DrawBackButton(l.back);
  const CatalogItem* channel = GridChannel(state, state.nav.ChannelIndex);
  if (!channel) {
    res.DrawTrimmedLine(FontId::Title, Translate("tv_guide"), l.channel, brush.White, kAlignLeadingCentered);
    return;
  }
  res.DrawTrimmedLine(FontId::Label, NumberAndName(*channel), l.channel, brush.Accent, kAlignLeadingCentered);
  if (GuideHidden(ParentalRule(state.settings, state.catalog.LiveCategories), state, *channel)) {
    res.DrawTrimmedLine(FontId::Title, Translate("locked"), l.title, brush.Dim, kAlignLeadingCentered);
    return;
  }
  const std::vector<EpgEntry>& rows = state.guide.RowsOf(channel->id());
  const std::vector<GridProgramme> timeline = GridTimeline(rows);
  const int focused = GridFocusedIndex(timeline, l.windowStart, state.nav.grid.focusTime);
  if (focused < 0) {
    const bool loading = rows.empty() && state.guideRequests.Pending(channel->id());
    if (!loading && GridEnterAction(nullptr, channel->tvArchive() > 0, now, state.nav.grid.focusTime) == GridEnter::ReplaySlot) {
      // No guide, but an archive: Enter replays the slot the arrows picked.
      const GridSlot slot = GridReplaySlot(state.nav.grid.focusTime, now);
      const std::u16string range = GuideClockText(slot.start) + u"\u2013" + GuideClockText(slot.start + slot.minutes * 60);
      res.DrawTrimmedLine(FontId::Title, TranslateWith("replay_slot", range), l.title, brush.Accent, kAlignLeadingCentered);
      return;
    }
    res.DrawTrimmedLine(FontId::Title, Translate(loading ? "catchup_loading" : "no_info"), l.title, brush.Dim,
                        kAlignLeadingCentered);
    return;
  }
  const GridProgramme& p = timeline[size_t(focused)];
  const EpgEntry& entry = rows[size_t(p.row)];
  res.DrawTrimmedLine(FontId::Title, entry.title, l.title, brush.White, kAlignLeadingCentered);
  const std::u16string range = RangeText(p);
  res.DrawTrimmedLine(FontId::Label, range, l.times, brush.White, kAlignLeadingCentered);
  double x = l.times.left + res.MeasureText(FontId::Label, range).first + res.Px(28);
  if (GridEnterAction(&p, channel->tvArchive() > 0, now) == GridEnter::PlayCatchup) {
    const double middle = (l.times.top + l.times.bottom) / 2, radius = res.Px(9);
    StrokeArchiveMark(res, x, middle, radius, brush.Accent);
    const std::u16string_view word = Translate("catchup");
    res.DrawTrimmedLine(FontId::Label, word, RectF{x + radius + res.Px(10), l.times.top, l.times.right, l.times.bottom},
                        brush.Accent, kAlignLeadingCentered);
    // A recording may still run in its padding after the programme ended.
    x += radius + res.Px(10) + res.MeasureText(FontId::Label, word).first + res.Px(28);
  }
  const ProgrammeMark mark = MarkOf(state.recordings, channel->id(), entry.start, entry.title);
  if (mark != ProgrammeMark::None) PaintBandMark(res, l, x, mark);
  res.DrawTrimmed(FontId::Hint, entry.description, l.description, WithAlpha(brush.White, 0.85));
}

// The day of the window's start over the channel column (the window may be
// scrolled to another day), then the half-hour labels.
void PaintTimeRow(RenderResources& res, const GuideGridLayout& l) {
  const Brushes& brush = res.Brush();
  const std::u16string day = WeekdayDayMonthText(DateLocale(CurrentLanguage()), ToLocalTime(l.windowStart));
  res.DrawTrimmedLine(FontId::Label, day, RectF{l.channelLeft + res.X(10), l.timeRow.top, l.channelRight, l.timeRow.bottom},
                      brush.Accent, kAlignLeadingCentered);
  const double column = l.XOf(l.windowStart + kGridStepSeconds) - l.areaLeft;
  for (int step = 0; step < int(kGridWindowSeconds / kGridStepSeconds); ++step) {
    const int64_t t = l.windowStart + step * kGridStepSeconds;
    const double x = l.XOf(t);
    res.FillRect(RectF{x, l.timeRow.top + res.Px(6), x + 2, l.timeRow.bottom}, WithAlpha(brush.White, 0.35));
    res.DrawTrimmedLine(FontId::Label, ClockText(t), RectF{x + res.Px(10), l.timeRow.top, x + column, l.timeRow.bottom},
                        brush.White, kAlignLeadingCentered);
  }
}

// A channel being recorded has the red dot at the cell's end, its name
// ending before it.
void PaintChannelCell(RenderResources& res, const CatalogItem& channel, const RectF& r, bool focused, bool recording) {
  const Brushes& brush = res.Brush();
  res.FillRounded(r, 6, focused ? WithAlpha(brush.Accent, 0.22) : kChannelFill);
  if (focused) res.StrokeRounded(r, 6, brush.Accent, res.FocusRing() / 2);
  const double h = r.Height();
  double x = r.left + res.X(10);
  if (!channel.num().empty()) {
    res.DrawTrimmedLine(FontId::Hint, channel.num(), RectF{x, r.top, x + res.X(70), r.bottom}, brush.Dim,
                        kAlignLeadingCentered);
  }
  x += res.X(76);
  const double icon = std::min(h - res.Y(14), res.X(64));
  if (const Picture* picture = res.IconFor(channel))
    res.DrawPicture(picture, RectF{x, r.top + (h - icon) / 2, x + icon, r.top + (h + icon) / 2});
  x += res.X(64) + res.X(10);
  double nameRight = r.right - res.X(8);
  if (recording) {
    const double size = MarkSize(res);
    PaintRecordMark(res, ProgrammeMark::Recording, nameRight - size / 2, (r.top + r.bottom) / 2, size, brush.White);
    nameRight -= size + res.X(8);
  }
  res.DrawTrimmedLine(FontId::Row, CleanDisplayName(channel.name()), RectF{x, r.top, nameRight, r.bottom},
                      brush.White, kAlignLeadingCentered);
}

// One programme cell: filled by when it is on, the title (and its times
// when the row is high enough) after the programme's mark, the focus as a
// thick accent outline. A cell too narrow for the mark beside some text
// leaves it out (the band shows it when focused).
void PaintProgramme(RenderResources& res, const EpgEntry& entry, const GridProgramme& p, const RectF& r,
                    bool focused, int64_t now, ProgrammeMark mark) {
  const Brushes& brush = res.Brush();
  const bool running = p.start <= now && now < p.end, past = p.end <= now;
  const Rgba fill = focused ? brush.Blue : running ? kNowFill : past ? kPastFill : kFutureFill;
  res.FillRounded(r, 4, fill);
  if (focused) {
    const double ring = res.FocusRing();
    res.StrokeRounded(RectF{r.left + ring / 2, r.top + ring / 2, r.right - ring / 2, r.bottom - ring / 2}, 4,
                      brush.Accent, ring);
  }
  const double pad = res.Px(10);
  if (r.Width() < 3 * pad) return;
  const Rgba text = focused ? ReadableOn(brush.Blue) : past ? brush.Dim : brush.White;
  const bool twoLines = r.Height() >= res.Px(58);
  const RectF inner{r.left + pad, r.top, r.right - pad, r.bottom};
  const double middle = r.top + r.Height() * 0.56;
  const double size = MarkSize(res);
  double titleLeft = inner.left;
  if (mark != ProgrammeMark::None && inner.Width() >= 3 * size) {
    const double cy = twoLines ? (r.top + res.Px(4) + middle) / 2 : (r.top + r.bottom) / 2;
    PaintRecordMark(res, mark, inner.left + size / 2, cy, size, text);
    titleLeft += size + res.Px(8);
  }
  if (!twoLines) {
    res.DrawTrimmedLine(FontId::Row, entry.title, RectF{titleLeft, r.top, inner.right, r.bottom}, text,
                        kAlignLeadingCentered);
    return;
  }
  res.DrawTrimmedLine(FontId::Row, entry.title, RectF{titleLeft, r.top + res.Px(4), inner.right, middle}, text,
                      kAlignLeadingCentered);
  res.DrawTrimmedLine(FontId::Hint, RangeText(p), RectF{inner.left, middle, inner.right, r.bottom - res.Px(2)},
                      focused ? text : brush.Dim, kAlignLeadingCentered);
}

// A row's one cell when it shows no programme: loading, no information,
// or locked.
void PaintEmptyRow(RenderResources& res, const RectF& r, std::string_view key, bool focused) {
  res.FillRounded(r, 4, focused ? WithAlpha(res.Brush().Blue, 0.45) : kPastFill);
  if (focused) res.StrokeRounded(r, 4, res.Brush().Accent, res.FocusRing());
  res.DrawTrimmedLine(FontId::Row, Translate(key), RectF{r.left + res.Px(14), r.top, r.right - res.Px(14), r.bottom},
                      focused ? res.Brush().White : res.Brush().Dim, kAlignLeadingCentered);
}

void PaintRow(RenderResources& res, const AppState& state, const ParentalRule& rule, const GuideGridLayout& l,
              int offset, int64_t now) {
  const int row = l.first + offset;
  const CatalogItem& channel = state.VisibleLive[size_t(row)];
  const bool focusedRow = row == state.nav.ChannelIndex;
  PaintChannelCell(res, channel, l.ChannelRect(offset), focusedRow,
                   ChannelRecording(state.recordings.recordings, channel.id()));
  if (GuideHidden(rule, state, channel)) {
    PaintEmptyRow(res, l.CellRect(offset, 0, 1), "locked", focusedRow);
    return;
  }
  const std::vector<EpgEntry>& rows = state.guide.RowsOf(channel.id());
  const std::vector<GridProgramme> timeline = GridTimeline(rows);
  const std::vector<GridCell> cells = GridCellsIn(timeline, l.windowStart);
  if (cells.empty()) {
    const bool loading = rows.empty() && state.guideRequests.Pending(channel.id());
    PaintEmptyRow(res, l.CellRect(offset, 0, 1), loading ? "catchup_loading" : "no_info", focusedRow);
    return;
  }
  const int focused = focusedRow ? GridFocusedIndex(timeline, l.windowStart, state.nav.grid.focusTime) : -1;
  const auto paint = [&](const GridCell& cell, bool isFocused) {
    const GridProgramme& p = timeline[size_t(cell.index)];
    const EpgEntry& entry = rows[size_t(p.row)];
    PaintProgramme(res, entry, p, l.CellRect(offset, cell.from, cell.to), isFocused, now,
                   MarkOf(state.recordings, channel.id(), entry.start, entry.title));
  };
  // The focused cell last, so its outline is never covered by a neighbour.
  for (const GridCell& cell : cells)
    if (cell.index != focused) paint(cell, false);
  for (const GridCell& cell : cells)
    if (cell.index == focused) paint(cell, true);
}

void PaintNowLine(RenderResources& res, const GuideGridLayout& l, int visibleRows, int64_t now) {
  if (now < l.windowStart || now >= l.windowStart + kGridWindowSeconds) return;
  const double x = l.XOf(now), w = std::max(2.0, res.Px(3));
  // From just under the time labels (never across them) to the last row.
  const double top = l.timeRow.bottom - 2 * w, bottom = l.rows.RowTop(visibleRows);
  res.FillRect(RectF{x - w / 2, top, x + w / 2, bottom}, kNowLine);
  res.FillDisc(x, top, w * 2, kNowLine);
}

}  // namespace

void GridScreen::PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const {
  const GuideGridLayout l = GuideGridLayoutOf(state, width, height);
  const int end = std::min(int(state.VisibleLive.size()), l.first + l.rows.visible);
  for (int row = l.first; row < end; ++row) res.IconFor(state.VisibleLive[size_t(row)]);
}

void GridScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  if (!res.Drawing()) return;
  const int64_t now = NowUnix();
  const GuideGridLayout l = GuideGridLayoutOf(state, res.Width(), res.Height());
  res.Clear(kScreenClear);
  PaintBand(res, state, l, now);
  const int total = int(state.VisibleLive.size());
  if (total == 0) {
    res.DrawTrimmedLine(FontId::Label, Translate("no_channels"), RectF{l.areaLeft, l.rows.top, l.areaRight,
                                                                       l.rows.top + res.Y(80)},
                        res.Brush().Dim, kAlignLeadingCentered);
    return;
  }
  PaintTimeRow(res, l);
  const int shown = std::min(l.rows.visible, total - l.first);
  const ParentalRule rule(state.settings, state.catalog.LiveCategories);
  for (int offset = 0; offset < shown; ++offset) PaintRow(res, state, rule, l, offset, now);
  PaintNowLine(res, l, shown, now);
  res.DrawScrollbar(l.scrollbarX, l.rows.top, l.rows.RowTop(l.rows.visible), l.first, l.rows.visible, total);
}

// ---------------------------------------------------------------------------
// Moving

namespace {

// After a move: the focused row in view, the grid's row count for the
// guide asks, and the rows now on screen asked for.
void Settle(ScreenContext& ctx) {
  AppState& state = ctx.state;
  GridNav& grid = state.nav.grid;
  const GuideGridLayout l = GuideGridLayoutOf(state, ctx.width, ctx.height);
  const int total = int(state.VisibleLive.size());
  grid.rows = l.rows.visible;
  if (state.nav.ChannelIndex >= 0) grid.first = KeepInView(grid.first, state.nav.ChannelIndex, l.rows.visible);
  grid.first = ClampFirst(grid.first, l.rows.visible, total);
  ctx.content.RequestGuides(GridGuideWishes(state, NowUnix()));
}

void MoveRows(ScreenContext& ctx, int step) {
  NavState& nav = ctx.state.nav;
  const int total = int(ctx.state.VisibleLive.size());
  if (total == 0) return;
  nav.grid.detailOpen = false;
  nav.ChannelIndex = std::clamp(nav.ChannelIndex < 0 ? 0 : nav.ChannelIndex + step, 0, total - 1);
}

int Page(const ScreenContext& ctx) { return GuideGridLayoutOf(ctx.state, ctx.width, ctx.height).rows.visible; }

void Up(ScreenContext& ctx) { MoveRows(ctx, -1); }
void Down(ScreenContext& ctx) { MoveRows(ctx, +1); }
void PageUp(ScreenContext& ctx) { MoveRows(ctx, -Page(ctx)); }
void PageDown(ScreenContext& ctx) { MoveRows(ctx, +Page(ctx)); }

void StepProgramme(ScreenContext& ctx, int direction) {
  GridNav& grid = ctx.state.nav.grid;
  grid.detailOpen = false;
  const GridPosition next = GridStep(TimelineOf(ctx.state, ctx.state.nav.ChannelIndex),
                                     GridPosition{grid.windowStart, grid.focusTime}, direction, NowUnix());
  grid.windowStart = next.windowStart;
  grid.focusTime = next.focusTime;
}

void Left(ScreenContext& ctx) { StepProgramme(ctx, -1); }
void Right(ScreenContext& ctx) { StepProgramme(ctx, +1); }

// ---------------------------------------------------------------------------
// Recording and reminders: only a programme that has not ended is recorded,
// and only one that has not begun is scheduled or reminded of.

bool HasReminder(const AppState& state, std::u16string_view channel, const EpgEntry& entry) {
  const std::vector<Reminder>& list = state.recordings.reminders;
  return std::any_of(list.begin(), list.end(), [&](const Reminder& r) {
    return r.streamId == channel && r.start == entry.start && r.title == entry.title;
  });
}

// Whether every airing of the programme's title on the channel is recorded.
bool HasEveryAiringRule(const AppState& state, std::u16string_view channel, const EpgEntry& entry) {
  const std::vector<Recording>& list = state.recordings.recordings;
  return std::any_of(list.begin(), list.end(), [&](const Recording& r) {
    return r.everyAiring && r.state != RecordingState::Cancelled && r.streamId == channel && r.title == entry.title;
  });
}

// Shift+R: the running programme's channel records from now (or stops);
// a programme to come is scheduled (or no longer).
void Record(ScreenContext& ctx) {
  const GridFocus focus = FocusOf(ctx.state);
  const int64_t now = NowUnix();
  if (!focus.entry || focus.programme.end <= now) return;
  if (focus.programme.start <= now) ctx.recording.ToggleRecordNow(*focus.channel);
  else ctx.recording.ToggleSchedule(*focus.channel, *focus.entry, false);
}

void Remind(ScreenContext& ctx) {
  const GridFocus focus = FocusOf(ctx.state);
  if (!focus.entry || focus.programme.start <= NowUnix()) return;
  ctx.recording.ToggleReminder(*focus.channel, *focus.entry);
}

// Enter on a programme to come: record it, every airing of it, a reminder
// (each undone when set) or its description. The answer acts on copies:
// the guide may be refreshed while the list is open.
void OfferChoices(ScreenContext& ctx, const GridFocus& focus) {
  const CatalogItem channel = *focus.channel;
  const EpgEntry entry = *focus.entry;
  const ProgrammeMark mark = MarkOf(ctx.state.recordings, channel.id(), entry.start, entry.title);
  // One in its padding before the start already records.
  const bool scheduled = mark == ProgrammeMark::Scheduled || mark == ProgrammeMark::Recording;
  std::vector<std::u16string> options;
  for (const std::string_view key :
       {scheduled ? "grid_rec_cancel" : "grid_rec_record",
        HasEveryAiringRule(ctx.state, channel.id(), entry) ? "grid_rec_every_cancel" : "grid_rec_every",
        HasReminder(ctx.state, channel.id(), entry) ? "grid_rec_remind_cancel" : "grid_rec_remind",
        "grid_rec_description"})
    options.emplace_back(Translate(key));
  switch (OpenPicker(ctx.modal, entry.title, std::move(options), 0)) {
    case 0: ctx.recording.ToggleSchedule(channel, entry, false); return;
    case 1: ctx.recording.ToggleSchedule(channel, entry, true); return;
    case 2: ctx.recording.ToggleReminder(channel, entry); return;
    case 3: ctx.state.nav.grid.detailOpen = true; return;
    default: return;
  }
}

// Enter on the focused programme (GridEnterAction); one to come offers the
// choices above, the open description closes first.
void Enter(ScreenContext& ctx) {
  AppState& state = ctx.state;
  const CatalogItem* channel = GridChannel(state, state.nav.ChannelIndex);
  if (!channel) return;
  GridNav& grid = state.nav.grid;
  const std::vector<GridProgramme> timeline = TimelineOf(state, state.nav.ChannelIndex);
  const int focused = GridFocusedIndex(timeline, grid.windowStart, grid.focusTime);
  const GridProgramme* programme = focused >= 0 ? &timeline[size_t(focused)] : nullptr;
  const bool archived = channel->tvArchive() > 0;
  const int64_t now = NowUnix();
  switch (GridEnterAction(programme, archived, now, grid.focusTime)) {
    case GridEnter::PlayLive: PlayChosenChannel(ctx); return;
    case GridEnter::LiveOrFromStart: {
      const int32_t row = programme->row;
      const std::u16string title = state.guide.RowsOf(channel->id())[size_t(row)].title;
      const int choice =
          OpenPicker(ctx.modal, title, {std::u16string(Translate("watch_live")), std::u16string(Translate("from_start"))}, 0);
      if (choice == 0) PlayChosenChannel(ctx);
      if (choice == 1) {
        state.nav.CatchupDayOffset = 0;
        ctx.playback.PlayCatchup(row);
      }
      return;
    }
    case GridEnter::ReplaySlot: {
      const GridSlot slot = GridReplaySlot(grid.focusTime, now);
      ctx.playback.PlayCatchupSlot(slot.start, slot.minutes);
      return;
    }
    case GridEnter::PlayCatchup:
      state.nav.CatchupDayOffset = 0;
      ctx.playback.PlayCatchup(programme->row);
      return;
    case GridEnter::ShowDetails:
      if (!grid.detailOpen && programme && programme->start > NowUnix()) {
        OfferChoices(ctx, FocusOf(state));
        return;
      }
      grid.detailOpen = !grid.detailOpen;
      // A past programme of a channel without an archive cannot be replayed:
      // the notice says why Enter only shows it.
      if (programme && programme->end <= NowUnix())
        ShowNotice(state, std::u16string(Translate("catchup_no")), kDetailNoticeMs);
      return;
  }
}

void GoBack(ScreenContext& ctx) {
  AppState& state = ctx.state;
  // Back to the Player while something plays (the grid kept its stream);
  // otherwise to Live.
  if (state.nav.grid.from == Screen::Player && !state.Playing().lastUrl.empty()) {
    ctx.playback.EnterFullVideo();
    return;
  }
  ctx.navigator.SetScreen(Screen::Live);
}

// ---------------------------------------------------------------------------
// Keys: one row per key; digits are a range of their own.

struct GridKey {
  int vk;
  void (*run)(ScreenContext&);
};

constexpr GridKey kGridKeys[] = {
    {Vk::Up, Up},         {Vk::Down, Down},   {Vk::PageUp, PageUp}, {Vk::PageDown, PageDown},
    {Vk::Left, Left},     {Vk::Right, Right}, {Vk::Return, Enter},  {Vk::Record, Record},
    {Vk::Letter('B'), Remind},
};

int DigitOf(int vk) {
  if (vk >= Vk::Digit0 && vk <= Vk::Digit(9)) return vk - Vk::Digit0;
  if (vk >= Vk::Numpad0 && vk <= Vk::Numpad0 + 9) return vk - Vk::Numpad0;
  return -1;
}

}  // namespace

bool GridScreen::TakeKeyBeforeBack(ScreenContext& ctx, int vk) {
  if (!Vk::IsBack(vk)) return false;
  GridNav& grid = ctx.state.nav.grid;
  // The expanded description closes first.
  if (grid.detailOpen) grid.detailOpen = false;
  else GoBack(ctx);
  return true;
}

void GridScreen::OnKey(ScreenContext& ctx, int vk) {
  if (const int digit = DigitOf(vk); digit >= 0) {
    ctx.state.nav.grid.detailOpen = false;
    ChannelNumberEntry(ctx.state, digit, ctx.nowMs);
    Settle(ctx);
    return;
  }
  for (const GridKey& key : kGridKeys) {
    if (key.vk != vk) continue;
    key.run(ctx);
    if (ctx.state.CurrentScreen == Screen::Grid) Settle(ctx);
    return;
  }
}

// ---------------------------------------------------------------------------
// Pointer

void GridScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  AppState& state = ctx.state;
  GridNav& grid = state.nav.grid;
  const GuideGridLayout l = GuideGridLayoutOf(state, ctx.width, ctx.height);
  const int total = int(state.VisibleLive.size());
  if (event.kind == PointerEvent::Kind::Wheel) {
    // The wheel scrolls the rows (three a notch) and leaves the focus.
    grid.first = ClampFirst(l.first - 3 * event.wheelNotches, l.rows.visible, total);
    grid.rows = l.rows.visible;
    ctx.content.RequestGuides(GridGuideWishes(state, NowUnix()));
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  const GuideGridHit hit = GuideGridHitTest(l, state, event.x, event.y);
  if (hit.kind == GuideGridHit::Kind::Back) {
    GoBack(ctx);
    return;
  }
  if (hit.kind == GuideGridHit::Kind::None) return;
  const std::vector<GridProgramme> timeline = TimelineOf(state, hit.row);
  const int focused = GridFocusedIndex(timeline, grid.windowStart, grid.focusTime);
  const bool again = hit.row == state.nav.ChannelIndex && (hit.kind == GuideGridHit::Kind::Channel || hit.index == focused);
  // A click focuses a cell; a click on the focused one acts as Enter.
  if (again) {
    Enter(ctx);
    if (state.CurrentScreen == Screen::Grid) Settle(ctx);
    return;
  }
  state.nav.ChannelIndex = hit.row;
  grid.detailOpen = false;
  if (hit.kind == GuideGridHit::Kind::Cell && hit.index >= 0) {
    const GridProgramme& p = timeline[size_t(hit.index)];
    grid.focusTime = std::clamp(p.start, grid.windowStart, grid.windowStart + kGridWindowSeconds - 1);
  }
  // The wheel may have scrolled the grid away from the focus: the row
  // clicked stays where it is.
  grid.first = l.first;
  Settle(ctx);
}

// ---------------------------------------------------------------------------
// Enter and leave

void GridScreen::OnEnter(ScreenContext& ctx, Screen from) {
  AppState& state = ctx.state;
  GridNav& grid = state.nav.grid;
  grid.detailOpen = false;
  // Back from a programme it replayed: the grid is where the user left it.
  // The replay has stopped, so nothing is left on the Player to go back to.
  const bool back = state.nav.backFromReplay && from == Screen::Player;
  state.nav.backFromReplay = false;
  if (back) {
    grid.from = Screen::Live;
    Settle(ctx);
    return;
  }
  grid.from = from == Screen::Player ? Screen::Player : Screen::Live;
  const GridPosition at = GridPositionAt(NowUnix());
  grid.windowStart = at.windowStart;
  grid.focusTime = at.focusTime;
  const int total = int(state.VisibleLive.size());
  if (total > 0 && (state.nav.ChannelIndex < 0 || state.nav.ChannelIndex >= total)) state.nav.ChannelIndex = 0;
  // The focused channel in the middle of the page, as far as the list lets.
  const GuideGridLayout l = GuideGridLayoutOf(state, ctx.width, ctx.height);
  grid.first = ClampFirst(state.nav.ChannelIndex - l.rows.visible / 2, l.rows.visible, total);
  Settle(ctx);
}

void GridScreen::OnGuidesUpdated(ScreenContext& ctx) {
  ctx.content.RequestGuides(GridGuideWishes(ctx.state, NowUnix()));
}

void GridScreen::OnLeave(ScreenContext& ctx, Screen to) {
  ctx.state.nav.grid.detailOpen = false;
  StopUnlessVideoStays(ctx, to);
}

ScreenHelp GridScreen::Help(const AppState& /*state*/) const {
  return {"tv_guide",
          {{{Vk::Up, Vk::Down, Vk::PageUp, Vk::PageDown}, "help_grid_channels"},
           {{Vk::Left, Vk::Right}, "help_grid_programmes"},
           {{kAnyDigit}, "help_number"},
           {{Vk::Return}, "help_grid_enter"},
           {{Vk::Record}, "help_grid_record"},
           {{Vk::Letter('B')}, "help_grid_remind"}}};
}
