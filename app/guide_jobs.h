#pragma once
// The job side of the guide: every guide request to the provider is queued
// in GuideRequests, started here on a job thread when the queue lets it,
// and its answer merged into the GuideStore on the main thread.
//
// A job gets a copy of what it needs (GuideSource) and delivers a
// GuideLoaded through the mailbox; it never touches the store or the queue.
// When the queue must wait (the spacing between starts, a back-off), a job
// that only sleeps delivers a GuideWake at the time the next may start.
// Every function here runs on the main thread. The mailbox must outlive the
// jobs (a wake-up job may sleep for a back-off of minutes): the program's
// does, since the application is never destroyed.
#include <cstdint>
#include <string_view>

#include "app/job_results.h"
#include "app/jobs.h"
#include "catalog/guide_requests.h"
#include "catalog/guide_store.h"

struct AppState;

// What the guide jobs work on: the main thread's store and queue, and what a
// request is sent with.
struct GuideDesk {
  GuideStore& store;
  GuideRequests& requests;
  const XtreamAccount& account;
  const SharedItems& liveChannels;
  JobMailbox& mailbox;
  const WholeGuideHeld& wholeGuide;
  // Where a request waits while the whole guide is read from its kept copy;
  // null when nothing is being read so (requests go out at once).
  std::vector<std::pair<std::u16string, bool>>* awaitingWhole = nullptr;
};

GuideDesk GuideDeskOf(AppState& state, JobMailbox& mailbox);

// Asks for the guide of `streamId` (its past too when `withPast`): nothing is
// sent when the store holds a valid answer or the whole guide has the
// channel (its rows then fill the store at once), nor while the whole guide
// is read from its kept copy (the channel waits for it, see
// AskGuidesAwaitingWhole); otherwise the channel is queued and started as
// soon as the queue lets it. The channel counts as the one
// being looked at (the store keeps it longest).
void RequestGuide(const GuideDesk& desk, std::u16string_view streamId, bool withPast, int64_t nowMs, int64_t nowUnix);

// Starts every request the queue lets start now, each logged as
// "guide request id=<stream id> inflight=<n>", and sets a wake-up for the
// next one that must wait.
void PumpGuideRequests(const GuideDesk& desk, int64_t nowMs);

// A job's answer: into the store when it is a listing for the current
// account ("epg rows=%d cur=%d" logged as before; an unreadable answer
// logs "epg rows=0 cur=0" and leaves the stored rows as they are), a back-off started
// for a 429 or 503 ("guide backoff status=<code> wait=<s>s"), then the next
// requests started. Returns whether the store changed.
bool MergeGuideAnswer(const GuideDesk& desk, GuideLoaded& answer, int64_t nowMs, int64_t nowUnix);

// A wake-up came: the requests that waited for it start.
void MergeGuideWake(const GuideDesk& desk, const GuideWake& wake, int64_t nowMs);

// Reads the whole-provider guide of the current account on a job, unless
// one is reading it: from the kept copy or the provider, for the live
// channels shown. While a guide of the account is held, only a stale copy
// is read again (the provider is asked at most every 12 hours). The job
// logs "guide whole source=<copy|download> programmes=<n> channels=<n>
// ms=<n>", or "guide whole status=<what> http=<code> <detail>" when the
// provider has none (the guide is then asked for per channel), and always
// delivers a WholeGuideLoaded.
void StartWholeGuideJob(AppState& state, JobMailbox& mailbox);

// A whole-guide job ended: its guide is held when it is for the current
// account. Returns whether anything shown may change.
bool MergeWholeGuide(AppState& state, WholeGuideLoaded& loaded);

// Starts the whole-guide job when the kept copy of the current account is
// fresh: on a warm start the lists come from the cache before the provider
// is asked anything, and the channel started first is then served by the
// guide instead of a request of its own.
void StartWholeGuideFromCopy(AppState& state, JobMailbox& mailbox);

// After a whole-guide job: the channels that waited for it are asked for
// (filled from the guide, or sent to the provider when it lacks them).
// Returns whether any waited.
bool AskGuidesAwaitingWhole(AppState& state, JobMailbox& mailbox);

// Another account: no programme or request of the old one is kept.
void ForgetGuides(AppState& state);

// A screen's wishes (ContentActions::RequestGuides) go to the guide queue
// in their order: the queue keeps the newest few, so the screen hands them
// again as answers come and every tick, until what it shows is held.
void AskForGuides(AppState& state, JobMailbox& mailbox, const std::vector<GuideWish>& wishes);

// The guide of a live channel for the screens and the player (RequestGuide
// on the application's state and clocks).
void StartGuideJob(AppState& state, JobMailbox& mailbox, std::u16string_view streamId, bool withArchive = false);
