#pragma once
// Memory for large, long-lived blocks that are filled at once (the texts of
// a catalog list of a million channels). Taken from the system directly and
// aligned to its huge pages where it has them, so filling hundreds of
// megabytes takes a few hundred page faults instead of a hundred thousand.
#include <cstddef>

class LargeBlock {
 public:
  LargeBlock() = default;
  // At least `bytes` of zeroed memory; empty (data() null) when the system
  // has none to give.
  explicit LargeBlock(size_t bytes);
  ~LargeBlock();
  LargeBlock(LargeBlock&& other) noexcept;
  LargeBlock& operator=(LargeBlock&& other) noexcept;
  LargeBlock(const LargeBlock&) = delete;
  LargeBlock& operator=(const LargeBlock&) = delete;

  void* data() const { return data_; }
  size_t size() const { return size_; }
  // Gives the memory past the first `bytes` (rounded up to a huge page)
  // back to the system: for a block filled less than was asked.
  void KeepFirst(size_t bytes);

 private:
  void Release();

  void* data_ = nullptr;
  size_t size_ = 0;  // what was mapped
};

// The bytes all live LargeBlocks of the process have mapped (what memory
// figures add to the heap's).
size_t LargeBlockBytesInUse();
