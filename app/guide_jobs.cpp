#include "app/guide_jobs.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "app/past_listings_jobs.h"
#include "net/text.h"
#include "platform/clock.h"
#include "state/app_state.h"
#include "store/runtime_log.h"

namespace {

// How far back the channel's past programmes are kept: found in the list on
// the job, since a million channels are no search for the main thread.
int32_t ArchiveDaysOf(const SharedItems& live, std::u16string_view streamId) {
  if (!live) return 0;
  for (const CatalogItem& item : *live)
    if (item.id() == streamId) return PastArchiveDays(item.tvArchive(), 0);
  return 0;
}

// The rows of a channel with an archive, completed by its kept past
// programmes (and keeping the ones among them that have started).
void CompleteWithPast(PastListings& past, std::u16string_view streamId, std::vector<EpgEntry>& rows,
                      int32_t archiveDays, int64_t nowUnix) {
  if (archiveDays <= 0) return;
  past.Remember(streamId, rows, archiveDays, nowUnix);
  rows = past.Complete(streamId, std::move(rows), archiveDays, nowUnix);
}

void StartFetch(const GuideDesk& desk, const GuideTicket& ticket) {
  GuideSource source{desk.account, ticket.streamId, desk.liveChannels, ticket.withPast};
  JobMailbox& mailbox = desk.mailbox;
  StartJob([&mailbox, source = std::move(source), id = ticket.id]() mutable {
    GuideLoaded answer{id, source.account, source.streamId, source.withArchive, FetchGuide(source),
                       ArchiveDaysOf(source.liveChannels, source.streamId)};
    mailbox.Deliver(std::move(answer));
  });
}

void ScheduleWake(const GuideDesk& desk, int64_t atMs, int64_t nowMs) {
  if (!desk.requests.ScheduleWake(atMs)) return;
  JobMailbox& mailbox = desk.mailbox;
  const auto delay = std::chrono::milliseconds(std::max<int64_t>(atMs - nowMs, 0));
  StartJob([&mailbox, delay, atMs] {
    std::this_thread::sleep_for(delay);
    mailbox.Deliver(GuideWake{atMs});
  });
}

// The whole guide serves every channel it has: no request is sent for them.
// Its rows are taken again once the store counts them stale.
bool FillFromWholeGuide(const GuideDesk& desk, std::u16string_view streamId, int64_t nowUnix) {
  if (!desk.wholeGuide.Any() || !(desk.wholeGuide.account == desk.account)) return false;
  const GuideChannel* held = desk.store.Find(streamId);
  if (held && held->origin == GuideOrigin::WholeGuide && held->FreshAt(nowUnix)) return true;
  std::optional<std::vector<EpgEntry>> rows = desk.wholeGuide.RowsFor(streamId, nowUnix);
  if (!rows) return false;
  const GuideLink& link = *desk.wholeGuide.LinkOf(streamId);
  CompleteWithPast(desk.past, streamId, *rows, link.archiveDays, nowUnix);
  const GuideLines lines = GuideLinesAt(*rows, nowUnix);
  WriteLogF(400, "guide fill id=%s source=%d rows=%zu now=%s", WideToUtf8(streamId).c_str(), int{link.source},
            rows->size(), WideToUtf8(lines.now).substr(0, 200).c_str());
  desk.store.Fill(streamId, std::move(*rows), GuideOrigin::WholeGuide, nowUnix);
  return true;
}

const char* StatusWord(XmltvStatus status) {
  switch (status) {
    case XmltvStatus::Reading: return "unfinished";
    case XmltvStatus::Read: return "read";
    case XmltvStatus::NotXmltv: return "none";
    case XmltvStatus::Malformed: return "malformed";
    case XmltvStatus::Truncated: return "truncated";
  }
  return "unknown";
}

// The stall limit of the guide download and the largest guide read.
constexpr uint32_t kWholeGuideTimeoutMs = 30000;
constexpr uint64_t kWholeGuideCapBytes = 4ull << 30;

}  // namespace

