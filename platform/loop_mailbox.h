#pragma once
// What other threads leave for the main loop: job messages (id and wparam,
// in the order posted) and a "new video frame" flag. Posting is safe from
// any thread at any time: before the window opens the mailbox keeps
// messages (up to a bound) and delivers them once it opens; after it closes
// they are dropped.
//
// The mailbox wakes the waiting loop through `wake` (the host pushes one SDL
// event). Wake-ups are coalesced: after one wake, no other is sent until the
// main thread calls Rearm on receiving it.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

struct LoopMessage {
  uint32_t id = 0;
  uintptr_t wparam = 0;
  bool operator==(const LoopMessage&) const = default;
};

class LoopMailbox {
 public:
  // Returns false when the wake-up could not be sent (the next post tries again).
  using WakeFn = std::function<bool()>;

  static constexpr size_t kMaxWaiting = 4096;  // kept before the window opens

  // Main thread. From now on posts are delivered; waiting ones wake the loop.
  void Open(WakeFn wake);
  // Main thread. Drops what waits; later posts are dropped. When Close
  // returns, `wake` is not running and will not be called again.
  void Close();

  // Any thread.
  void Post(LoopMessage message);
  void SignalVideoFrame();

  // Main thread.
  void Rearm();
  std::optional<LoopMessage> Take();
  bool TakeVideoFrame();
  bool HasWork() const;

 private:
  enum class State { NotOpen, Open, Closed };
  void WakeLocked();

  mutable std::mutex mutex_;
  State state_ = State::NotOpen;
  WakeFn wake_;
  bool wakeSent_ = false;
  bool videoFrame_ = false;
  std::deque<LoopMessage> messages_;
};
