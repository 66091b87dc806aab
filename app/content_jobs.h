#pragma once
// Jobs that fetch content for one screen: sports events, series details and
// the programme guide. Main thread starts them; results come back as merges.
#include <string>

#include "state/app_state.h"
#include "app/jobs.h"

// Sports: does nothing while a fetch runs (SportsBusy).
void StartSportsJob(AppState& state, JobMailbox& mailbox);

// Series info for `seriesId`; only the latest request's answer is merged and
// announced (SeriesInfoGeneration).
void StartSeriesInfoJob(AppState& state, JobMailbox& mailbox, const std::u16string& seriesId);

// The guide of a live channel, unless the guide holds it already or is
// fetching it.
void StartGuideJob(AppState& state, JobMailbox& mailbox, std::u16string_view streamId, bool withArchive = false);
