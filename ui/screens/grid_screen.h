#pragma once
// The programme grid: the channels of the current Live list (its order, its
// numbers and icons) down the left, two hours in half-hour columns across,
// each programme a cell from its start to its stop, a vertical line at now,
// and a header band with the focused programme (title, times, description,
// the catch-up mark, its recording's or reminder's mark).
//
// Rows come only from the GuideStore, whoever filled it (per-channel answers
// or a whole-provider guide); the rows on screen that it does not hold fresh
// are asked for through the guide queue (ContentActions::RequestGuides),
// never the whole list. Only the visible rows are laid out and painted.
//
// Up/Down move by channel (PageUp/PageDown by a page), Left/Right by
// programme (ui/screens/grid_rules.h), digits jump to a channel number,
// Enter plays the running programme, replays a past one of an archived
// channel through catch-up, or offers the choices for one to come (record
// it, every airing of it, a reminder, its description). Shift+R records the
// running programme's channel now or schedules one to come, B sets a
// reminder of one to come; each undoes itself. Cells, the channel column
// and the band carry the marks of recordings and reminders
// (ui/screens/record_marks.h).
// Esc/Backspace go back where the grid was opened from (Live or the Player).
// GuideGridLayoutOf is the one layout painting and hit tests share. Main thread
// only.
#include <vector>

#include "ui/screens/browse_frame.h"
#include "ui/screens/grid_rules.h"
#include "ui/screens/screen_view.h"

struct GuideGridLayout {
  RectF back;         // the back button
  RectF channel;      // the focused channel's number and name
  RectF notice;       // right of it: the notices
  RectF title;        // the focused programme's title
  RectF times;        // its time range, then the catch-up mark
  RectF description;  // wrapped and cut with an ellipsis
  double bandBottom = 0;   // where the header band ends
  RectF timeRow;           // the half-hour labels
  double channelLeft = 0, channelRight = 0;  // the channel column
  double areaLeft = 0, areaRight = 0;        // the programme area: the window's two hours
  double scrollbarX = 0;
  ListRows rows;
  int first = 0;             // live-list row of the first grid row
  int64_t windowStart = 0;

  double XOf(int64_t t) const;
  // A channel row's cell in the channel column, and a programme's cell.
  RectF ChannelRect(int offset) const;
  RectF CellRect(int offset, double from, double to) const;
};

// The layout for the state's grid position (the first row kept within the
// live list).
GuideGridLayout GuideGridLayoutOf(const AppState& state, double width, double height);

// What a pointer position is on. For a cell, `row` is the live-list row and
// `index` the programme's timeline index (-1: the row's empty cell).
struct GuideGridHit {
  enum class Kind { None, Back, Channel, Cell };
  Kind kind = Kind::None;
  int row = -1;
  int index = -1;
  bool operator==(const GuideGridHit&) const = default;
};
GuideGridHit GuideGridHitTest(const GuideGridLayout& layout, const AppState& state, double x, double y);

// The channel rows the grid shows whose guide the store does not hold
// fresh and no request is under way for, as (stream id, with the past)
// in the order to ask: the last is the most wanted (the focused row), since
// the queue keeps the newest wishes. Channels with catch-up are asked with
// their past, which the grid shows and replays.
std::vector<GuideWish> GridGuideWishes(const AppState& state, int64_t nowUnix);

// The Live list's channel that `row` names, or null.
const CatalogItem* GridChannel(const AppState& state, int row);

class GridScreen final : public ScreenView {
 public:
  void PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const override;
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  bool TakeKeyBeforeBack(ScreenContext& ctx, int vk) override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  void OnLeave(ScreenContext& ctx, Screen to) override;
  // The rows on screen whose guide is missing go to the guide queue.
  void OnGuidesUpdated(ScreenContext& ctx) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};

