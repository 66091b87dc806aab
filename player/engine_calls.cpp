#include "player/engine_calls.h"

#include <chrono>
#include <utility>

namespace {
// Most calls end well within this; one that does not may be waiting for a
// frame to be rendered.
constexpr std::chrono::milliseconds kServeEveryMs{2};
}  // namespace

EngineCalls::~EngineCalls() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void EngineCalls::Run(const std::function<void()>& call, const std::function<void()>& serve) {
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  std::unique_lock<std::mutex> hold(lock_);
  pending_ = &call;
  done_ = false;
  changed_.notify_all();
  while (!changed_.wait_for(hold, kServeEveryMs, [this] { return done_; })) {
    hold.unlock();
    serve();
    hold.lock();
  }
}

void EngineCalls::Loop() {
  std::unique_lock<std::mutex> hold(lock_);
  while (true) {
    changed_.wait(hold, [this] { return stop_ || pending_ != nullptr; });
    if (stop_) return;
    const std::function<void()>* call = std::exchange(pending_, nullptr);
    hold.unlock();
    (*call)();
    hold.lock();
    done_ = true;
    changed_.notify_all();
  }
}
