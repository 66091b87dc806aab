// The programme grid's pure rules: the timeline made of untidy provider
// rows, the cells of the two-hour window, the focus after Left/Right at
// the window's edges, and what Enter does.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "ui/screens/grid_rules.h"

namespace {

constexpr int64_t kMin = 60, kHalf = 30 * kMin;

// A local half hour to build on, so that windows begin where the columns do.
int64_t Base() { return HalfHourAtOrBefore(1780000000); }

EpgEntry Row(std::u16string title, int64_t start, int32_t minutes) {
  return EpgEntry{u"", std::move(title), start, minutes, u""};
}

}  // namespace

TEST(GridRules, TimelineSortsDropsAndCutsUntidyRows) {
  const int64_t t = Base();
  // Unsorted, a row without a time, a repeated start, an overlap.
  const std::vector<EpgEntry> rows = {
      Row(u"C", t + 60 * kMin, 30),  // 0
      Row(u"none", 0, 30),           // 1: no time: left out
      Row(u"A", t, 45),              // 2: runs into B: ends at B's start
      Row(u"B", t + 30 * kMin, 30),  // 3
      Row(u"B again", t + 30 * kMin, 90),  // 4: same start as B: the first listed stays
  };
  const std::vector<GridProgramme> timeline = GridTimeline(rows);
  ASSERT_EQ(timeline.size(), 3u);
  EXPECT_EQ(timeline[0], (GridProgramme{2, t, t + 30 * kMin}));
  EXPECT_EQ(timeline[1], (GridProgramme{3, t + 30 * kMin, t + 60 * kMin}));
  EXPECT_EQ(timeline[2], (GridProgramme{0, t + 60 * kMin, t + 90 * kMin}));
  EXPECT_TRUE(GridTimeline({}).empty());
  EXPECT_TRUE(GridTimeline({Row(u"none", 0, 30)}).empty());
}

TEST(GridRules, CellsAreClippedToTheWindowAndSpanItsShares) {
  const int64_t t = Base();
  const std::vector<GridProgramme> timeline = GridTimeline({
      Row(u"before", t - 120 * kMin, 60),   // ended before the window
      Row(u"into", t - 30 * kMin, 60),      // began before: cut at the left
      Row(u"inside", t + 30 * kMin, 30),
      Row(u"out", t + 90 * kMin, 60),       // ends after: cut at the right
      Row(u"after", t + 150 * kMin, 30),    // after the window
  });
  const std::vector<GridCell> cells = GridCellsIn(timeline, t);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0], (GridCell{1, 0.0, 0.25, true, false}));
  EXPECT_EQ(cells[1], (GridCell{2, 0.25, 0.5, false, false}));
  EXPECT_EQ(cells[2], (GridCell{3, 0.75, 1.0, false, true}));

  // A programme longer than the window is one cell over all of it.
  const std::vector<GridProgramme> film = GridTimeline({Row(u"marathon", t - 60 * kMin, 300)});
  EXPECT_EQ(GridCellsIn(film, t), (std::vector<GridCell>{{0, 0.0, 1.0, true, true}}));
  EXPECT_TRUE(GridCellsIn(film, t + 6 * 3600).empty());
}

TEST(GridRules, FocusIsWhatIsOnAtTheFocusTimeElseTheNearestInTheWindow) {
  const int64_t t = Base();
  const std::vector<GridProgramme> timeline = GridTimeline({
      Row(u"A", t, 30),
      // a gap from t+30 to t+60
      Row(u"B", t + 60 * kMin, 30),
  });
  EXPECT_EQ(GridFocusedIndex(timeline, t, t + 10 * kMin), 0);
  EXPECT_EQ(GridFocusedIndex(timeline, t, t + 40 * kMin), 1);   // in the gap: the next one
  EXPECT_EQ(GridFocusedIndex(timeline, t, t + 100 * kMin), 1);  // after the last: the last one
  EXPECT_EQ(GridFocusedIndex(timeline, t + 3 * 3600, t + 3 * 3600), -1);  // nothing in the window
  EXPECT_EQ(GridFocusedIndex({}, t, t), -1);
}

