// A job over parts held in memory: the same road as a parts file (filter,
// required tokens, input units, merging, warnings), and parts checked apart
// from any template.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BomReportJob.h"
#include "reporting/ReportingTestSupport.h"

namespace {

using Value = bomreport::PartsTable::Value;

const char kTemplate[] = R"({"children": [
  {"type": "kReportHeader", "tuples": [["%FilterBy: 1", ""]],
   "children": [{"type": "kDetails", "tuples": [["%SortAscBy:%PNum", ""], ["%PNum", ""],
                                                ["%Quantity", 0], ["%Length", 0.0],
                                                ["%WeightInModel", 0.0], ["%Grade", ""]]}]},
  {"type": "kReportFooter", "tuples": [["%SumBy:%Quantity", 0]]}]})";

// The same three parts as a CSV file and as a table; the third has a type the
// filter drops.
const char kCsv[] =
    "#handle,#type,%PNum,%Length,%Weight,%ElementID\n"
    "A,1,P2,1.5,10,E1\n"
    "B,1,P2,1.5,10,E2\n"
    "C,2,P1,3,20,E3\n";

std::shared_ptr<bomreport::PartsTable> tableOfTheCsv() {
  auto table = std::make_shared<bomreport::PartsTable>();
  table->name = "records";
  table->tokens = {"%PNum", "%Length", "%Weight", "%ElementID"};
  const char* handles[] = {"A", "B", "C"};
  const int types[] = {1, 1, 2};
  const char* numbers[] = {"P2", "P2", "P1"};
  const double lengths[] = {1.5, 1.5, 3.0};
  const long long weights[] = {10, 10, 20};
  for (int i = 0; i < 3; ++i) {
    bomreport::PartsTable::Part part;
    part.handle = handles[i];
    part.type = types[i];
    part.tuples = {{0, Value(std::string(numbers[i]))},
                   {1, Value(lengths[i])},
                   {2, Value(weights[i])},
                   {3, Value("E" + std::to_string(i + 1))}};
    table->parts.push_back(std::move(part));
  }
  return table;
}

struct Evaluated {
  std::string listing;
  std::string rows;
  std::string warnings;
};

Evaluated evaluate(const bomreport::ReportJobOptions& options) {
  bomreport::ReportJob job(bomreport::readTemplateText("t.json", kTemplate), options);
  bomreport::EvaluatedReport report = job.evaluate();
  Evaluated result{bomtest::listing(report.output()), bomtest::dumpRows(report.data()), ""};
  for (const std::string& warning : bomtest::worded(report.warnings())) result.warnings += warning + '\n';
  return result;
}

TEST(PartsTableJobTest, ATableGivesTheReportOfTheSameParts) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions fromFile;
  fromFile.partsPath = dir.write("parts.csv", kCsv);
  fromFile.mergeEqualParts = true;
  fromFile.inputUnits = bomreport::parseUnits("length=m");
  bomreport::ReportJobOptions fromTable = fromFile;
  fromTable.partsPath.clear();
  fromTable.partsTable = tableOfTheCsv();

  const Evaluated file = evaluate(fromFile);
  const Evaluated table = evaluate(fromTable);
  EXPECT_EQ(table.listing, file.listing);
  EXPECT_EQ(table.rows, file.rows);
  EXPECT_EQ(table.rows,
            "A=B %PNum=t:P2 %Length=r:1500 %Weight=r:10 %Quantity=i:2 "
            "%WeightInModel=r:20\n");
  EXPECT_EQ(table.warnings, "no part of records has the template's token \"%Grade\"\n");
  EXPECT_EQ(file.warnings, "no part of parts.csv has the template's token \"%Grade\"\n");

  bomreport::ReportJob job(bomreport::readTemplateText("t.json", kTemplate), fromTable);
  EXPECT_EQ(job.dataName(), "records");
}

TEST(PartsTableJobTest, CheckPartsRefusesWhatEvaluateRefusesWhateverTheTemplate) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.partsPath = dir.write("parts.csv", "#type,%Quantity\n7,1\n7,x\n");
  try {
    bomreport::checkParts(options);
    FAIL() << "accepted";
  } catch (const bomreport::InputError& e) {
    EXPECT_EQ(e.where(), options.partsPath);
    EXPECT_EQ(e.line(), 3);
    EXPECT_EQ(e.column(), 2);
    EXPECT_EQ(e.reason(), "\"x\" is not a 32-bit integer (%Quantity)");
    EXPECT_EQ(e.what(), options.partsPath + ":3:2: \"x\" is not a 32-bit integer (%Quantity)");
  }

  auto table = tableOfTheCsv();
  bomreport::checkParts(bomreport::ReportJobOptions());  // the sample data set
  options.partsTable = table;
  bomreport::checkParts(options);  // the table, not the file
  table->parts[2].tuples[1].value = Value(std::string("long"));
  EXPECT_THROW(bomreport::checkParts(options), bomreport::InputError);
  options.delimiter = '"';
  EXPECT_THROW(bomreport::checkParts(options), bomreport::InputError);
}

}  // namespace
