#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace {
// Enough for a busy job to leave about three quarters of a contended core
// to a thread of normal priority, not so much that the job stalls.
constexpr int kBackgroundSteps = 5;
}  // namespace

void LowerThisThreadPriority() {
#if defined(__linux__)
  // On Linux the nice value belongs to each thread, addressed by its id.
  const id_t thread = static_cast<id_t>(syscall(SYS_gettid));
  errno = 0;
  const int now = getpriority(PRIO_PROCESS, thread);
  if (errno != 0) return;
  setpriority(PRIO_PROCESS, thread, now + kBackgroundSteps);
#endif
}
