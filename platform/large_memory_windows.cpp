#include "platform/large_memory.h"

#include <windows.h>

#include <atomic>
#include <utility>

// Windows' large pages need a privilege that users do not hold, so blocks are
// reserved and committed in one piece of ordinary pages; a block cut short
// gives its tail back by decommitting it (the reservation stays until the
// block is released).

namespace {

// The allocation granularity, and the step the Linux build rounds to, so both
// systems report the same sizes.
constexpr size_t kStep = 2u * 1024 * 1024;

std::atomic<size_t> gBytesInUse{0};

}  // namespace

LargeBlock::LargeBlock(size_t bytes) {
  if (bytes == 0) return;
  const size_t size = (bytes + kStep - 1) / kStep * kStep;
  void* data = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!data) return;
  data_ = data;
  size_ = size;
  gBytesInUse.fetch_add(size, std::memory_order_relaxed);
}

LargeBlock::~LargeBlock() { Release(); }

LargeBlock::LargeBlock(LargeBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

LargeBlock& LargeBlock::operator=(LargeBlock&& other) noexcept {
  if (this == &other) return *this;
  Release();
  data_ = std::exchange(other.data_, nullptr);
  size_ = std::exchange(other.size_, 0);
  return *this;
}

void LargeBlock::KeepFirst(size_t bytes) {
  const size_t keep = (bytes + kStep - 1) / kStep * kStep;
  if (!data_ || keep >= size_) return;
  if (keep == 0) {
    Release();
    return;
  }
  VirtualFree(static_cast<char*>(data_) + keep, size_ - keep, MEM_DECOMMIT);
  gBytesInUse.fetch_sub(size_ - keep, std::memory_order_relaxed);
  size_ = keep;
}

void LargeBlock::Release() {
  if (data_) {
    VirtualFree(data_, 0, MEM_RELEASE);
    gBytesInUse.fetch_sub(size_, std::memory_order_relaxed);
  }
  data_ = nullptr;
  size_ = 0;
}

size_t LargeBlockBytesInUse() { return gBytesInUse.load(std::memory_order_relaxed); }
