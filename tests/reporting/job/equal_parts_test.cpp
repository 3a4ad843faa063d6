// What the host fills in: merged equal parts and the derived quantity tokens,
// through ReportJob.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BomReportJob.h"
#include "reporting/ReportingTestSupport.h"

namespace {

const char kPositions[] = R"({"children": [
  {"type": "kReportHeader", "tuples": [["%FilterBy: 1", ""]],
   "children": [{"type": "kDetails", "tuples": [["%PNum", ""], ["%Weight", 0.0],
      ["%ElementID", ""], ["%Quantity", 0], ["%WeightInModel", 0.0]]}]},
  {"type": "kReportFooter", "tuples": [["%SumBy:%Quantity", 0], ["%SumBy:%WeightInModel", 0]]}]})";

// h4 is of a type the filter drops; h5 weighs differently.
const char kParts[] =
    "#handle,#type,#equal,%PNum,%Weight,%ElementID,%Quantity\n"
    "h1,1,,P1,10,E1,\n"
    "h2,1,,P2,5,E2,2\n"
    "h3,1,h9,P1,10,E3,3\n"
    "h4,2,,P1,10,E4,\n"
    "h5,1,,P1,10.5,E5,\n"
    "h6,1,,P1,10,E6,\n";

struct Evaluated {
  std::string rows;
  std::string footer;  // the report footer's listing
  std::vector<std::string> warnings;
  std::string used;  // "HANDLES: TOKENS" per row
};

Evaluated evaluate(const char* templ, const std::string& partsName, const std::string& parts,
                   bool merge) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.templatePath = dir.write("t.json", templ);
  options.partsPath = dir.write(partsName, parts);
  options.mergeEqualParts = merge;
  bomreport::ReportJob job(options);
  bomreport::EvaluatedReport report = job.evaluate();
  Evaluated result{bomtest::dumpRows(report.data()), "", bomtest::worded(report.warnings()), ""};
  const std::string listing = bomtest::listing(report.output());
  const std::size_t footer = listing.find("[ kReportFooter]");
  if (footer != std::string::npos) result.footer = listing.substr(footer);
  QelArray<QelArray<QelString>> handles;
  QelArray<QelArray<QelString>> tokens;
  report.data().getUsedHandlesAndTokens(handles, tokens);
  for (int i = 0; i < handles.count(); ++i) {
    for (const QelString& handle : handles[i]) result.used += handle.toUtf8() + ' ';
    result.used += ':';
    for (const QelString& token : tokens[i]) result.used += ' ' + token.toUtf8();
    result.used += '\n';
  }
  return result;
}

TEST(EqualPartsTest, MergingSumsQuantitiesAndWeightsOverEqualParts) {
  const Evaluated merged = evaluate(kPositions, "parts.csv", kParts, true);
  // h1, h3 and h6 are equal but for %ElementID; %Quantity counts 1 for a part
  // without one. The merged row lists the others' handles, then h3's own
  // equal part.
  EXPECT_EQ(merged.rows,
            "h1=h3;h6;h9 %PNum=t:P1 %Weight=r:10 %Quantity=i:5 %WeightInModel=r:50\n"
            "h2 %PNum=t:P2 %Weight=r:5 %Quantity=i:2 %WeightInModel=r:10\n"
            "h5 %PNum=t:P1 %Weight=r:10.5 %Quantity=i:1 %WeightInModel=r:10.5\n");
  EXPECT_EQ(merged.footer, "[ kReportFooter][%SumBy:%Quantity:8][%SumBy:%WeightInModel:70.5]");
  EXPECT_EQ(merged.used,
            "h1 h3 h6 h9 : %PNum %Weight %Quantity %WeightInModel\n"
            "h2 : %PNum %Weight %Quantity %WeightInModel\n"
            "h5 : %PNum %Weight %Quantity %WeightInModel\n");
  EXPECT_TRUE(merged.warnings.empty());
}

TEST(EqualPartsTest, WithoutMergingEachPartShowsItsGroupsFigures) {
  const Evaluated single = evaluate(kPositions, "parts.csv", kParts, false);
  EXPECT_EQ(single.rows,
            "h1 %PNum=t:P1 %Weight=r:10 %ElementID=t:E1 %WeightInModel=r:50\n"
            "h2 %PNum=t:P2 %Weight=r:5 %ElementID=t:E2 %Quantity=i:2 %WeightInModel=r:10\n"
            "h3=h9 %PNum=t:P1 %Weight=r:10 %ElementID=t:E3 %Quantity=i:3 %WeightInModel=r:50\n"
            "h5 %PNum=t:P1 %Weight=r:10.5 %ElementID=t:E5 %WeightInModel=r:10.5\n"
            "h6 %PNum=t:P1 %Weight=r:10 %ElementID=t:E6 %WeightInModel=r:50\n");
}

TEST(EqualPartsTest, JsonPartsMergeWhateverTheOrderOfTheirTuples) {
  const Evaluated merged =
      evaluate(kPositions, "parts.json",
               R"([{"handle": "a", "type": 1, "tuples": [["%PNum", "P1"], ["%Weight", 2.0]]},
          {"handle": "b", "type": 1, "tuples": [["%Weight", 2.0], ["%PNum", "P1"],
                                                ["%Quantity", 4]]}])",
               true);
  EXPECT_EQ(merged.rows, "a=b %PNum=t:P1 %Weight=r:2 %Quantity=i:5 %WeightInModel=r:10\n");
}

TEST(EqualPartsTest, AssemblyCountsAndUnderivableTokens) {
  const char templ[] = R"({"children": [{"type": "kDetails",
      "tuples": [["%MNum", ""], ["%MQuantity", 0], ["%SawLengthInModel", 0.0]]}]})";
  const Evaluated merged = evaluate(templ, "parts.csv",
                                    "#handle,%MNum,Assembly,%PNum\n"
                                    "1,C1,A1,P1\n2,C1,A1,P2\n3,C1,A2,P1\n4,C2,A3,P5\n5,C1,A2,P2\n",
                                    true);
  EXPECT_EQ(merged.rows,
            "1=2;3;5 %MNum=t:C1 Assembly=t:A1 %Quantity=i:4 %MQuantity=i:2\n"
            "4 %MNum=t:C2 Assembly=t:A3 %Quantity=i:1 %MQuantity=i:1\n");
  EXPECT_EQ(merged.warnings,
            std::vector<std::string>{"cannot fill in the template's token \"%SawLengthInModel\": "
                                     "parts.csv has no \"%SawLength\""});
}

}  // namespace
