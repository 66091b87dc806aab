#pragma once
// The pause before trying again after `failures` failed tries: `firstMs`
// after none, doubled with each failure up to `capMs`. Shared by every
// retry that waits longer the longer a server stays away.
#include <algorithm>
#include <cstdint>

constexpr uint64_t DoublingPause(uint64_t firstMs, uint64_t capMs, int failures) {
  uint64_t pause = firstMs;
  for (int i = 0; i < failures && pause < capMs; ++i) pause *= 2;
  return std::min(pause, capMs);
}
