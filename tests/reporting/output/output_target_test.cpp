// Writing a report: a file appears whole on commit() or not at all, and an
// input is never overwritten.
#include "BomOutputTarget.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include "reporting/ReportingTestSupport.h"

namespace {

int entriesIn(const std::string& dir) {
  int count = 0;
  DIR* handle = opendir(dir.c_str());
  while (dirent* entry = readdir(handle))
    count += entry->d_name[0] != '.' || entry->d_name[1] > '.';
  closedir(handle);
  return count;
}

TEST(OutputTargetTest, ReplacesAFileOnlyOnCommit) {
  bomtest::ScratchDir dir;
  const std::string path = dir.write("report.txt", "previous");
  {
    bomreport::OutputTarget target(path);
    target.stream() << "half a report";
  }  // abandoned: the previous file stays, no temporary file is left
  EXPECT_EQ(bomtest::readFile(path), "previous");
  EXPECT_EQ(entriesIn(dir.dir()), 1);
  {
    bomreport::OutputTarget target(path);
    target.stream() << "new";
    EXPECT_EQ(bomtest::readFile(path), "previous");
    target.commit();
  }
  EXPECT_EQ(bomtest::readFile(path), "new");
  EXPECT_EQ(entriesIn(dir.dir()), 1);
}

TEST(OutputTargetTest, ReportsWhatCannotBeWritten) {
  bomreport::OutputTarget target("/nonexistent-dir/report.txt");
  EXPECT_THROW(target.stream(), bomreport::OutputError);
}

TEST(OutputTargetTest, RefusesAnInputAsOutput) {
  bomtest::ScratchDir dir;
  const std::string input = dir.write("parts.csv", "%A\n1\n");
  const std::string other = dir.write("other.csv", "");
  try {
    bomreport::checkOutputIsNoInput(dir.dir() + "/./parts.csv", {"", other, input});
    FAIL() << "accepted";
  } catch (const bomreport::InputError& e) {
    EXPECT_EQ(std::string(e.what()),
              dir.dir() + "/./parts.csv: refusing to write the output over an input file");
  }
  EXPECT_NO_THROW(bomreport::checkOutputIsNoInput(dir.path("new.txt"), {input}));
  EXPECT_NO_THROW(bomreport::checkOutputIsNoInput("", {input}));
}

}  // namespace
