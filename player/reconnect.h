#pragma once
// How a live stream that stopped is reconnected in place: the first attempt
// a second after the loss, then after a pause that doubles from one second
// up to 16 s, ten attempts in all; with one-second ticks and attempts that
// fail at once that gives up about 2¼ minutes after the loss, long enough
// for a provider's restart and short enough not to hammer one that is gone.
// An attempt still connecting is given kReconnectStartMs before the next
// one replaces it. Pure: the Player feeds it what the engine shows and
// carries out what it answers. Any thread.
#include <cstdint>

#include "state/playback_state.h"

inline constexpr uint64_t kReconnectFirstPauseMs = 1000;
inline constexpr uint64_t kReconnectPauseCapMs = 16000;
inline constexpr int kReconnectAttempts = 10;
inline constexpr uint64_t kReconnectStartMs = 6000;

// What the engine shows of a live stream.
enum class StreamHealth {
  Playing,   // a position, not at its end
  Starting,  // loading: no position yet, not idle
  Dead,      // idle, or at the end of what came
};

enum class ReconnectAction {
  None,
  Lost,       // the stream just stopped: say so; the first attempt follows
  Attempt,    // load the stream again now (attempt `attempts`)
  Recovered,  // it plays again
  GiveUp,     // every attempt failed
};

// The pause before the attempt that follows `attemptsMade` failed ones.
uint64_t ReconnectPause(int attemptsMade);

// One supervision step for a stream that had played (the caller asks only
// then, or while `state` is active).
ReconnectAction StepReconnect(ReconnectState& state, StreamHealth health, uint64_t nowMs);
