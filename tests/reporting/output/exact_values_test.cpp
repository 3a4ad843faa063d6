// The texts programs read for reals: "%.15g" of the value, however it is made.
#include "output/exact_values.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

// Decimals of 1 to 15 digits, of either sign, from 1e-30 to 1e+44: plain and
// scientific notation, short decimals written from their digits and the rest.
TEST(ExactValuesTest, RealsAreWrittenAsPrintfWritesThemToFifteenDigits) {
  std::mt19937_64 random(26);
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t bits = random();
    const std::string digits = std::to_string(bits % 1000000000000000ULL >> bits % 50);
    const double real = std::stod((bits >> 63 ? "-" : "") + digits + "e" +
                                  std::to_string(static_cast<int>(bits % 61) - 30));
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.15g", real);
    ASSERT_EQ(bomreport::exactNumberText({bomreport::ExactValue::kReal, 0, real}), printed) << i;
  }
}
