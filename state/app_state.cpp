#include "state/app_state.h"

#include "platform/clock.h"

void ShowToast(AppState& state, std::u16string text, uint64_t durationMs) {
  state.toast.text = std::move(text);
  state.toast.hideAtMs = TickMs() + durationMs;
}
