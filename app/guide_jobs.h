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
#include "catalog/guide_past.h"
#include "catalog/guide_store.h"
#include "store/guide_map.h"

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
  // The provider's guide runs this many seconds early or late (the user's
  // offset): its answers are moved by it.
  int64_t offsetSeconds = 0;
  // The past programmes kept for catch-up: every answer and fill of a
  // channel with an archive goes through them (app/past_listings_jobs.h).
  PastListings& past;
  // The user's choices: a channel with "no guide" is never asked for.
  const GuideMapFile& choices;
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

// A job's answer: moved by the desk's offset, into the store when it is a
// listing for the current account ("epg rows=%d cur=%d" logged as before; an unreadable answer
// logs "epg rows=0 cur=0" and leaves the stored rows as they are), a back-off started
// for a 429 or 503 ("guide backoff status=<code> wait=<s>s"), then the next
// requests started. Returns whether the store changed.
bool MergeGuideAnswer(const GuideDesk& desk, GuideLoaded& answer, int64_t nowMs, int64_t nowUnix);

// A wake-up came: the requests that waited for it start.
void MergeGuideWake(const GuideDesk& desk, const GuideWake& wake, int64_t nowMs);

// Reads every guide of the current account on a job, unless one is reading
// them (catalog/guide_reading.h): the provider's whole guide and the user's
// guide sources, from their kept copies or downloaded, the live channels
// linked to them (their choices in guide_map.json, guide ids, names). While
// guides of the account are held, they are read again only when a copy is
// stale (each is downloaded at most every 12 hours), unless `again` (the
// user changed a source, an offset or a choice). The job logs "guide whole
// source=<copy|download> programmes=<n> channels=<n> ms=<n>", or "guide
// whole status=<what> http=<code> <detail>" when the provider has none (the
// guide is then asked for per channel); "guide source <n> read|failed
// programmes= channels= linked= [why=]" for each of the user's sources; and
// "guide links id= name= chosen= unsure= none= noguide=". It always
// delivers a WholeGuideLoaded.
void StartWholeGuideJob(AppState& state, JobMailbox& mailbox, bool again = false);

// The user changed a choice, a source or an offset: the guides are read
// again (at once, or after the reading under way, which began before the
// change).
void ReadGuidesAgain(AppState& state, JobMailbox& mailbox);

// A whole-guide job ended: when it is for the current account, its sources'
// reports and review list are taken, and its guides held when any source
// gave one. Returns whether anything shown may change.
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
