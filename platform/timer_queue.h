#pragma once
// The host window's timers: id, period, next deadline, repeating or not.
// Kept by the main loop and fired on the main thread, as the window timers
// of other systems are. Pure bookkeeping on a millisecond clock that the
// caller passes in, so it can be tested without waiting.
#include <cstdint>
#include <optional>
#include <vector>

class TimerQueue {
 public:
  // Starts timer `id`, or restarts it if it exists: its first deadline is
  // now + periodMs. A period of 0 counts as 1 ms, so a timer that re-arms
  // itself from its own handler cannot starve the loop.
  void Set(int id, uint32_t periodMs, bool repeating, uint64_t nowMs);
  void Kill(int id);
  bool Has(int id) const;
  bool Empty() const { return timers_.empty(); }

  // Milliseconds until the earliest deadline, 0 when one is due, nullopt
  // when there are no timers (the loop may then wait for events only).
  std::optional<uint64_t> MsUntilNext(uint64_t nowMs) const;

  // Takes the earliest timer due at nowMs (ties: the one set first). A
  // one-shot timer is removed; a repeating one moves to its next deadline,
  // which is always later than nowMs: beats missed while the loop was busy
  // are skipped, not fired in a burst. Called repeatedly with the same nowMs,
  // each timer comes out at most once.
  std::optional<int> TakeDue(uint64_t nowMs);

 private:
  struct Timer {
    int id = 0;
    uint32_t periodMs = 1;
    bool repeating = false;
    uint64_t deadlineMs = 0;
    uint64_t order = 0;  // when it was (re)set, for ties
  };
  std::vector<Timer> timers_;
  uint64_t nextOrder_ = 0;
};