namespace {

GuideReadingAsk ReadingAskOf(const AppState& state) {
  GuideReadingAsk ask;
  ask.account = state.account;
  ask.liveChannels = state.catalog.LiveChannels;
  ask.map = state.guideMap;
  ask.providerOffsetHours = state.preferences.providerGuideOffsetHours;
  for (const GuideSourcePreference& source : state.preferences.guideSources)
    ask.sources.push_back({source.url, source.offsetHours});
  ask.now = NowUnix();
  ask.timeoutMs = kWholeGuideTimeoutMs;
  ask.capBytes = kWholeGuideCapBytes;
  return ask;
}

void LogReading(const GuideReading& reading, uint64_t ms) {
  const WholeGuideLoad& load = reading.provider;
  if (load.guide) {
    WriteLogF(160, "guide whole source=%s programmes=%zu channels=%zu ms=%llu", load.fromCopy ? "copy" : "download",
              load.guide->Programmes(), reading.reports.front().linked, static_cast<unsigned long long>(ms));
  } else {
    WriteLogF(200, "guide whole status=%s http=%d %s", StatusWord(load.status), load.httpStatus,
              load.detail.substr(0, 120).c_str());
  }
  for (size_t i = 1; i < reading.reports.size(); ++i) {
    const GuideSourceReport& r = reading.reports[i];
    WriteLogF(512, "guide source %zu %s programmes=%zu channels=%zu linked=%zu%s%s", i, r.read ? "read" : "failed",
              r.programmes, r.channels, r.linked, r.detail.empty() ? "" : " why=", r.detail.c_str());
  }
  const GuideLinkCounts& c = reading.counts;
  WriteLogF(200, "guide links id=%zu name=%zu chosen=%zu unsure=%zu none=%zu noguide=%zu", c.byId, c.byName,
            c.chosen, c.unsure, c.none, c.noGuide);
}

}  // namespace

void StartWholeGuideJob(AppState& state, JobMailbox& mailbox, bool again) {
  if (state.wholeGuideBusy || !state.account.IsXtream || !state.catalog.LiveChannels || state.catalog.LiveChannels->empty()) return;
  state.wholeGuideBusy = true;
  state.wholeGuideFromCopy = WholeGuideCopyFresh(state.account, NowUnix());
  const bool onlyWhenStale = !again && state.wholeGuide.Any() && state.wholeGuide.account == state.account;
  StartJob([&mailbox, ask = ReadingAskOf(state), onlyWhenStale] {
    WholeGuideLoaded loaded{ask.account, {}};
    if (onlyWhenStale && !GuideCopiesStale(ask)) {
      mailbox.Deliver(std::move(loaded));
      return;
    }
    const uint64_t started = TickMs();
    loaded.reading = std::make_shared<GuideReading>(ReadGuides(ask));
    LogReading(*loaded.reading, TickMs() - started);
    mailbox.Deliver(std::move(loaded));
  });
}

bool MergeWholeGuide(AppState& state, WholeGuideLoaded& loaded) {
  state.wholeGuideBusy = false;
  state.wholeGuideFromCopy = false;
  if (!(loaded.account == state.account) || !loaded.reading) return false;
  GuideReading& reading = *loaded.reading;
  state.guideSourceReports = std::move(reading.reports);
  state.guideReview = std::move(reading.review);
  bool any = false;
  for (const GuideSourceHeld& source : reading.sources) any = any || source.guide;
  if (!any) return false;
  // Rows asked per channel until now give way to the guide's on the
  // channel's next look (see FillFromWholeGuide); so do those of the guide
  // read before, whose links, offsets or sources may have changed.
  state.wholeGuide = WholeGuideHeld{loaded.account, std::move(reading.sources), std::move(reading.links)};
  state.guide.DropOrigin(GuideOrigin::WholeGuide);
  return true;
}

void ReadGuidesAgain(AppState& state, JobMailbox& mailbox) {
  if (state.wholeGuideBusy) {
    state.guidesReadAgain = true;
    return;
  }
  StartWholeGuideJob(state, mailbox, true);
}

void StartWholeGuideFromCopy(AppState& state, JobMailbox& mailbox) {
  if (WholeGuideCopyFresh(state.account, NowUnix())) StartWholeGuideJob(state, mailbox);
}

bool AskGuidesAwaitingWhole(AppState& state, JobMailbox& mailbox) {
  if (state.guidesAwaitingWhole.empty()) return false;
  const auto waiting = std::exchange(state.guidesAwaitingWhole, {});
  const GuideDesk desk = GuideDeskOf(state, mailbox);
  for (const auto& [streamId, withPast] : waiting)
    RequestGuide(desk, streamId, withPast, static_cast<int64_t>(TickMs()), NowUnix());
  return true;
}

GuideDesk GuideDeskOf(AppState& state, JobMailbox& mailbox) {
  const bool readingCopy = state.wholeGuideBusy && state.wholeGuideFromCopy;
  return GuideDesk{state.guide,     state.guideRequests, state.account,
                   state.catalog.LiveChannels, mailbox,  state.wholeGuide,
                   readingCopy ? &state.guidesAwaitingWhole : nullptr,
                   int64_t{state.preferences.providerGuideOffsetHours} * 3600, state.pastListings, state.guideMap};
}

