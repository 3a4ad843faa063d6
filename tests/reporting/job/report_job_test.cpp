// ReportJob: the host's road from options to an evaluated report.
#include "BomReportJob.h"

#include <gtest/gtest.h>

#include "reporting/ReportingTestSupport.h"

namespace {

const char kTemplate[] = R"({"children": [
  {"type": "kReportHeader", "tuples": [["%FilterBy: 1", ""]],
   "children": [{"type": "kDetails", "tuples": [["%SortDescBy:%Length", ""],
                                                ["%Pos", ""], ["%Length", 0.0]]}]},
  {"type": "kReportFooter", "tuples": [["%SumBy:%Length", 0.0]]}]})";

std::string refusal(const bomreport::ReportJobOptions& options) {
  try {
    bomreport::ReportJob job(options);
  } catch (const bomreport::InputError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(ReportJobTest, TracesTheTemplateAndEvaluatesTheWantedParts) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.templatePath = dir.write("beams.json", kTemplate);
  options.partsPath =
      dir.write("parts.csv", "#type,%Pos,%Length,%Name\n1,B1,1000,x\n2,B2,9000,y\n1,B3,2500,z\n");
  options.units = "length=m";
  bomreport::ReportJob job(options);

  std::string trace;
  for (const QelString& token : job.trace().tokens) trace += token.toUtf8() + ' ';
  EXPECT_EQ(trace, "%FilterBy: 1 %SumBy:%Length %Length %SortDescBy:%Length %Pos ");
  ASSERT_EQ(job.trace().filterObjTypes.count(), 1);
  EXPECT_EQ(job.templateName(), "beams.json");
  EXPECT_EQ(job.dataName(), "parts.csv");

  // Part B2 is of type 2, which the filter drops; %Name is not used.
  const std::string expected =
      "[ kBomTemplate ]\n"
      " [ kReportHeader][%FilterBy: 1:]\n"
      "  [ kDetails     ][%SortDescBy:%Length:][%Pos:B3][%Length:2.5]\n"
      "  [ kDetails     ][%SortDescBy:%Length:][%Pos:B1][%Length:1]\n"
      " [ kReportFooter][%SumBy:%Length:3.5]";
  bomreport::EvaluatedReport report = job.evaluate();
  EXPECT_EQ(bomtest::listing(report.output()), expected);
  EXPECT_EQ(bomtest::dumpRows(report.data()),
            "3 %Pos=t:B3 %Length=r:2500\n1 %Pos=t:B1 %Length=r:1000\n");
  // The numbers' units: lengths in m, sums in the unit of what they sum.
  const bomreport::DisplayUnit* metres = report.units().unitOf(QelString("%SumBy:%Length"));
  ASSERT_NE(metres, nullptr);
  EXPECT_EQ(metres->symbol, "m");
  EXPECT_EQ(metres->decimals, 3);
  EXPECT_EQ(report.units().unitOf(QelString("%Weight"))->symbol, "kg");
  EXPECT_EQ(report.units().unitOf(QelString("%Pos")), nullptr);
  EXPECT_TRUE(report.units().suppressLastZeros());
  // Each evaluation reads the parts anew.
  EXPECT_EQ(bomtest::listing(job.evaluate().output()), expected);
}

TEST(ReportJobTest, DefaultsToTheBuiltInTemplateAndSampleData) {
  bomreport::ReportJob job{bomreport::ReportJobOptions()};
  EXPECT_EQ(job.templateName(), "built-in default template");
  EXPECT_EQ(job.dataName(), "built-in sample data");
  EXPECT_EQ(job.trace().tokens.count(), 12);
  bomreport::EvaluatedReport report = job.evaluate();
  EXPECT_EQ(report.data().child() != nullptr, true);
  const bomreport::Report view = report.view(false);
  EXPECT_EQ(view.used, nullptr);
  EXPECT_EQ(report.view(true).used, &report.data());
}

TEST(ReportJobTest, TakesATemplateAlreadyLoaded) {
  bomreport::ReportJobOptions options;
  options.templatePath = "memory/beams.json";  // names it only
  bomreport::ReportJob job(bomreport::readTemplateText("x", kTemplate), options);
  EXPECT_EQ(job.templateName(), "beams.json");
  EXPECT_EQ(job.trace().tokens.count(), 5);
}

TEST(ReportJobTest, RefusesBadOptionsBeforeReadingFiles) {
  bomreport::ReportJobOptions options;
  options.templatePath = "/nonexistent/template.json";
  options.units = "length=furlong";
  EXPECT_EQ(refusal(options), "--units: unknown unit name \"furlong\"");
  options.units = "weight=mm";
  EXPECT_EQ(refusal(options), "--units: \"mm\" is not a unit of weight");
  options.units = "mass=kg";
  EXPECT_EQ(refusal(options), "--units: unknown kind \"mass\" (length, weight, area or angle)");
  options.units = "";
  options.settings = {"C0_BOMSuppressLastZeros"};
  EXPECT_EQ(refusal(options), "--setting: \"C0_BOMSuppressLastZeros\" is not NAME=INTEGER");
  options.settings.clear();
  EXPECT_EQ(refusal(options).find("/nonexistent/template.json: cannot open"), 0u);
}

}  // namespace
