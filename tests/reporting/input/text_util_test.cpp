// Reading decimals: the short fast path gives what strtod gives.
#include "text/text_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Short decimals take a fast path of their own; it must give the correctly
// rounded value that strtod gives, for every placement of the point.
TEST(TextUtilTest, ShortDecimalsReadAsStrtodReadsThem) {
  std::uint64_t state = 12345;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
  };
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + static_cast<int>(next() % 17);  // some beyond the fast path
    std::string text = next() % 4 == 0 ? "-" : "";
    for (int d = 0; d < digits; ++d) text += static_cast<char>('0' + next() % 10);
    const std::size_t point = next() % (static_cast<std::size_t>(digits) + 2);
    if (point <= static_cast<std::size_t>(digits)) text.insert(text.size() - point, ".");
    double value = -1;
    ASSERT_TRUE(bomreport::parseReal(text, value)) << text;
    const double expected = std::strtod(text.c_str(), nullptr);
    EXPECT_EQ(value, expected == 0.0 ? 0.0 : expected) << text;
    EXPECT_FALSE(value == 0.0 && std::signbit(value)) << text;
  }
}

}  // namespace
