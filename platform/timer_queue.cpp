#include "platform/timer_queue.h"

#include <algorithm>

void TimerQueue::Set(int id, uint32_t periodMs, bool repeating, uint64_t nowMs) {
  Kill(id);
  const uint32_t period = std::max<uint32_t>(periodMs, 1);
  timers_.push_back(Timer{id, period, repeating, nowMs + period, nextOrder_++});
}

void TimerQueue::Kill(int id) {
  std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

bool TimerQueue::Has(int id) const {
  return std::any_of(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
}

std::optional<uint64_t> TimerQueue::MsUntilNext(uint64_t nowMs) const {
  if (timers_.empty()) return std::nullopt;
  uint64_t earliest = timers_.front().deadlineMs;
  for (const Timer& t : timers_) earliest = std::min(earliest, t.deadlineMs);
  return earliest > nowMs ? earliest - nowMs : 0;
}

std::optional<int> TimerQueue::TakeDue(uint64_t nowMs) {
  auto due = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->deadlineMs > nowMs) continue;
    if (due == timers_.end() || it->deadlineMs < due->deadlineMs ||
        (it->deadlineMs == due->deadlineMs && it->order < due->order)) {
      due = it;
    }
  }
  if (due == timers_.end()) return std::nullopt;

  const int id = due->id;
  if (!due->repeating) {
    timers_.erase(due);
    return id;
  }
  due->deadlineMs += due->periodMs;
  if (due->deadlineMs <= nowMs) due->deadlineMs = nowMs + due->periodMs;
  return id;
}
