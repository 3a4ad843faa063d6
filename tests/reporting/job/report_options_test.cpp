// The option parsers: one case rule for names, reasons that name no option.
#include "BomReportOptions.h"

#include <gtest/gtest.h>

#include <functional>

#include "BomReportWriter.h"

namespace {

struct ParseCase {
  const char* text;
  std::function<std::string(std::string_view)> parse;  // the value, in words
  const char* expected;  // the value's words, or "!" and the reason
};

std::string outcome(const ParseCase& test) {
  try {
    return test.parse(test.text);
  } catch (const bomreport::OptionError& error) {
    return std::string("!") + error.what();
  }
}

TEST(ReportOptionsTest, ReadsNamesInAnyCaseAndRefusesWithTheReasonAlone) {
  using bomreport::Paper;
  using bomreport::PartsFormat;
  const auto format = [](std::string_view t) {
    return std::to_string(static_cast<int>(bomreport::parsePartsFormat(t)));
  };
  const auto paper = [](std::string_view t) {
    return std::to_string(static_cast<int>(bomreport::parsePaper(t)));
  };
  const auto natural = [](std::string_view t) {
    return std::to_string(bomreport::parseCollation(t) == bomreport::Collation::kNatural);
  };
  const auto delimiter = [](std::string_view t) {
    return std::string(1, bomreport::parseDelimiter(t));
  };
  const auto units = [](std::string_view t) {
    return std::to_string(bomreport::parseUnits(t).size());
  };
  const auto setting = [](std::string_view t) {
    const bomreport::StoredSetting s = bomreport::parseSetting(t);
    return s.name + ':' + std::to_string(s.value);
  };
  const auto size = [](std::string_view t) { return std::to_string(bomreport::parseByteSize(t)); };
  const ParseCase cases[] = {
      {"IFC", format, "3"},
      {"", format, "0"},
      {"xml", format, "!\"xml\" is not csv, json or ifc"},
      {"A3", paper, "1"},
      {"Letter", paper, "2"},
      {"a5", paper, "!\"a5\" is not a4, a3 or letter"},
      {"Natural", natural, "1"},
      {"TAB", delimiter, "\t"},
      {"\"", delimiter, "!a quote or a line break cannot separate fields"},
      {";;", delimiter, "!\";;\" is not one character (or tab)"},
      {"length=m,weight=t", units, "2"},
      {"", units, "0"},
      {"mass=kg", units, "!unknown kind \"mass\" (length, weight, area or angle)"},
      {"weight=mm", units, "!\"mm\" is not a unit of weight"},
      {"C0_X=-3", setting, "C0_X:-3"},
      {"=1", setting, "!\"=1\" is not NAME=INTEGER"},
      {"2GiB", size, "2147483648"},
      {"0", size, "!the size must not be 0"},
  };
  for (const ParseCase& test : cases) EXPECT_EQ(outcome(test), test.expected) << test.text;
}

}  // namespace
