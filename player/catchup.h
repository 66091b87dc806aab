#pragma once
// Catch-up: replaying a past programme of a live channel from the
// provider's archive. Servers differ in the archive URL form and the time
// notation they accept, and nothing in their answers says which, so a
// programme gets an ordered list of candidate URLs: the first is loaded,
// and the Player's supervision moves to the next whenever it goes idle
// without video (player/player.h). When every candidate failed, its owner
// is told. Main thread only.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/account.h"
#include "state/playback_state.h"

// The candidate archive URLs for a programme of `streamId` starting at
// `start` (Unix seconds) for `minutes`, in the order they are tried and
// without repeats; empty when the stream id is empty, the account is no
// Xtream account or the start is below 1.
//
// Path form: server/timeshift/user/password/duration/time/id.ext; query
// form: server/streaming/timeshift.php?username=&password=&stream=&start=
// &duration=. Times are "YYYY-MM-DD:HH-MM" in local time (L) or UTC (U),
// or "YYYY-MM-DD:HH:MM" in local time (C); the duration is the minutes
// when they lie in 5..180, else 60. Order: path L .ts, path L .m3u8, query
// L, path U .ts, path L with 60 .ts, path U .m3u8, query U, path C .ts.
//
// `panelOffset` is the provider panel's UTC offset in seconds when known
// (catalog/panel_clock.h). When its wall-clock time differs from both the
// local time and UTC, the path form (.ts) and the query form written in the
// panel's time come first; the rest of the list is unchanged.
std::vector<std::u16string> CatchupCandidates(const XtreamAccount& account, std::u16string_view streamId,
                                              int64_t start, int32_t minutes,
                                              std::optional<int32_t> panelOffset = std::nullopt);

// The part of a candidate the log shows: the text after its last "/", or
// the whole candidate when it has none.
std::u16string_view CatchupLogTail(std::u16string_view candidate);

// What the supervision reads from the player every 2.5 s.
struct CatchupProbe {
  std::u16string videoCodec;  // "video-codec"
  std::u16string width, height;
  std::u16string idleActive;  // "idle-active"
  std::u16string path;
};

enum class CatchupVerdict {
  Nothing,   // not trying, or the candidate is still opening
  Working,   // the candidate shows video: trying ends
  LoadNext,  // the candidate failed: load `url`
  GiveUp,    // every candidate failed: tell the user, back to the guide
};

struct CatchupDecision {
  CatchupVerdict verdict = CatchupVerdict::Nothing;
  std::u16string url;
};

// A candidate that stays idle this long after its load has failed.
constexpr uint64_t kCatchupIdleGraceMs = 2200;

// The candidate step: ends catch-up quietly when something else was loaded
// since its candidate (lastUrl differs); otherwise updates the catch-up fields of `playback` (index,
// active flag, playStartTick and lastUrl of a new load) and writes the
// "catch try %d/%d %s" line for each further candidate. The caller loads
// `url` (LoadNext) or reports the failure (GiveUp).
CatchupDecision CatchupStep(PlaybackState& playback, const CatchupProbe& probe, uint64_t nowMs);
