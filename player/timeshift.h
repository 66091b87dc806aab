#pragma once
// Live pause and rewind over the engine's demuxer cache: how large the
// cache is made for a live load, what it holds (read from the engine's
// "demuxer-cache-state"), how far behind live the picture is, and where a
// seek may land. Pure rules: the Player applies them to its engine.
//
// How far behind live the picture is counts the way a viewer sees it: the
// time spent paused, minus what was skipped forward, plus what was skipped
// back. Positions in the stream only say where a seek lands; the live edge
// of a stream is not where its newest packet is (servers send a few seconds
// ahead at once), so "live" is where playback would be had it never paused.
#include <cstdint>
#include <string_view>

#include "state/playback_state.h"

// The engine's cache for a live load with a buffer of `minutes`. The whole
// buffer lies ahead of the picture while it is paused, so the forward limit
// carries it; the engine lets the back buffer use what the forward one does
// not. The engine's disk cache is not used: its file only grows while a
// channel plays, however long, where the memory cache stays bounded.
struct LiveBufferSize {
  int minutes = 0;            // 0: no buffer, the engine's own limits stay
  uint64_t forwardBytes = 0;  // "demuxer-max-bytes"
  uint64_t backBytes = 0;     // "demuxer-max-back-bytes"
  double Seconds() const { return minutes * 60.0; }
};
// `minutes` outside kLiveBufferChoices (store/preferences.h) counts as off.
LiveBufferSize LiveBufferFor(int minutes);

// Reads the JSON text of "demuxer-cache-state"; unreadable text or no
// range: not seekable.
CacheSpan ParseCacheState(std::string_view json);

// Behind live at `nowMs`, never beyond `windowSeconds`.
double BehindAt(const TimeshiftState& state, uint64_t nowMs, double windowSeconds);

// Where a skip of `deltaSeconds` (negative: back) from `position` lands:
// never before the oldest buffered second nor further back than the window,
// never past live. Landing within a second of live is live.
struct TimeshiftSeek {
  double target = 0;  // stream seconds, for an absolute seek
  double behind = 0;  // behind live after it
  bool live = false;  // back at live: the time shift ends
};
TimeshiftSeek PlanSkip(const TimeshiftState& state, double position, double deltaSeconds, uint64_t nowMs,
                       double windowSeconds);
// Back to live from wherever the picture is.
TimeshiftSeek PlanLive(const TimeshiftState& state, double position, uint64_t nowMs, double windowSeconds);

// Within this much of live the picture counts as live.
inline constexpr double kLiveSnapSeconds = 1.0;