void RequestGuide(const GuideDesk& desk, std::u16string_view streamId, bool withPast, int64_t nowMs,
                  int64_t nowUnix) {
  if (!desk.account.IsXtream || streamId.empty()) return;
  // "No guide for this channel": nothing is asked for it.
  if (const GuideAssignment* choice = desk.choices.Find(AccountKey(desk.account), streamId); choice && choice->NoGuide())
    return;
  desk.store.Touch(streamId);
  if (FillFromWholeGuide(desk, streamId, nowUnix)) return;
  if (desk.awaitingWhole) {
    auto& waiting = *desk.awaitingWhole;
    const auto same = [&](const auto& wish) { return wish.first == streamId; };
    if (auto it = std::find_if(waiting.begin(), waiting.end(), same); it != waiting.end()) {
      it->second = it->second || withPast;
    } else {
      waiting.emplace_back(std::u16string(streamId), withPast);
    }
    return;
  }
  if (AskForGuide(desk.requests, desk.store, streamId, withPast, nowMs, nowUnix)) PumpGuideRequests(desk, nowMs);
}

void PumpGuideRequests(const GuideDesk& desk, int64_t nowMs) {
  while (std::optional<GuideTicket> ticket = desk.requests.Next(nowMs)) {
    WriteLogF(160, "guide request id=%s inflight=%d", WideToUtf8(ticket->streamId).c_str(), desk.requests.InFlight());
    StartFetch(desk, *ticket);
  }
  const std::optional<int64_t> next = desk.requests.NextStartMs(nowMs);
  if (next) ScheduleWake(desk, *next, nowMs);
}

bool MergeGuideAnswer(const GuideDesk& desk, GuideLoaded& answer, int64_t nowMs, int64_t nowUnix) {
  GuideFetch& fetch = answer.fetch;
  const GuideOutcome outcome = fetch.throttled ? GuideOutcome::Throttled
                               : fetch.answered ? GuideOutcome::Answered
                                                : GuideOutcome::Unreadable;
  const int64_t waitMs = desk.requests.Finish(answer.ticket, outcome, fetch.retryAfterSeconds, nowMs);
  if (waitMs > 0)
    WriteLogF(80, "guide backoff status=%d wait=%llds", fetch.throttled, static_cast<long long>((waitMs + 999) / 1000));
  bool changed = false;
  // An answer for the account used before a switch describes other channels.
  if (answer.account == desk.account && outcome != GuideOutcome::Throttled) {
    ShiftGuideRows(fetch.rows, desk.offsetSeconds);
    const int count = outcome == GuideOutcome::Answered ? static_cast<int>(fetch.rows.size()) : 0;
    const int current = count > 0 ? CurrentGuideRow(fetch.rows, nowUnix) : 0;
    if (outcome == GuideOutcome::Answered) {
      CompleteWithPast(desk.past, answer.streamId, fetch.rows, answer.archiveDays, nowUnix);
      desk.store.Fill(answer.streamId, std::move(fetch.rows),
                      answer.withPast ? GuideOrigin::FullTable : GuideOrigin::ShortGuide, nowUnix);
      changed = true;
    }
    WriteLogF(80, "epg rows=%d cur=%d", count, current);
  }
  PumpGuideRequests(desk, nowMs);
  return changed;
}

void MergeGuideWake(const GuideDesk& desk, const GuideWake& wake, int64_t nowMs) {
  desk.requests.Woke(wake.atMs);
  PumpGuideRequests(desk, nowMs);
}

void ForgetGuides(AppState& state) {
  SavePastListings(state, true);
  state.pastListings.Clear();
  state.pastListingsAccount = XtreamAccount{};
  state.pastListingsRead = false;
  state.guide.Clear();
  state.wholeGuide = WholeGuideHeld{};
  state.guidesAwaitingWhole.clear();
  state.guideRequests.Reset();
  state.guideSourceReports.clear();
  state.guideReview.clear();
}

void AskForGuides(AppState& state, JobMailbox& mailbox, const std::vector<GuideWish>& wishes) {
  if (wishes.empty()) return;
  const int64_t nowUnix = NowUnix();
  const GuideDesk desk = GuideDeskOf(state, mailbox);
  for (const GuideWish& wish : wishes)
    RequestGuide(desk, wish.streamId, wish.withPast, static_cast<int64_t>(TickMs()), nowUnix);
}

void StartGuideJob(AppState& state, JobMailbox& mailbox, std::u16string_view streamId, bool withArchive) {
  RequestGuide(GuideDeskOf(state, mailbox), streamId, withArchive, static_cast<int64_t>(TickMs()), NowUnix());
}
