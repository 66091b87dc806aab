#pragma once
// Background jobs. A job is a detached thread that does one piece of work on
// private data and never touches the application state: it delivers a typed
// result (app/job_results.h) that the main thread merges when the mailbox's
// message arrives. So painters never read half-written data, and a late
// result is merged like any other.
//
// One pass per handler: while a handler waits in a nested loop (a modal in
// the slot, a wait for the player's tracks), results stay in the mailbox,
// so the state the handler read before it asked is the state it finds when
// the answer comes back. Only the kinds of kMergesWhileHandlerWaits merge
// meanwhile. When the outermost wait ends with results waiting, the wake-up
// message is posted again: they merge, oldest first, once the handler has
// returned to the main loop.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "app/job_results.h"

// The one message id that tells the main loop results are waiting.
inline constexpr uint32_t kJobResultsMessage = 0x402;

// Where the mailbox sends its wake-up message. The real one posts to the
// host window; tests record it.
class MessagePoster {
 public:
  virtual ~MessagePoster() = default;
  virtual void Post(uint32_t id, uintptr_t wparam) = 0;
};

// The results a nested loop merges while a handler waits in it: what the
// open modal itself shows. Each is a notification without data (checked
// below), so taking it ahead of the results that wait reorders nothing.
template <class Result>
inline constexpr bool kMergesWhileHandlerWaits = false;
// The speed-test panel is a modal that draws the report as it grows.
template <>
inline constexpr bool kMergesWhileHandlerWaits<SpeedReportChanged> = true;
// Arrived icons only schedule a repaint of the lists under the modal.
template <>
inline constexpr bool kMergesWhileHandlerWaits<IconsArrived> = true;

bool MergesWhileHandlerWaits(const JobResult& result);

class JobMailbox {
 public:
  explicit JobMailbox(MessagePoster& poster) : poster_(poster) {}

  // Any thread: queues `result` and posts kJobResultsMessage.
  void Deliver(JobResult result);
  // Main thread: every queued result, oldest first; the queue is left empty.
  std::deque<JobResult> TakeAll();
  // Main thread: what may merge now, oldest first. While a handler waits,
  // that is only the kinds of kMergesWhileHandlerWaits; the others stay
  // queued in their order.
  std::deque<JobResult> TakeReady();

  // Main thread: marks a handler's wait in a nested loop, for its scope.
  // Waits nest; the end of the outermost posts the wake-up again when
  // results wait, so none is lost.
  class HandlerWait {
   public:
    explicit HandlerWait(JobMailbox& mailbox) : mailbox_(mailbox) { ++mailbox_.waits_; }
    ~HandlerWait();
    HandlerWait(const HandlerWait&) = delete;
    HandlerWait& operator=(const HandlerWait&) = delete;

   private:
    JobMailbox& mailbox_;
  };
  bool HandlerWaiting() const { return waits_ > 0; }

 private:
  MessagePoster& poster_;
  std::mutex mutex_;
  std::deque<JobResult> pending_;
  int waits_ = 0;  // main thread only
};

struct AppState;
class ResultFollowUps;
// Main thread, on kJobResultsMessage: merges what TakeReady gives.
void MergeReadyResults(JobMailbox& mailbox, AppState& state, ResultFollowUps& app);

// Starts `work` on a detached thread of lowered priority (the window and the
// video come first). If no thread can be created the work runs on the
// calling thread instead, so its flags are still cleared and its result
// still arrives.
void StartJob(std::function<void()> work);
