#include "platform/loop_mailbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

std::vector<LoopMessage> TakeAll(LoopMailbox& box) {
  std::vector<LoopMessage> all;
  while (auto m = box.Take()) all.push_back(*m);
  return all;
}

}  // namespace

TEST(LoopMailbox, KeepsMessagesPostedBeforeOpenAndDropsThoseAfterClose) {
  LoopMailbox box;
  box.Post({0x403, 0});
  EXPECT_FALSE(box.Take());  // not delivered before the loop runs
  int wakes = 0;
  box.Open([&] { return ++wakes, true; });
  EXPECT_EQ(wakes, 1);  // waiting messages wake the loop at once
  box.Post({0x402, 1});
  EXPECT_EQ(TakeAll(box), (std::vector<LoopMessage>{{0x403, 0}, {0x402, 1}}));

  box.Close();
  box.Post({0x404, 0});
  box.SignalVideoFrame();
  EXPECT_FALSE(box.HasWork());
  EXPECT_EQ(wakes, 1);  // no wake-up after Close
}

TEST(LoopMailbox, BoundsWhatWaitsForAWindowThatNeverOpens) {
  LoopMailbox box;
  for (size_t i = 0; i < LoopMailbox::kMaxWaiting + 10; ++i) box.Post({0x415, i});
  box.Open([] { return true; });
  EXPECT_EQ(TakeAll(box).size(), LoopMailbox::kMaxWaiting);
}

TEST(LoopMailbox, CoalescesWakeUpsUntilRearmed) {
  LoopMailbox box;
  int wakes = 0;
  bool pushOk = false;
  box.Open([&] { return ++wakes, pushOk; });
  box.Post({1, 0});  // the event queue was full: not sent
  EXPECT_EQ(wakes, 1);
  pushOk = true;
  box.Post({2, 0});  // so the next post tries again
  box.Post({3, 0});
  box.SignalVideoFrame();
  EXPECT_EQ(wakes, 2);
  box.Rearm();
  box.Post({4, 0});
  EXPECT_EQ(wakes, 3);

  EXPECT_TRUE(box.TakeVideoFrame());
  EXPECT_FALSE(box.TakeVideoFrame());
  EXPECT_EQ(TakeAll(box).size(), 4u);
  EXPECT_FALSE(box.HasWork());
}

TEST(LoopMailbox, PostsFromManyThreadsArriveInOrderPerThread) {
  LoopMailbox box;
  std::atomic<int> wakes = 0;
  box.Open([&] { return ++wakes, true; });
  constexpr int kThreads = 4, kEach = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&box, t] {
      for (int i = 0; i < kEach; ++i) box.Post({static_cast<uint32_t>(t), static_cast<uintptr_t>(i)});
    });
  }
  std::vector<LoopMessage> got;
  while (got.size() < kThreads * kEach) {
    box.Rearm();
    for (auto m = box.Take(); m; m = box.Take()) got.push_back(*m);
  }
  for (auto& th : threads) th.join();

  std::vector<uintptr_t> next(kThreads, 0);
  for (const LoopMessage& m : got) EXPECT_EQ(m.wparam, next[m.id]++);
  EXPECT_LE(wakes.load(), static_cast<int>(got.size()));
}
