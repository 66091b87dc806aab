#include "app/guide_jobs.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "net/text.h"
#include "platform/clock.h"
#include "state/app_state.h"
#include "store/runtime_log.h"

namespace {

void StartFetch(const GuideDesk& desk, const GuideTicket& ticket) {
  GuideSource source{desk.account, ticket.streamId, desk.liveChannels, ticket.withPast};
  JobMailbox& mailbox = desk.mailbox;
  StartJob([&mailbox, source = std::move(source), id = ticket.id]() mutable {
    GuideLoaded answer{id, source.account, source.streamId, source.withArchive, FetchGuide(source)};
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
  if (!desk.wholeGuide.guide || !(desk.wholeGuide.account == desk.account)) return false;
  const GuideChannel* held = desk.store.Find(streamId);
  if (held && held->origin == GuideOrigin::WholeGuide && held->FreshAt(nowUnix)) return true;
  std::optional<std::vector<EpgEntry>> rows = desk.wholeGuide.RowsFor(streamId, nowUnix);
  if (!rows) return false;
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

void StartWholeGuideJob(AppState& state, JobMailbox& mailbox) {
  if (state.wholeGuideBusy || !state.account.IsXtream || !state.catalog.LiveChannels || state.catalog.LiveChannels->empty()) return;
  state.wholeGuideBusy = true;
  state.wholeGuideFromCopy = WholeGuideCopyFresh(state.account, NowUnix());
  const bool onlyWhenStale = state.wholeGuide.guide && state.wholeGuide.account == state.account;
  StartJob([&mailbox, account = state.account, live = state.catalog.LiveChannels, onlyWhenStale] {
    WholeGuideLoaded loaded{account, {}};
    const int64_t now = NowUnix();
    if (onlyWhenStale && WholeGuideCopyFresh(account, now)) {
      mailbox.Deliver(std::move(loaded));
      return;
    }
    const uint64_t started = TickMs();
    loaded.load = LoadWholeGuide(account, live, now, kWholeGuideTimeoutMs, kWholeGuideCapBytes);
    const WholeGuideLoad& load = loaded.load;
    if (load.guide) {
      WriteLogF(160, "guide whole source=%s programmes=%zu channels=%zu ms=%llu", load.fromCopy ? "copy" : "download",
                load.guide->Programmes(), load.channelOf ? load.channelOf->size() : size_t(0),
                static_cast<unsigned long long>(TickMs() - started));
    } else {
      WriteLogF(200, "guide whole status=%s http=%d %s", StatusWord(load.status), load.httpStatus,
                load.detail.substr(0, 120).c_str());
    }
    mailbox.Deliver(std::move(loaded));
  });
}

bool MergeWholeGuide(AppState& state, WholeGuideLoaded& loaded) {
  state.wholeGuideBusy = false;
  state.wholeGuideFromCopy = false;
  if (!(loaded.account == state.account) || !loaded.load.guide) return false;
  // Rows asked per channel until now give way to the guide's on the
  // channel's next look (see FillFromWholeGuide).
  state.wholeGuide = WholeGuideHeld{loaded.account, std::move(loaded.load.guide), std::move(loaded.load.channelOf)};
  return true;
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
                   readingCopy ? &state.guidesAwaitingWhole : nullptr};
}

void RequestGuide(const GuideDesk& desk, std::u16string_view streamId, bool withPast, int64_t nowMs,
                  int64_t nowUnix) {
  if (!desk.account.IsXtream || streamId.empty()) return;
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
    const int count = outcome == GuideOutcome::Answered ? static_cast<int>(fetch.rows.size()) : 0;
    const int current = count > 0 ? CurrentGuideRow(fetch.rows, nowUnix) : 0;
    if (outcome == GuideOutcome::Answered) {
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
  state.guide.Clear();
  state.wholeGuide = WholeGuideHeld{};
  state.guidesAwaitingWhole.clear();
  state.guideRequests.Reset();
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
