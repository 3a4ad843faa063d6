// Which display texts read as numbers: those a number shown with its decimals
// gives back, so that no format turns a part number into something else.
#include "text/display_number.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayNumberTest, ReadsNumbersAsTheUnitsWriteThem) {
  const struct {
    const char* text;
    double value;
    int decimals;
    bool exponent;
  } numbers[] = {
      {"0", 0, 0, false},
      {"5400", 5400, 0, false},
      {"-12", -12, 0, false},
      {"4.24", 4.24, 2, false},
      {"4.20", 4.2, 2, false},
      {"0.001", 0.001, 3, false},
      {"-0.5", -0.5, 1, false},
      {"1e+11", 1e11, 0, true},
      {"4.94066e-324", 4.94066e-324, 5, true},
      {"123456789012345", 123456789012345.0, 0, false},
      {"0.000000000000001", 1e-15, 15, false},
  };
  for (const auto& expected : numbers) {
    bomreport::DisplayNumber number;
    ASSERT_TRUE(bomreport::readDisplayNumber(std::string_view(expected.text), number))
        << expected.text;
    EXPECT_EQ(number.value, expected.value) << expected.text;
    EXPECT_EQ(number.decimals, expected.decimals) << expected.text;
    EXPECT_EQ(number.exponent, expected.exponent) << expected.text;
    // The engine's own texts are read the same way.
    bomreport::DisplayNumber fromQel;
    ASSERT_TRUE(bomreport::readDisplayNumber(QelString(expected.text), fromQel));
    EXPECT_EQ(fromQel.value, number.value);
  }
}

TEST(DisplayNumberTest, KeepsTextsThatANumberWouldChange) {
  for (const char* text : {"",
                           "007",
                           "+5",
                           ".5",
                           "5.",
                           "1,5",
                           "1 000",
                           " 5",
                           "5 ",
                           "-",
                           "inf",
                           "nan",
                           "0x10",
                           "1e",
                           "1e999",
                           "S355",
                           "E0001",
                           "1234567890123456",
                           "12345678901234567890",
                           "4.2\xC2\xA0",
                           "\xD9\xA1"}) {
    bomreport::DisplayNumber number;
    EXPECT_FALSE(bomreport::readDisplayNumber(std::string_view(text), number)) << text;
    EXPECT_FALSE(bomreport::readDisplayNumber(QelString::fromUtf8(text), number)) << text;
  }
}

TEST(DisplayNumberTest, WritesTheShortestTextThatReadsBack) {
  EXPECT_EQ(bomreport::shortestNumberText(4.2), "4.2");
  EXPECT_EQ(bomreport::shortestNumberText(5400), "5400");
  EXPECT_EQ(bomreport::shortestNumberText(1e22), "1e+22");
  EXPECT_EQ(bomreport::shortestNumberText(0.1 + 0.2), "0.30000000000000004");
}

}  // namespace
