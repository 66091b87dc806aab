#include "platform/loop_mailbox.h"

void LoopMailbox::Open(WakeFn wake) {
  std::lock_guard lock(mutex_);
  state_ = State::Open;
  wake_ = std::move(wake);
  wakeSent_ = false;
  if (!messages_.empty() || videoFrame_) WakeLocked();
}

void LoopMailbox::Close() {
  std::lock_guard lock(mutex_);
  state_ = State::Closed;
  wake_ = nullptr;
  messages_.clear();
  videoFrame_ = false;
}

void LoopMailbox::Post(LoopMessage message) {
  std::lock_guard lock(mutex_);
  if (state_ == State::Closed) return;
  if (state_ == State::NotOpen && messages_.size() >= kMaxWaiting) return;
  messages_.push_back(message);
  WakeLocked();
}

void LoopMailbox::SignalVideoFrame() {
  std::lock_guard lock(mutex_);
  if (state_ != State::Open) return;
  videoFrame_ = true;
  WakeLocked();
}

// The wake function runs under the lock so that Close can promise it is no
// longer running; it only pushes an event and never calls back in here.
void LoopMailbox::WakeLocked() {
  if (state_ != State::Open || wakeSent_ || !wake_) return;
  wakeSent_ = wake_();
}

void LoopMailbox::Rearm() {
  std::lock_guard lock(mutex_);
  wakeSent_ = false;
}

std::optional<LoopMessage> LoopMailbox::Take() {
  std::lock_guard lock(mutex_);
  if (state_ != State::Open || messages_.empty()) return std::nullopt;
  LoopMessage message = messages_.front();
  messages_.pop_front();
  return message;
}

bool LoopMailbox::TakeVideoFrame() {
  std::lock_guard lock(mutex_);
  const bool was = videoFrame_;
  videoFrame_ = false;
  return was;
}

bool LoopMailbox::HasWork() const {
  std::lock_guard lock(mutex_);
  return state_ == State::Open && (!messages_.empty() || videoFrame_);
}
