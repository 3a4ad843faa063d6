// Blocks formatted on two threads come out whole and in order, and a failure
// on either thread stops the writing with that failure.
#include "output/ordered_blocks.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

namespace {

std::string numbered(std::size_t block) {
  return std::string(block % 7 + 1, static_cast<char>('a' + block % 26)) + std::to_string(block) +
         "\n";
}

TEST(OrderedBlocksTest, WritesEveryBlockInOrder) {
  for (std::size_t count : {0u, 1u, 2u, 3u, 1000u}) {
    std::ostringstream out;
    bomreport::writeBlocksInOrder(
        count, [](std::size_t block, std::string& text) { text += numbered(block); }, out);
    std::string expected;
    for (std::size_t block = 0; block < count; ++block) expected += numbered(block);
    EXPECT_EQ(out.str(), expected) << count << " blocks";
  }
}

TEST(OrderedBlocksTest, AFailureOnEitherThreadStopsTheWriting) {
  for (std::size_t failing : {0u, 1u, 500u, 501u}) {
    std::ostringstream out;
    auto format = [failing](std::size_t block, std::string& text) {
      if (block == failing) throw std::runtime_error("block " + std::to_string(block));
      text += numbered(block);
    };
    try {
      bomreport::writeBlocksInOrder(1000, format, out);
      ADD_FAILURE() << "no failure for block " << failing;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "block " + std::to_string(failing));
    }
    // Nothing after the failing block is written.
    EXPECT_EQ(out.str().find(numbered(failing + 1)), std::string::npos) << failing;
  }
}

}  // namespace
