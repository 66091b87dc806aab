#include "app/jobs.h"

#include <system_error>
#include <thread>
#include <vector>

#include "store/runtime_log.h"

void JobMailbox::Deliver(uint32_t id, uintptr_t wparam, MergeStep merge) {
  Queue(std::move(merge));
  poster_.Post(id, wparam);
}

void JobMailbox::Queue(MergeStep merge) {
  if (!merge) return;
  std::lock_guard lock(mutex_);
  pending_.push_back(std::move(merge));
}

void JobMailbox::MergeAll(AppState& state) {
  std::deque<MergeStep> ready;
  {
    std::lock_guard lock(mutex_);
    ready.swap(pending_);
  }
  for (auto& merge : ready) merge(state);
}

void StartJob(std::function<void()> work) {
  try {
    std::thread(work).detach();
  } catch (const std::system_error&) {
    WriteLog("job thread failed, running inline");
    work();
  }
}
