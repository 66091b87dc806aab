#include "app/content_jobs.h"

#include "platform/clock.h"
#include "store/runtime_log.h"

void StartSportsJob(AppState& state, JobMailbox& mailbox) {
  bool expected = false;
  if (!state.flags.SportsBusy.compare_exchange_strong(expected, true)) return;
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags] {
    SportsEvents events = FetchSports();
    flags->SportsBusy = false;
    mailbox.Deliver(SportsLoaded{std::move(events)});
  });
}

void StartSeriesInfoJob(AppState& state, JobMailbox& mailbox, const std::u16string& seriesId) {
  const uint32_t generation = ++state.flags.SeriesInfoGeneration;
  const XtreamAccount account = state.account;
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, account, seriesId, generation] {
    SeriesInfo info;
    const bool ok = GetSeriesInfo(account, seriesId, info);
    WriteLogF(128, "series info fetched ok=%d episodes=%d", ok ? 1 : 0, int(info.Episodes.size()));
    // A newer request superseded this one: its answer is dropped unseen.
    if (flags->SeriesInfoGeneration.load() != generation) return;
    mailbox.Deliver(SeriesInfoLoaded{std::move(info), generation});
  });
}
