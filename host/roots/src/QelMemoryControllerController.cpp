// Raw storage from the block pool (small blocks) and the C heap.
#include "QelMemoryControllerController.h"

#include <cstddef>
#include <cstdint>

#include "QelBlockPool.h"

unsigned char* QelMemoryControllerController::allocateArray(int& count,
                                                            unsigned long long& elementSize) {
  if (count <= 0 || elementSize == 0) return nullptr;
  // No object may be larger than PTRDIFF_MAX bytes; this also rules out overflow
  // of count * elementSize.
  constexpr unsigned long long kMaxBytes = static_cast<unsigned long long>(PTRDIFF_MAX);
  const auto elements = static_cast<unsigned long long>(count);
  if (elementSize > kMaxBytes / elements) return nullptr;
  return static_cast<unsigned char*>(
      qel_roots::allocateBlock(static_cast<std::size_t>(elements * elementSize)));
}

void QelMemoryControllerController::deallocateArray(unsigned char*& pointer) {
  qel_roots::releaseBlock(pointer);
}

void* QelMemoryControllerController::allocateBlock(std::size_t bytes) noexcept {
  return qel_roots::allocateBlock(bytes);
}

void QelMemoryControllerController::deallocateBlock(void* block) noexcept {
  qel_roots::releaseBlock(block);
}
