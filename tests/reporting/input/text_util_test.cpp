// The strict number syntax of parts files, UTF-8 checks and positions.
#include "input/text_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

TEST(TextUtilTest, ParsesIntegersStrictly) {
  const struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"0", true, 0},
      {"-7", true, -7},
      {"+12", true, 12},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"1.0", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"0x10", false, 0},
  };
  for (const auto& test : cases) {
    int value = 0;
    EXPECT_EQ(bomreport::parseInt32(test.text, value), test.ok) << test.text;
    if (test.ok) {
      EXPECT_EQ(value, test.value) << test.text;
    }
  }
}

TEST(TextUtilTest, ParsesDecimalRealsOnly) {
  const struct {
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"2.5", true, 2.5},   {".5", true, 0.5},   {"5.", true, 5.0},     {"-1e3", true, -1000},
      {"1E-2", true, 0.01}, {"-0", true, 0.0},   {"1e-400", true, 0.0}, {"1e400", false, 0},
      {"inf", false, 0},    {"nan", false, 0},   {".", false, 0},       {"1e", false, 0},
      {"1,5", false, 0},    {"0x1p3", false, 0}, {" 2", false, 0},
  };
  for (const auto& test : cases) {
    double value = -1;
    EXPECT_EQ(bomreport::parseReal(test.text, value), test.ok) << test.text;
    if (!test.ok) continue;
    EXPECT_EQ(value, test.value) << test.text;
    if (value == 0.0) {
      EXPECT_FALSE(std::signbit(value)) << test.text;  // never -0
    }
  }
  EXPECT_TRUE(bomreport::isDecimalNumber("1e400"));  // a number, but beyond a double
}

TEST(TextUtilTest, FindsIllFormedUtf8AndPositions) {
  std::size_t bad = 0;
  EXPECT_TRUE(bomreport::isValidUtf8("S355 \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x94\xA9", bad));
  const struct {
    std::string text;
    std::size_t offset;
  } invalid[] = {
      {"ab\xC3", 2},            // cut short
      {"\xC0\xAF", 0},          // overlong
      {"x\xED\xA0\x80", 1},     // a surrogate
      {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
      {"ok\x80", 2},            // a lone continuation byte
  };
  for (const auto& test : invalid) {
    EXPECT_FALSE(bomreport::isValidUtf8(test.text, bad));
    EXPECT_EQ(bad, test.offset) << test.text;
  }
  long long line = 0;
  long long column = 0;
  bomreport::lineColumnAt("ab\n\xC3\xA4x\ny", 6, line, column);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(column, 3);  // the umlaut is one character
  EXPECT_EQ(bomreport::displayWidth(std::string_view("\xC3\xA4\xC3\xB6")), 2);
}

}  // namespace

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
