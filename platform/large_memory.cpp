#include "platform/large_memory.h"

#include <sys/mman.h>

#include <atomic>
#include <utility>

namespace {

// The huge page size of x86-64 and arm64 kernels; elsewhere the advice is a
// harmless no-op.
constexpr size_t kHugePage = 2u * 1024 * 1024;

std::atomic<size_t> gBytesInUse{0};

}  // namespace

LargeBlock::LargeBlock(size_t bytes) {
  if (bytes == 0) return;
  // Rounded up to whole huge pages, so the kernel can back all of it with
  // them (mappings of this size start at a huge page boundary in practice;
  // where one does not, only its ends fall back to small pages).
  const size_t size = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (data == MAP_FAILED) return;
  ::madvise(data, size, MADV_HUGEPAGE);
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
  const size_t keep = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  if (!data_ || keep >= size_) return;
  if (keep == 0) {
    Release();
    return;
  }
  ::munmap(static_cast<char*>(data_) + keep, size_ - keep);
  gBytesInUse.fetch_sub(size_ - keep, std::memory_order_relaxed);
  size_ = keep;
}

void LargeBlock::Release() {
  if (data_) {
    ::munmap(data_, size_);
    gBytesInUse.fetch_sub(size_, std::memory_order_relaxed);
  }
  data_ = nullptr;
  size_ = 0;
}

size_t LargeBlockBytesInUse() { return gBytesInUse.load(std::memory_order_relaxed); }
