#include "state/app_state.h"

#include "platform/clock.h"

void ShowNotice(AppState& state, std::u16string text, uint64_t durationMs, uint64_t nowMs) {
  state.toast.text = std::move(text);
  state.toast.hideAtMs = nowMs + durationMs;
}

void ShowNotice(AppState& state, std::u16string text, uint64_t durationMs) {
  ShowNotice(state, std::move(text), durationMs, TickMs());
}
