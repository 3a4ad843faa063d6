// The format an output file's name asks for.
#include <gtest/gtest.h>

#include "BomReportWriter.h"

namespace {

TEST(OutputFormatTest, TheExtensionInAnyCaseNamesTheFormat) {
  const struct {
    const char* path;
    const char* format;
  } kCases[] = {
      {"bom.txt", "text"},  {"out/bom.CSV", "csv"}, {"bom.json", "json"},
      {"bom.Html", "html"}, {"bom.htm", "html"},    {"bom.xlsx", "xlsx"},
      {"bom.PDF", "pdf"},   {"", "text"},           {"bom", "text"},
      {"bom.ods", ""},      {"bom.pdf.gz", ""},     {"archive.d/bom", "text"},
  };
  for (const auto& test : kCases) {
    EXPECT_EQ(bomreport::formatForOutputPath(test.path), test.format) << test.path;
  }
}

}  // namespace
