#include "QelMemoryControllerController.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

TEST(QelMemoryControllerControllerTest, AllocatesAlignedWritableStorage) {
  int count = 5;
  unsigned long long size = 24;
  unsigned char* block = QelMemoryControllerController::allocateArray(count, size);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t), 0u);
  std::memset(block, 0xAB, 5 * 24);
  unsigned char* kept = block;
  QelMemoryControllerController::deallocateArray(block);
  EXPECT_EQ(block, kept);  // the caller clears its own pointer

  unsigned char* none = nullptr;
  QelMemoryControllerController::deallocateArray(none);
}

TEST(QelMemoryControllerControllerTest, RefusesInvalidOrOverflowingSizes) {
  struct Case {
    int count;
    unsigned long long size;
  };
  const Case cases[] = {
      {0, 8},           {-1, 8},        {INT_MIN, 8},  {4, 0},
      {INT_MAX, ~0ull}, {2, 1ull << 63}, {3, ~0ull / 2}, {INT_MAX, (~0ull / INT_MAX) + 1},
  };
  for (const Case& c : cases) {
    int count = c.count;
    unsigned long long size = c.size;
    EXPECT_EQ(QelMemoryControllerController::allocateArray(count, size), nullptr)
        << c.count << " x " << c.size;
  }
}

}  // namespace
