#include "QelMemoryControllerController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

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

// Blocks of every size keep what is written into them while others come and
// go, also when released on another thread than they came from.
TEST(QelMemoryControllerControllerTest, BlocksHoldTheirBytesAcrossThreads) {
  std::vector<std::vector<unsigned char*>> made(2);
  std::vector<std::thread> makers;
  for (std::size_t t = 0; t < made.size(); ++t) {
    makers.emplace_back([&made, t] {
      for (std::size_t bytes = 0; bytes <= 700; ++bytes) {
        auto* block = static_cast<unsigned char*>(QelMemoryControllerController::allocateBlock(bytes));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t), 0u);
        std::memset(block, static_cast<int>(bytes & 0xFF), std::max<std::size_t>(bytes, 1));
        made[t].push_back(block);
      }
    });
  }
  for (std::thread& maker : makers) maker.join();
  for (std::size_t t = 0; t < made.size(); ++t) {  // released on this thread
    for (std::size_t bytes = 0; bytes < made[t].size(); ++bytes) {
      unsigned char* block = made[t][bytes];
      for (std::size_t i = 0; i < bytes; ++i) ASSERT_EQ(block[i], bytes & 0xFF) << bytes;
      QelMemoryControllerController::deallocateBlock(block);
    }
  }
  QelMemoryControllerController::deallocateBlock(nullptr);
}

#if !defined(__SANITIZE_ADDRESS__)
// Released blocks are reused, by another size too: memory a run gives back
// serves what it makes next, so a run that frees what it made does not grow.
TEST(QelMemoryControllerControllerTest, ReleasedBlocksServeOtherSizes) {
  constexpr int kBlocks = 200000;  // 6 MB of 32-byte blocks: many spans
  std::vector<void*> small(kBlocks);
  for (void*& block : small) block = QelMemoryControllerController::allocateBlock(32);
  const auto [low, high] = std::minmax_element(small.begin(), small.end());
  const auto first = reinterpret_cast<std::uintptr_t>(*low);
  const auto last = reinterpret_cast<std::uintptr_t>(*high);
  for (void* block : small) QelMemoryControllerController::deallocateBlock(block);
  std::vector<void*> large(kBlocks / 4);
  int reused = 0;
  for (void*& block : large) {
    block = QelMemoryControllerController::allocateBlock(128);
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    reused += at >= first && at <= last ? 1 : 0;
  }
  for (void* block : large) QelMemoryControllerController::deallocateBlock(block);
  EXPECT_GT(reused, kBlocks / 8);
}
#endif

}  // namespace
