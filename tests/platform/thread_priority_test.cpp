// A job's thread runs below the thread that started it, the threads it
// starts in turn inherit that (on Linux), and the starting thread keeps its
// own.
#include "platform/thread_priority.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
TEST(ThreadPriority, ALoweredThreadRunsBelowItsStarter) {
  const int starter = GetThreadPriority(GetCurrentThread());
  int lowered = 0;
  std::thread job([&] {
    LowerThisThreadPriority();
    lowered = GetThreadPriority(GetCurrentThread());
  });
  job.join();
  EXPECT_EQ(lowered, THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), starter);
}
#else

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

#endif

}  // namespace
