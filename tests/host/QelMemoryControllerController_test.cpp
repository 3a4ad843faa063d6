#include "QelMemoryControllerController.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

TEST(QelMemoryControllerControllerTest, AllocatesAlignedStorageAndRefusesBadSizes) {
  int count = 5;
  unsigned long long size = 24;
  unsigned char* block = QelMemoryControllerController::allocateArray(count, size);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t), 0u);
  std::memset(block, 0xAB, 5 * 24);
  QelMemoryControllerController::deallocateArray(block);
  unsigned char* none = nullptr;
  QelMemoryControllerController::deallocateArray(none);

  const struct {
    int count;
    unsigned long long size;
  } refused[] = {
      {0, 8},           {-1, 8},         {INT_MIN, 8},   {4, 0},
      {INT_MAX, ~0ull}, {2, 1ull << 63}, {3, ~0ull / 2}, {INT_MAX, (~0ull / INT_MAX) + 1},
  };
  for (const auto& c : refused) {
    count = c.count;
    size = c.size;
    EXPECT_EQ(QelMemoryControllerController::allocateArray(count, size), nullptr)
        << c.count << " x " << c.size;
  }
}

}  // namespace
