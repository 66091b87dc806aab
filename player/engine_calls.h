#pragma once
// EngineCalls: the thread a media engine's blocking calls run on.
//
// libmpv's property reads and writes and its commands wait for the player's
// core, and the core may itself be waiting for its video output, which
// waits for its next frame to be rendered: on the main thread, the one
// making the call. Made there, such a call stalls until the output gives up
// (200 ms and a dropped frame: the slowest channel changes were these).
// Run makes the call on a thread of its own and, while it waits, lets the
// calling thread `serve` the video output every kServeEveryMs: render a
// frame that is due, after which the core, and then the call, go on.
//
// One caller at a time. `serve` must not call Run.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class EngineCalls {
 public:
  EngineCalls() = default;
  ~EngineCalls();  // ends the thread
  EngineCalls(const EngineCalls&) = delete;
  EngineCalls& operator=(const EngineCalls&) = delete;

  // Returns once `call` has run on the engine's thread (started on the
  // first call).
  void Run(const std::function<void()>& call, const std::function<void()>& serve);

 private:
  void Loop();

  std::mutex lock_;
  std::condition_variable changed_;
  const std::function<void()>* pending_ = nullptr;
  bool done_ = false;
  bool stop_ = false;
  std::thread thread_;
};
