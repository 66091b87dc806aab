#include "ui/screens/grid_rules.h"

#include <algorithm>

#include "platform/clock.h"

std::vector<GridProgramme> GridTimeline(const std::vector<EpgEntry>& rows) {
  std::vector<GridProgramme> timeline;
  timeline.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].start <= 0) continue;
    timeline.push_back(GridProgramme{int32_t(i), rows[i].start, GuideRowEnd(rows[i])});
  }
  // Stable: of two rows with one start, the first listed stays first.
  std::stable_sort(timeline.begin(), timeline.end(),
                   [](const GridProgramme& a, const GridProgramme& b) { return a.start < b.start; });
  std::vector<GridProgramme> kept;
  kept.reserve(timeline.size());
  for (const GridProgramme& p : timeline) {
    if (!kept.empty() && kept.back().start == p.start) continue;
    if (!kept.empty() && kept.back().end > p.start) kept.back().end = p.start;
    kept.push_back(p);
  }
  return kept;
}

std::vector<GridCell> GridCellsIn(const std::vector<GridProgramme>& timeline, int64_t windowStart) {
  std::vector<GridCell> cells;
  const int64_t windowEnd = windowStart + kGridWindowSeconds;
  // The first programme that ends after the window's start.
  auto it = std::upper_bound(timeline.begin(), timeline.end(), windowStart,
                             [](int64_t t, const GridProgramme& p) { return t < p.end; });
  for (; it != timeline.end() && it->start < windowEnd; ++it) {
    if (it->end <= windowStart) continue;  // cannot happen in a timeline, kept for safety
    GridCell cell;
    cell.index = int(it - timeline.begin());
    cell.cutLeft = it->start < windowStart;
    cell.cutRight = it->end > windowEnd;
    cell.from = double(std::max(it->start, windowStart) - windowStart) / kGridWindowSeconds;
    cell.to = double(std::min(it->end, windowEnd) - windowStart) / kGridWindowSeconds;
    cells.push_back(cell);
  }
  return cells;
}

int64_t HalfHourAtOrBefore(int64_t t) {
  const LocalTime local = ToLocalTime(t);
  return t - int64_t(local.minute % 30) * 60 - local.second;
}

int GridFocusedIndex(const std::vector<GridProgramme>& timeline, int64_t windowStart, int64_t focusTime) {
  const int64_t windowEnd = windowStart + kGridWindowSeconds;
  int lastBefore = -1;
  for (size_t i = 0; i < timeline.size(); ++i) {
    const GridProgramme& p = timeline[i];
    if (p.start <= focusTime && focusTime < p.end) return int(i);
    if (p.start > focusTime) {
      if (p.start < windowEnd) return int(i);
      break;
    }
    if (p.end > windowStart) lastBefore = int(i);
  }
  return lastBefore;
}

namespace {

int64_t ClampWindow(int64_t windowStart, int64_t now) {
  const int64_t earliest = HalfHourAtOrBefore(now - kGridReachSeconds);
  const int64_t latest = HalfHourAtOrBefore(now + kGridReachSeconds);
  return std::clamp(windowStart, earliest, latest);
}

// The timeline index the step moves to, or -1.
int Neighbour(const std::vector<GridProgramme>& timeline, GridPosition at, int direction) {
  const int focused = GridFocusedIndex(timeline, at.windowStart, at.focusTime);
  if (focused >= 0) {
    const int next = focused + direction;
    return next >= 0 && next < int(timeline.size()) ? next : -1;
  }
  // Nothing in the window: the nearest programme that way.
  if (direction > 0) {
    for (size_t i = 0; i < timeline.size(); ++i)
      if (timeline[i].start > at.focusTime) return int(i);
    return -1;
  }
  for (size_t i = timeline.size(); i-- > 0;)
    if (timeline[i].start < at.focusTime) return int(i);
  return -1;
}

}  // namespace

GridPosition GridStep(const std::vector<GridProgramme>& timeline, GridPosition at, int direction, int64_t now) {
  const int64_t windowEnd = at.windowStart + kGridWindowSeconds;
  const int target = Neighbour(timeline, at, direction);
  GridPosition next = at;
  if (target < 0) {
    next.windowStart = ClampWindow(at.windowStart + direction * kGridStepSeconds, now);
    next.focusTime = std::clamp(at.focusTime + direction * kGridStepSeconds, next.windowStart,
                                next.windowStart + kGridWindowSeconds - 1);
    return next;
  }
  const GridProgramme& p = timeline[size_t(target)];
  if (direction > 0 && p.start >= windowEnd) {
    // Half an hour when that shows its start, else its start in the first column.
    const bool oneStep = p.start < windowEnd + kGridStepSeconds;
    next.windowStart = oneStep ? at.windowStart + kGridStepSeconds : HalfHourAtOrBefore(p.start);
  } else if (direction < 0 && p.end <= at.windowStart) {
    // Half an hour when that shows its end, else its end in the last column.
    const bool oneStep = p.end > at.windowStart - kGridStepSeconds;
    next.windowStart = oneStep ? at.windowStart - kGridStepSeconds
                               : HalfHourAtOrBefore(p.end - 1) - kGridWindowSeconds + kGridStepSeconds;
  }
  next.windowStart = ClampWindow(next.windowStart, now);
  // The focus time is where the programme shows in the window, so Up/Down
  // land on what is on beside it.
  next.focusTime = std::clamp(p.start, next.windowStart, next.windowStart + kGridWindowSeconds - 1);
  if (next.focusTime >= p.end) next.focusTime = p.end - 1;
  return next;
}

GridSlot GridReplaySlot(int64_t focusTime, int64_t now) {
  const int64_t start = HalfHourAtOrBefore(focusTime);
  const int64_t end = std::min(start + 3600, now);
  return GridSlot{start, static_cast<int>(std::max<int64_t>(end - start, 60) / 60)};
}

GridPosition GridPositionAt(int64_t t) { return GridPosition{HalfHourAtOrBefore(t), t}; }

GridEnter GridEnterAction(const GridProgramme* programme, bool archived, int64_t now, int64_t focusTime) {
  if (!programme) {
    const bool gone = focusTime > 0 && focusTime < now && focusTime >= now - kGridReachSeconds;
    return archived && gone && HalfHourAtOrBefore(focusTime) < now ? GridEnter::ReplaySlot : GridEnter::PlayLive;
  }
  if (programme->start <= now && now < programme->end) return archived ? GridEnter::LiveOrFromStart : GridEnter::PlayLive;
  if (programme->start > now) return GridEnter::ShowDetails;
  if (archived && programme->end >= now - kGridReachSeconds) return GridEnter::PlayCatchup;
  return GridEnter::ShowDetails;
}
