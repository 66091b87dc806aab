#pragma once
// Background jobs. A job is a detached thread that does one piece of work on
// private data and never touches the application state: it delivers a typed
// result (app/job_results.h) that the main thread merges when the mailbox's
// message arrives. So painters never read half-written data, and a late
// result is merged like any other.
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

class JobMailbox {
 public:
  explicit JobMailbox(MessagePoster& poster) : poster_(poster) {}

  // Any thread: queues `result` and posts kJobResultsMessage.
  void Deliver(JobResult result);
  // Main thread: every queued result, oldest first; the queue is left empty.
  std::deque<JobResult> TakeAll();

 private:
  MessagePoster& poster_;
  std::mutex mutex_;
  std::deque<JobResult> pending_;
};

// Starts `work` on a detached thread. If no thread can be created the work
// runs on the calling thread instead, so its flags are still cleared and its
// result still arrives.
void StartJob(std::function<void()> work);
