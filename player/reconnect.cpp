#include "player/reconnect.h"

#include "net/retry_pause.h"

uint64_t ReconnectPause(int attemptsMade) {
  return DoublingPause(kReconnectFirstPauseMs, kReconnectPauseCapMs, attemptsMade);
}

ReconnectAction StepReconnect(ReconnectState& state, StreamHealth health, uint64_t nowMs) {
  if (state.gaveUp) return ReconnectAction::None;
  if (!state.active) {
    if (health != StreamHealth::Dead) return ReconnectAction::None;
    state = ReconnectState{};
    state.active = true;
    state.lostAtMs = nowMs;
    state.nextAttemptMs = nowMs + ReconnectPause(0);
    return ReconnectAction::Lost;
  }
  if (health == StreamHealth::Playing) {
    state = ReconnectState{};
    return ReconnectAction::Recovered;
  }
  // A connection still being made is not cut short: a provider coming back
  // may answer slowly.
  const bool connecting = health == StreamHealth::Starting && state.attempts > 0;
  if (connecting && nowMs - state.attemptAtMs < kReconnectStartMs) return ReconnectAction::None;
  // The pause runs from when the last attempt was seen failing.
  if (state.nextAttemptMs == 0) state.nextAttemptMs = nowMs + ReconnectPause(state.attempts);
  if (nowMs < state.nextAttemptMs) return ReconnectAction::None;
  if (state.attempts >= kReconnectAttempts) {
    state.active = false;
    state.gaveUp = true;
    return ReconnectAction::GiveUp;
  }
  ++state.attempts;
  state.attemptAtMs = nowMs;
  state.nextAttemptMs = 0;
  return ReconnectAction::Attempt;
}
