#include "app/jobs.h"

#include <system_error>
#include <thread>

#include "store/runtime_log.h"

void JobMailbox::Deliver(JobResult result) {
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(result));
  }
  poster_.Post(kJobResultsMessage, 0);
}

std::deque<JobResult> JobMailbox::TakeAll() {
  std::deque<JobResult> ready;
  std::lock_guard lock(mutex_);
  ready.swap(pending_);
  return ready;
}

void StartJob(std::function<void()> work) {
  try {
    std::thread(work).detach();
  } catch (const std::system_error&) {
    WriteLog("job thread failed, running inline");
    work();
  }
}
