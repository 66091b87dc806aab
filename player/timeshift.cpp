#include "player/timeshift.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "net/json_scan.h"
#include "store/preferences.h"

namespace {

constexpr uint64_t kMiB = 1024ull * 1024;
// The back buffer's own share; what the forward buffer leaves it comes on
// top.
constexpr uint64_t kBackBytes = 16 * kMiB;

struct BufferRow {
  int minutes;
  uint64_t forwardBytes;
};
// About the window of an SD stream at 6 Mbit/s, and 1 GiB at most: an HD
// stream fills the larger ones sooner than their minutes.
constexpr BufferRow kBufferRows[] = {{5, 256 * kMiB}, {15, 512 * kMiB}, {30, 1024 * kMiB}};

double Number(const std::string& raw, double fallback) {
  double value = 0;
  const char* begin = raw.data();
  const char* end = raw.data() + raw.size();
  while (end > begin && (end[-1] == ' ' || end[-1] == '\n')) --end;
  const auto result = std::from_chars(begin, end, value);
  return result.ec == std::errc() && result.ptr == end ? value : fallback;
}

}  // namespace

LiveBufferSize LiveBufferFor(int minutes) {
  for (const BufferRow& row : kBufferRows) {
    if (row.minutes == minutes) return LiveBufferSize{minutes, row.forwardBytes, kBackBytes};
  }
  return {};
}

CacheSpan ParseCacheState(std::string_view json) {
  CacheSpan span;
  const std::string ranges = JsonScan::Array(json, "seekable-ranges");
  const std::vector<std::string_view> objects = JsonScan::Objects(ranges.size() > 2 ? std::string_view(ranges).substr(1) : "");
  if (objects.empty()) return span;
  const std::string_view last = objects.back();
  const double start = Number(JsonScan::Value(last, "start"), -1);
  const double end = Number(JsonScan::Value(last, "end"), -1);
  if (start < 0 || end <= start) return span;
  span.seekable = true;
  span.start = start;
  span.end = end;
  span.bytes = uint64_t(std::max(0.0, Number(JsonScan::Value(json, "total-bytes"), 0)));
  return span;
}

double BehindAt(const TimeshiftState& state, uint64_t nowMs, double windowSeconds) {
  double behind = state.behind;
  if (state.paused && nowMs > state.sinceMs) behind += double(nowMs - state.sinceMs) / 1000.0;
  return std::clamp(behind, 0.0, windowSeconds);
}

TimeshiftSeek PlanSkip(const TimeshiftState& state, double position, double deltaSeconds, uint64_t nowMs,
                       double windowSeconds) {
  const double behind = BehindAt(state, nowMs, windowSeconds);
  // The oldest second the cache still holds bounds how far back a skip goes.
  const double oldest = state.span.seekable ? std::min(state.span.start, position) : position;
  const double furthest = std::min(windowSeconds, behind + std::max(0.0, position - oldest));
  const double wanted = std::clamp(behind - deltaSeconds, 0.0, std::max(furthest, behind));
  TimeshiftSeek seek;
  if (wanted < kLiveSnapSeconds) {
    seek.live = true;
    seek.behind = 0;
    seek.target = position + behind;
  } else {
    seek.behind = wanted;
    seek.target = position + (behind - wanted);
  }
  if (state.span.seekable) seek.target = std::clamp(seek.target, state.span.start, state.span.end);
  return seek;
}

TimeshiftSeek PlanLive(const TimeshiftState& state, double position, uint64_t nowMs, double windowSeconds) {
  return PlanSkip(state, position, BehindAt(state, nowMs, windowSeconds) + kLiveSnapSeconds, nowMs, windowSeconds);
}
