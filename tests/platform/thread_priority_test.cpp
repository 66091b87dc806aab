// A job's thread runs below the thread that started it, the threads it
// starts in turn inherit that, and the starting thread keeps its own.
#include "platform/thread_priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

namespace {

int ThisThreadNice() { return getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))); }

TEST(ThreadPriority, ALoweredThreadAndItsOwnThreadsRunBelowTheirStarter) {
  const int starter = ThisThreadNice();
  int lowered = 0, inherited = 0;
  std::thread job([&] {
    LowerThisThreadPriority();
    lowered = ThisThreadNice();
    std::thread([&] { inherited = ThisThreadNice(); }).join();
  });
  job.join();
  EXPECT_EQ(lowered, std::min(starter + 5, 19));
  EXPECT_EQ(inherited, lowered);
  EXPECT_EQ(ThisThreadNice(), starter);
}

}  // namespace
