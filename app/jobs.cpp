#include "app/jobs.h"

#include <memory>
#include <system_error>
#include <thread>
#include <type_traits>
#include <variant>

#include "platform/thread_priority.h"
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

namespace {

template <class... Kinds>
constexpr bool OnlyNotificationsPass(const std::variant<Kinds...>*) {
  return ((!kMergesWhileHandlerWaits<Kinds> || std::is_empty_v<Kinds>) && ...);
}
static_assert(OnlyNotificationsPass(static_cast<const JobResult*>(nullptr)),
              "a result that merges while a handler waits must carry no data, or it would overtake the ones held");

}  // namespace

bool MergesWhileHandlerWaits(const JobResult& result) {
  return std::visit([](const auto& r) { return kMergesWhileHandlerWaits<std::decay_t<decltype(r)>>; }, result);
}

std::deque<JobResult> JobMailbox::TakeReady() {
  if (!HandlerWaiting()) return TakeAll();
  std::deque<JobResult> ready, held;
  std::lock_guard lock(mutex_);
  for (JobResult& result : pending_) (MergesWhileHandlerWaits(result) ? ready : held).push_back(std::move(result));
  pending_.swap(held);
  return ready;
}

JobMailbox::HandlerWait::~HandlerWait() {
  if (--mailbox_.waits_ > 0) return;
  bool waiting = false;
  {
    std::lock_guard lock(mailbox_.mutex_);
    waiting = !mailbox_.pending_.empty();
  }
  if (waiting) mailbox_.poster_.Post(kJobResultsMessage, 0);
}

void MergeReadyResults(JobMailbox& mailbox, AppState& state, ResultFollowUps& app) {
  for (JobResult& result : mailbox.TakeReady()) ApplyJobResult(result, state, mailbox, app);
}

void StartJob(std::function<void()> work) {
  // Shared, so that the work is still here to run inline when no thread
  // could be started.
  auto shared = std::make_shared<std::function<void()>>(std::move(work));
  try {
    std::thread([shared] {
      LowerThisThreadPriority();
      (*shared)();
    }).detach();
  } catch (const std::system_error&) {
    WriteLog("job thread failed, running inline");
    (*shared)();
  }
}
