// Large blocks come zeroed, in whole steps of 2 MiB, give their tail back
// and are counted while they live, on both systems' allocators.
#include "platform/large_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

constexpr size_t kMiB = 1024 * 1024;

TEST(LargeMemory, BlocksAreZeroedWholeStepsThatGiveTheirTailBackAndAreCounted) {
  const size_t before = LargeBlockBytesInUse();
  LargeBlock block(5 * kMiB);
  ASSERT_NE(block.data(), nullptr);
  EXPECT_EQ(block.size(), 6 * kMiB);
  const auto* bytes = static_cast<const unsigned char*>(block.data());
  EXPECT_TRUE(std::all_of(bytes, bytes + block.size(), [](unsigned char b) { return b == 0; }));
  EXPECT_EQ(LargeBlockBytesInUse(), before + 6 * kMiB);

  static_cast<char*>(block.data())[kMiB] = 1;
  block.KeepFirst(kMiB + 1);
  EXPECT_EQ(block.size(), 2 * kMiB);
  EXPECT_EQ(static_cast<char*>(block.data())[kMiB], 1);
  EXPECT_EQ(LargeBlockBytesInUse(), before + 2 * kMiB);

  LargeBlock moved(std::move(block));
  EXPECT_EQ(block.data(), nullptr);
  EXPECT_EQ(moved.size(), 2 * kMiB);
  moved.KeepFirst(0);
  EXPECT_EQ(moved.data(), nullptr);
  EXPECT_EQ(LargeBlockBytesInUse(), before);
  EXPECT_EQ(LargeBlock(0).data(), nullptr);
}

}  // namespace
