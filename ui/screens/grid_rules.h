#pragma once
// The programme grid's rules, apart from drawing: which programmes a row
// shows in the two-hour window and where, which one has the focus, how
// Left/Right move it (scrolling the window where they cross its edge), and
// what Enter does with it. Pure functions of their arguments (the local
// half hours come from the time zone), so they are tested directly; the
// screen (ui/screens/grid_screen.h) paints and handles keys with them.
#include <cstdint>
#include <vector>

#include "catalog/guide.h"

constexpr int64_t kGridWindowSeconds = 2 * 3600;
constexpr int64_t kGridStepSeconds = 30 * 60;  // a column, and one scroll step
// How far the window may scroll from now: the guides hold about a week back
// (catch-up) and a few days ahead.
constexpr int64_t kGridReachSeconds = 7 * 24 * 3600;

// One programme of a row in time order.
struct GridProgramme {
  int32_t row = 0;  // its index in the stored rows (catch-up plays it by that)
  int64_t start = 0, end = 0;
  bool operator==(const GridProgramme&) const = default;
};

// The stored rows in time order, ready to lay out. Providers send rows
// unsorted (the full table after the short guide) and overlapping: a row
// without a start time is left out, of two rows with the same start the one
// listed first is kept, and a programme still running when the next starts
// ends there, so cells never overlap.
std::vector<GridProgramme> GridTimeline(const std::vector<EpgEntry>& rows);

// A programme's cell in the window, as shares of the window's width
// (0 = its left edge, 1 = its right edge), clipped to it.
struct GridCell {
  int index = 0;  // in the timeline
  double from = 0, to = 0;
  bool cutLeft = false, cutRight = false;  // began before / ends after the window
  bool operator==(const GridCell&) const = default;
};
// The cells of the programmes that overlap [windowStart, windowStart + 2 h),
// in time order.
std::vector<GridCell> GridCellsIn(const std::vector<GridProgramme>& timeline, int64_t windowStart);

// The local half hour at or before `t` (a zone 45 minutes off UTC still
// gets columns at :00 and :30 of its own clock).
int64_t HalfHourAtOrBefore(int64_t t);

// The timeline index of the focused programme: the one on at `focusTime`;
// in a gap, the next one starting in the window, else the last one ending
// in it; -1 when the row shows nothing in the window.
int GridFocusedIndex(const std::vector<GridProgramme>& timeline, int64_t windowStart, int64_t focusTime);

// The window and the focus time after Left (-1) or Right (+1) at `now`.
// The focus goes to the previous or next programme; when that one lies
// beyond the window's edge, the window scrolls half an hour when that shows
// it, else to it (its start in the first column going right, its end in
// the last going left). With no programme that way (the row's guide
// ends, or the row is empty) the window scrolls half an hour. The window
// stays within kGridReachSeconds of now.
struct GridPosition {
  int64_t windowStart = 0;
  int64_t focusTime = 0;
  bool operator==(const GridPosition&) const = default;
};
GridPosition GridStep(const std::vector<GridProgramme>& timeline, GridPosition at, int direction, int64_t now);

// The window and focus for a time: the window starts at the half hour
// before, the focus is the time itself.
GridPosition GridPositionAt(int64_t t);

// What Enter does with the focused programme.
enum class GridEnter : uint8_t {
  PlayLive,         // running now, or no programme: the channel plays full window
  PlayCatchup,      // ended, on a channel with an archive (tv_archive)
  ShowDetails,      // still to come, or ended without an archive
  LiveOrFromStart,  // running now on a channel with an archive: live, or from its start
  ReplaySlot,       // no programme, on a channel with an archive, a time gone by
};
// A programme that ended more than kGridReachSeconds ago is past what
// catch-up offers (a week): it is shown, not played. Without a programme,
// `focusTime` (the time the arrows picked) decides: a time gone by, within
// that reach, of a channel with an archive replays its slot.
GridEnter GridEnterAction(const GridProgramme* programme, bool archived, int64_t now, int64_t focusTime = 0);

// The slot ReplaySlot plays: an hour from the half hour at or before
// `focusTime`, cut at `now`.
struct GridSlot {
  int64_t start = 0;
  int minutes = 0;
  bool operator==(const GridSlot&) const = default;
};
GridSlot GridReplaySlot(int64_t focusTime, int64_t now);
