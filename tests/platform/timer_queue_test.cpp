#include "platform/timer_queue.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> FireAll(TimerQueue& q, uint64_t now) {
  std::vector<int> fired;
  while (auto id = q.TakeDue(now)) fired.push_back(*id);
  return fired;
}

}  // namespace

TEST(TimerQueue, WaitsUntilTheEarliestDeadline) {
  TimerQueue q;
  EXPECT_EQ(q.MsUntilNext(0), std::nullopt);  // no timers: wait for events only
  q.Set(1, 1000, true, 0);
  q.Set(8, 280, false, 0);
  EXPECT_EQ(q.MsUntilNext(0), 280u);
  EXPECT_EQ(q.MsUntilNext(100), 180u);
  EXPECT_EQ(q.MsUntilNext(5000), 0u);
  EXPECT_TRUE(FireAll(q, 279).empty());
  EXPECT_EQ(FireAll(q, 280), std::vector<int>{8});
  EXPECT_FALSE(q.Has(8));  // one-shot timers go once fired
  EXPECT_EQ(q.MsUntilNext(280), 720u);
}

TEST(TimerQueue, RepeatingTimerKeepsItsBeatAndSkipsMissedOnes) {
  TimerQueue q;
  q.Set(1, 1000, true, 0);
  EXPECT_EQ(FireAll(q, 1003), std::vector<int>{1});
  EXPECT_EQ(q.MsUntilNext(1003), 997u);  // next at 2000, not 2003: no drift
  // The loop was blocked for 3.5 s: one tick, not a burst of three.
  EXPECT_EQ(FireAll(q, 5500), std::vector<int>{1});
  EXPECT_EQ(q.MsUntilNext(5500), 1000u);
}

TEST(TimerQueue, SettingAnExistingIdRestartsIt) {
  TimerQueue q;
  q.Set(8, 280, false, 0);
  q.Set(8, 280, false, 200);  // another icon finished: debounce again
  EXPECT_TRUE(FireAll(q, 300).empty());
  EXPECT_EQ(FireAll(q, 480), std::vector<int>{8});
  EXPECT_TRUE(FireAll(q, 2000).empty());
}

TEST(TimerQueue, KillAndDueOrder) {
  TimerQueue q;
  q.Set(3, 400, false, 0);
  q.Set(4, 50, true, 0);
  q.Set(1, 50, true, 0);
  q.Kill(3);
  q.Kill(99);  // unknown: nothing happens
  EXPECT_FALSE(q.Has(3));
  EXPECT_EQ(FireAll(q, 60), (std::vector<int>{4, 1}));  // same deadline: the order they were set
  q.Kill(4);
  q.Kill(1);
  EXPECT_TRUE(q.Empty());
}

TEST(TimerQueue, ZeroPeriodCannotStarveTheLoop) {
  TimerQueue q;
  q.Set(2, 0, true, 100);
  EXPECT_EQ(FireAll(q, 101), std::vector<int>{2});  // once per pass, then 1 ms later
  EXPECT_EQ(q.MsUntilNext(101), 1u);
}
