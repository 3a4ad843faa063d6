// The texts programs read for reals: "%.15g" of the value, however it is made.
#include "output/exact_values.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

namespace {

TEST(ExactValuesTest, RealsAreWrittenAsPrintfWritesThemToFifteenDigits) {
  std::mt19937_64 random(26);
  for (int i = 0; i < 200000; ++i) {
    // Decimals of every length and scale, doubles of every bit pattern, and
    // one of each notation.
    const double known[] = {2900.0, 0.0001, 1.234e-05, 123456789012345.0, 1e15, -800.0699999999999};
    std::uint64_t bits = random();
    double real = std::stod(std::to_string(bits % 1000000000000000ULL) + "e" +
                            std::to_string(static_cast<int>(bits % 61) - 30));
    if (i % 2 == 1) std::memcpy(&real, &bits, sizeof real);
    if (i < 6) real = known[i];
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.15g", real);
    if (!std::isfinite(real)) continue;
    ASSERT_EQ(bomreport::exactNumberText({bomreport::ExactValue::kReal, 0, real}), printed) << i;
  }
}

}  // namespace
