#include "app/guide_jobs.h"

#include <chrono>
#include <thread>

#include "net/text.h"
#include "platform/clock.h"
#include "state/app_state.h"
#include "store/runtime_log.h"
#include "ui/screens/grid_screen.h"

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

}  // namespace

GuideDesk GuideDeskOf(AppState& state, JobMailbox& mailbox) {
  return GuideDesk{state.guide, state.guideRequests, state.account, state.catalog.LiveChannels, mailbox};
}

void RequestGuide(const GuideDesk& desk, std::u16string_view streamId, bool withPast, int64_t nowMs,
                  int64_t nowUnix) {
  if (!desk.account.IsXtream || streamId.empty()) return;
  desk.store.Touch(streamId);
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
  state.guideRequests.Reset();
}

void AskForGridGuides(AppState& state, JobMailbox& mailbox) {
  if (state.CurrentScreen != Screen::Grid) return;
  const int64_t nowUnix = NowUnix();
  const GuideDesk desk = GuideDeskOf(state, mailbox);
  for (const GridGuideWish& wish : GridGuideWishes(state, nowUnix))
    RequestGuide(desk, wish.streamId, wish.withPast, static_cast<int64_t>(TickMs()), nowUnix);
}

void StartGuideJob(AppState& state, JobMailbox& mailbox, std::u16string_view streamId, bool withArchive) {
  RequestGuide(GuideDeskOf(state, mailbox), streamId, withArchive, static_cast<int64_t>(TickMs()), NowUnix());
}
