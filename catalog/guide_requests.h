#pragma once
// The one queue every guide request to the provider goes through.
//
// Per-channel guide requests are what get users rate-limited and banned by
// providers, so the queue keeps them few and slow:
// - at most kGuideMaxInFlight requests at once;
// - kGuideRequestSpacingMs at least between two starts;
// - a channel queued or under way is not queued again, and one whose
//   answer the store holds and is valid is not asked at all (AskForGuide);
// - a zap storm keeps only the kGuideQueueLimit channels asked for last,
//   newest first: a channel the user left long ago is never fetched;
// - a 429 or 503 answer stops every start for a while: the Retry-After it
//   sent, else kGuideBackoffFirstMs doubling up to kGuideBackoffMaxMs; the
//   channel stays queued;
// - a channel whose answer could not be read is not asked again within
//   kGuideFailurePauseMs (its stored rows, if any, stay and stay stale).
//
// Pure bookkeeping on a millisecond clock the caller passes in (tick
// milliseconds), so it is tested with a fake clock; the jobs that send the
// requests live in app/guide_jobs. Main thread only, no lock.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>

class GuideStore;

constexpr int kGuideMaxInFlight = 2;
// 400 ms: a held channel key repeats five to ten times a second, and a
// channel the user stays on gets its guide within half a second of being
// reached. That caps the guide at two and a half requests a second, below
// what panels' flood guards ban for, while a single zap is asked at once.
constexpr int64_t kGuideRequestSpacingMs = 400;
// Two: the channel the user is on and the one before it (a zap back is
// common); a storm's older wishes are dropped as newer ones come.
constexpr size_t kGuideQueueLimit = 2;
constexpr int64_t kGuideBackoffFirstMs = 30000;
constexpr int64_t kGuideBackoffMaxMs = 240000;
// A Retry-After beyond this is taken as this (a panel asking for hours is
// not waited on for longer than a reload would take to notice).
constexpr int64_t kGuideRetryAfterMaxMs = 600000;
constexpr int64_t kGuideFailurePauseMs = 60000;

// A request the queue let start: what the job is to fetch.
struct GuideTicket {
  uint64_t id = 0;
  std::u16string streamId;
  bool withPast = false;  // read the full table too
};

// How a started request ended.
enum class GuideOutcome : uint8_t {
  Answered,    // a guide listing came back (possibly empty)
  Unreadable,  // no listing: a failed connection, an HTML page, a PHP notice alone
  Throttled,   // 429 or 503: every start waits
};

// A channel whose guide a screen wants, with its past (catch-up) or not.
struct GuideWish {
  std::u16string streamId;
  bool withPast = false;
  bool operator==(const GuideWish&) const = default;
};

class GuideRequests {
 public:
  // Queues `streamId` as the newest wish, unless it is queued already (it
  // then moves to the front), under way (for the past too when `withPast`),
  // or failed within kGuideFailurePauseMs. Returns whether it is now queued
  // or under way.
  bool Want(std::u16string_view streamId, bool withPast, int64_t nowMs);

  // The request to start now, if the rules let one: the newest wish whose
  // channel is not under way. It counts as under way from here on.
  std::optional<GuideTicket> Next(int64_t nowMs);

  // When Next may give a request without any other event: the end of the
  // spacing or of the back-off; nothing when no wish waits or every slot is
  // taken (a finishing request is the next event then).
  std::optional<int64_t> NextStartMs(int64_t nowMs) const;

  // A started request ended. For Throttled, `retryAfterSeconds` is what the
  // answer asked (0: none) and the channel is queued again in its place.
  // Returns the back-off this started in ms (0 when none started: another
  // answer began it already, or the outcome is not Throttled).
  int64_t Finish(uint64_t ticket, GuideOutcome outcome, int64_t retryAfterSeconds, int64_t nowMs);

  // Whether `streamId` is queued or under way (the screens show their
  // loading text meanwhile).
  bool Pending(std::u16string_view streamId) const;
  int InFlight() const { return static_cast<int>(inFlight_.size()); }
  size_t Queued() const { return wishes_.size(); }
  int64_t BackoffUntilMs() const { return backoffUntilMs_; }

  // Forgets everything (another account). Requests under way finish unseen.
  void Reset();

  // The caller's timer for NextStartMs: whether a wake-up must be set for
  // `atMs` (none is set for then or earlier); it counts as set from here on.
  // Woke clears the wake-up set for `atMs` once it has come.
  bool ScheduleWake(int64_t atMs);
  void Woke(int64_t atMs);

 private:
  struct Wish {
    std::u16string streamId;
    bool withPast = false;
    uint64_t order = 0;  // when it was asked for: higher is newer
  };
  void Insert(Wish wish);
  const Wish* InFlightFor(std::u16string_view streamId) const;

  std::deque<Wish> wishes_;              // newest first
  std::map<uint64_t, Wish> inFlight_;    // by ticket id
  std::map<std::u16string, int64_t> failedAtMs_;
  uint64_t nextOrder_ = 1;
  uint64_t nextTicket_ = 1;
  std::optional<int64_t> lastStartMs_;
  int64_t backoffUntilMs_ = 0;
  int backoffSteps_ = 0;
  std::optional<int64_t> wakeAtMs_;
};

// The rule every caller follows: nothing is queued when `store` holds a
// valid answer for the channel (with its past when `withPast`); otherwise
// Want. A refresh of rows that held the past asks for the past again.
// Returns whether a request is queued or under way.
bool AskForGuide(GuideRequests& requests, const GuideStore& store, std::u16string_view streamId, bool withPast,
                 int64_t nowMs, int64_t nowUnix);
