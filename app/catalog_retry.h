#pragma once
// A catalog load that left no channels (a first start without a network, a
// provider or sign-in server that does not answer) is tried again: the boot
// job runs once more after 5 s, then after a pause that doubles up to a
// minute, until the channels come. Meanwhile the status line says why and
// when the next try starts. Main thread only.
#include <cstdint>
#include <string>

#include "app/jobs.h"
#include "state/app_state.h"

inline constexpr uint64_t kCatalogRetryFirstMs = 5000;
inline constexpr uint64_t kCatalogRetryCapMs = 60000;

// The pause after `failures` loads in a row gave no channels (1 or more).
uint64_t CatalogRetryPause(int failures);

// After a result whose job asked for the live list: with channels on hand
// the retries end; without, the next one is planned and the status says so.
void FollowLiveLoad(AppState& state, uint64_t nowMs);

// The one-second tick: starts the planned retry when it is due and no
// other load runs, else keeps the status line's countdown.
void CheckCatalogRetry(AppState& state, JobMailbox& mailbox, uint64_t nowMs);

// "<why> · Trying again in <n> s" (the reason left out where the provider's
// own status already says it).
std::u16string CatalogRetryText(const AppState& state, uint64_t nowMs);
