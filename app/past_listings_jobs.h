#pragma once
// The past programmes kept on disk for catch-up (catalog/guide_past.h):
// read on a job once the account is known, completed by every guide answer
// and whole-guide fill of a channel with an archive (app/guide_jobs.h), and
// written back on a job every few minutes while they changed, and at the
// end. Main thread only.
#include <cstdint>

#include "app/job_results.h"
#include "app/jobs.h"

struct AppState;

// How often changed listings are written.
constexpr uint64_t kPastSaveEveryMs = 5 * 60 * 1000;

// Reads the current account's listings on a job, unless they are read or
// being read for it. What was remembered before they arrive is kept.
void LoadPastListingsFor(AppState& state, JobMailbox& mailbox);

// The listings read: joined with what was remembered meanwhile, when they
// are still the current account's.
void MergePastListings(AppState& state, PastListingsLoaded& loaded);

// Writes the listings to their account's file when they changed since they
// were read (never a set over a file not read yet): on a job, or at once
// when `waitForIt` (the end, before an account switch drops them).
void SavePastListings(AppState& state, bool waitForIt);
