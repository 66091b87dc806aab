#pragma once
// Background jobs. A job is a detached thread that does one piece of work on
// private data and never touches the application state: it hands back a
// merge step that the main thread runs when the job's message arrives
// (before the message's own handling). So painters never read half-written
// data, and a late result is merged like any other.
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

struct AppState;

using MergeStep = std::function<void(AppState&)>;

// Where jobs send their messages. The real one posts to the host window;
// tests collect them.
class MessagePoster {
 public:
  virtual ~MessagePoster() = default;
  virtual void Post(uint32_t id, uintptr_t wparam) = 0;
};

class JobMailbox {
 public:
  explicit JobMailbox(MessagePoster& poster) : poster_(poster) {}

  // Any thread: queues `merge` (may be empty) and then posts the message.
  void Deliver(uint32_t id, uintptr_t wparam, MergeStep merge);
  // Any thread: queues a merge that rides with the next message.
  void Queue(MergeStep merge);
  // Main thread: runs every queued merge, oldest first.
  void MergeAll(AppState& state);

 private:
  MessagePoster& poster_;
  std::mutex mutex_;
  std::deque<MergeStep> pending_;
};

// Starts `work` on a detached thread. If no thread can be created the work
// runs on the calling thread instead, so its flags are still cleared and its
// message still arrives.
void StartJob(std::function<void()> work);
