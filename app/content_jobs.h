#pragma once
// Jobs that fetch content for one screen: sports events and series details
// (the programme guide's requests are in app/guide_jobs.h, included here for
// the callers that start them with the others). Main thread starts them;
// results come back as merges.
#include <string>

#include "state/app_state.h"
#include "app/guide_jobs.h"
#include "app/jobs.h"

// Sports: does nothing while a fetch runs (SportsBusy).
void StartSportsJob(AppState& state, JobMailbox& mailbox);

// Series info for `seriesId`; only the latest request's answer is merged and
// announced (SeriesInfoGeneration).
void StartSeriesInfoJob(AppState& state, JobMailbox& mailbox, const std::u16string& seriesId);