TEST(GridRules, LeftAndRightMoveByProgrammeAndScrollAtTheWindowsEdges) {
  const int64_t t = Base(), now = t + 10 * kMin;
  const std::vector<GridProgramme> timeline = GridTimeline({
      Row(u"early", t - 4 * 3600, 60),
      Row(u"A", t, 60),
      Row(u"B", t + 60 * kMin, 50),
      Row(u"C", t + 110 * kMin, 40),  // starts in the last column, ends beyond
      Row(u"D", t + 140 * kMin, 30),  // begins after the window, within half an hour
      Row(u"late", t + 8 * 3600, 30),
  });
  GridPosition at{t, t + 5 * kMin};
  at = GridStep(timeline, at, +1, now);  // to B, in the window
  EXPECT_EQ(at, (GridPosition{t, t + 60 * kMin}));
  at = GridStep(timeline, at, +1, now);  // to C, still starting in the window
  EXPECT_EQ(at, (GridPosition{t, t + 110 * kMin}));
  at = GridStep(timeline, at, +1, now);  // D is beyond: the window moves half an hour
  EXPECT_EQ(at, (GridPosition{t + kHalf, t + 140 * kMin}));
  EXPECT_EQ(timeline[size_t(GridFocusedIndex(timeline, at.windowStart, at.focusTime))].start, t + 140 * kMin);
  at = GridStep(timeline, at, +1, now);  // "late" is hours away: the window jumps to it
  EXPECT_EQ(at, (GridPosition{t + 8 * 3600, t + 8 * 3600}));
  at = GridStep(timeline, at, +1, now);  // the guide ends: half an hour on, focus kept in the window
  EXPECT_EQ(at.windowStart, t + 8 * 3600 + kHalf);

  // Going left, a programme far beyond the left edge shows with its end in
  // the last column; one just beyond it is half an hour away.
  GridPosition back{t, t};
  back = GridStep(timeline, back, -1, now);
  EXPECT_EQ(back, (GridPosition{t - 5 * 3600, t - 4 * 3600}));
  EXPECT_EQ(GridFocusedIndex(timeline, back.windowStart, back.focusTime), 0);
  // A programme cut by the left edge is focused where it shows.
  GridPosition cut{t + 30 * kMin, t + 60 * kMin};  // B focused; A began before the window
  cut = GridStep(timeline, cut, -1, now);
  EXPECT_EQ(cut, (GridPosition{t + 30 * kMin, t + 30 * kMin}));
  EXPECT_EQ(GridFocusedIndex(timeline, cut.windowStart, cut.focusTime), 1);
  const std::vector<GridProgramme> near = GridTimeline({Row(u"P", t - 50 * kMin, 30), Row(u"Q", t, 30)});
  EXPECT_EQ(GridStep(near, GridPosition{t, t}, -1, now), (GridPosition{t - kHalf, t - kHalf}));

  // An empty row scrolls by half an hour, and never beyond a week from now.
  EXPECT_EQ(GridStep({}, GridPosition{t, t}, +1, now), (GridPosition{t + kHalf, t + kHalf}));
  EXPECT_EQ(GridStep({}, GridPosition{t, t}, -1, now), (GridPosition{t - kHalf, t - kHalf}));
  const int64_t limit = HalfHourAtOrBefore(now + kGridReachSeconds);
  EXPECT_EQ(GridStep({}, GridPosition{limit, limit}, +1, now).windowStart, limit);
}

// What Enter does on a running, an archived past or an empty cell is walked
// through the navigator (GridTest); here the cases it does not reach.
TEST(GridRules, EnterShowsAProgrammeToComeOrOlderThanTheArchiveEvenWithAnArchive) {
  const int64_t now = Base() + 10 * kMin;
  const GridProgramme future{2, now + 20 * kMin, now + 80 * kMin};
  const GridProgramme tooOld{3, now - 9 * 24 * 3600, now - 9 * 24 * 3600 + 3600};
  EXPECT_EQ(GridEnterAction(&future, true, now), GridEnter::ShowDetails);
  EXPECT_EQ(GridEnterAction(&tooOld, true, now), GridEnter::ShowDetails);
}

TEST(GridRules, HalfHoursFollowTheLocalClock) {
  const int64_t t = HalfHourAtOrBefore(1780000000 + 17 * kMin + 5);
  const LocalTime local = ToLocalTime(t);
  EXPECT_EQ(local.minute % 30, 0);
  EXPECT_EQ(local.second, 0);
  EXPECT_EQ(HalfHourAtOrBefore(t), t);
  EXPECT_EQ(GridPositionAt(t + 7 * kMin), (GridPosition{t, t + 7 * kMin}));
}
