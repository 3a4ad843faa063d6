// ReportJob: the host's road from options to an evaluated report.
#include "BomReportJob.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "job/report_warnings.h"
#include "reporting/ReportingTestSupport.h"

namespace {

const char kTemplate[] = R"({"children": [
  {"type": "kReportHeader", "tuples": [["%FilterBy: 1", ""]],
   "children": [{"type": "kDetails", "tuples": [["%SortDescBy:%Length", ""],
                                                ["%Pos", ""], ["%Length", 0.0]]}]},
  {"type": "kReportFooter", "tuples": [["%SumBy:%Length", 0.0]]}]})";

TEST(ReportJobTest, TracesTheTemplateAndEvaluatesTheWantedParts) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.templatePath = dir.write("beams.json", kTemplate);
  options.partsPath =
      dir.write("parts.csv", "#type,%Pos,%Length,%Name\n1,B1,1000,x\n2,B2,9000,y\n1,B3,2500,z\n");
  options.units = bomreport::parseUnits("length=m");
  bomreport::ReportJob job(options);

  std::string trace;
  for (const std::string& token : job.trace().tokens) trace += token + ' ';
  EXPECT_EQ(trace, "%FilterBy: 1 %SumBy:%Length %Length %SortDescBy:%Length %Pos ");
  ASSERT_EQ(job.trace().filterObjTypes.size(), 1u);
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
  EXPECT_EQ(job.trace().tokens.size(), 12u);
  bomreport::EvaluatedReport report = job.evaluate();
  EXPECT_EQ(report.data().child() != nullptr, true);
  const bomreport::Report view = report.view(false);
  EXPECT_EQ(view.used, nullptr);
  EXPECT_EQ(report.view(true).used, &report.data());
}

TEST(ReportJobTest, TakesATemplateAlreadyLoaded) {
  bomreport::ReportJobOptions options;
  options.templatePath = "no/such/file.json";  // not read: the template is given
  bomreport::ReportJob job(bomreport::readTemplateText("memory/beams.json", kTemplate), options);
  EXPECT_EQ(job.templateName(), "beams.json");
  EXPECT_EQ(job.trace().tokens.size(), 5u);
  // Named or not, a template given loaded is checked: only the engine's own is not.
  const char* misspelt = R"({"children": [{"type": "kDetails", "tuples": [["%SortAsc:%PNum", ""]]}]})";
  bomreport::ReportJob unnamed(bomreport::readTemplateText("", misspelt), {});
  EXPECT_EQ(unnamed.templateName(), "template");
  ASSERT_EQ(unnamed.warnings().size(), 1u);
  EXPECT_EQ(unnamed.warnings()[0].kind, bomreport::WarningKind::kNotADirective);
  EXPECT_TRUE(bomreport::ReportJob(bomreport::defaultTemplate(), {}).warnings().empty());
}

}  // namespace

namespace {

bomreport::EvaluatedReport evaluateIn(bomtest::ScratchDir& dir, bomreport::ReportJobOptions options,
                                      const char* templ, const char* parts) {
  options.templatePath = dir.write("t.json", templ);
  options.partsPath = dir.write("parts.csv", parts);
  bomreport::ReportJob job(options);
  return job.evaluate();
}

TEST(ReportJobTest, ConvertsTheInputUnitsOfTokensWithAUnitKind) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.inputUnits = bomreport::parseUnits("length=m,weight=t");
  const char templ[] = R"({"tokenUnits": [["Span", "kDistanceUnit"]], "children": [
      {"type": "kDetails", "tuples": [["%Length", 0.0], ["%Weight", 0.0], ["Span", 0],
                                      ["%Quantity", 0]]}]})";
  bomreport::EvaluatedReport report =
      evaluateIn(dir, options, templ, "%Length,%Weight,Span,%Quantity\n1.5,0.25,2,3\n");
  EXPECT_EQ(bomtest::dumpRows(report.data()),
            "1 %Length=r:1500 %Weight=r:250 Span=r:2000 %Quantity=i:3\n");
  EXPECT_THROW(bomreport::parseUnits("length=furlong"), bomreport::OptionError);
}

TEST(ReportJobTest, MergesPartsEqualInEveryValueOfEveryType) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.mergeEqualParts = true;
  const char templ[] = R"({"children": [{"type": "kDetails", "tuples": [
      ["%PNum", ""], ["%Lot", 0], ["Span", 0.0], ["%Quantity", 0]]}]})";
  // Integers, reals and texts each tell parts apart, also under a label (a
  // tuple without "%", which shows the value of a row that has its token);
  // -0 equals 0.
  bomreport::EvaluatedReport report = evaluateIn(dir, options, templ,
                                                 "%PNum,%Lot,Span,%Quantity\n"
                                                 "A,7,0.0,1\nA,7,-0.0,2\nA,8,0.0,1\n"
                                                 "A,7,1.5,1\nB,7,0.0,1\nA,,0.0,4\n");
  EXPECT_EQ(bomtest::dumpRows(report.data()),
            "1=2 %PNum=t:A %Lot=i:7 Span=r:0 %Quantity=i:3\n"
            "3 %PNum=t:A %Lot=i:8 Span=r:0 %Quantity=i:1\n"
            "4 %PNum=t:A %Lot=i:7 Span=r:1.5 %Quantity=i:1\n"
            "5 %PNum=t:B %Lot=i:7 Span=r:0 %Quantity=i:1\n"
            "6 %PNum=t:A Span=r:0 %Quantity=i:4\n");
}

TEST(ReportJobTest, SortsUnderTheChosenCollationAndRestoresTheDefault) {
  const char templ[] =
      R"({"children": [{"type": "kDetails", "tuples": [["%SortAscBy:%PNum", ""], ["%PNum", ""]]}]})";
  const char parts[] = "%PNum\nP10\np2\nP1\nP2\n";
  for (const auto& [collation, expected] :
       {std::pair{bomreport::Collation::kCodeUnits, "P1 P10 P2 p2 "},
        std::pair{bomreport::Collation::kNatural, "P1 P2 p2 P10 "}}) {
    bomtest::ScratchDir dir;
    bomreport::ReportJobOptions options;
    options.collation = collation;
    bomreport::EvaluatedReport report = evaluateIn(dir, options, templ, parts);
    std::string order;
    for (const QelBomItemBase* row = report.data().child(); row != nullptr; row = row->next()) {
      order += row->getData()[0].value().asString().toUtf8() + ' ';
    }
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(QelString::comparesByCodeUnits());
  }
}

TEST(ReportJobTest, WarnsOfTokensNoPartHasFiltersThatKeepNothingAndUnknownSettings) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.settings = {{"C0_BOMSupressLastZeros", 0}};
  const char typos[] = R"({"children": [{"type": "kReportHeader",
      "tuples": [["%FilterBy: 7", ""], ["Title", "labels are no tokens"]],
      "children": [{"type": "kDetails", "tuples": [["%GroupBy:%MNumm", ""], ["%MNum", ""],
                                                   ["%Wieght", 0.0], ["%Quantity", 0]]}]}]})";
  bomreport::EvaluatedReport report =
      evaluateIn(dir, options, typos, "#type,%MNum,%Weight\n1,C1,5\n2,C2,7\n");
  EXPECT_EQ(bomtest::worded(report.warnings()),
            (std::vector<std::string>{
                "--setting: no part of the system reads the setting \"C0_BOMSupressLastZeros\" "
                "(did you mean \"C0_BOMSuppressLastZeros\"?)",
                "no part of parts.csv has the template's token \"%Wieght\" (did you mean "
                "\"%Weight\"?)",
                "no part of parts.csv has the template's token \"%MNumm\" (did you mean "
                "\"%MNum\"?)",
                "the template's filter keeps object types 7, and none of the 2 parts of "
                "parts.csv is of those types (they are of types 1, 2)"}));

  options.settings.clear();
  const char foreign[] =
      R"({"children": [{"type": "kDetails", "tuples": [["%PosNum", ""], ["%Mass", 0.0]]}]})";
  bomreport::EvaluatedReport other = evaluateIn(dir, options, foreign, "Pos,Mass\nA,1\n");
  EXPECT_EQ(bomtest::worded(other.warnings()),
            (std::vector<std::string>{
                "the template names none of the tokens of parts.csv (it uses \"%PosNum\", "
                "\"%Mass\"; the file has \"Mass\", \"Pos\")",
                "no part of parts.csv has the template's token \"%PosNum\" (did you mean "
                "\"%PNum\"?)",
                "no part of parts.csv has the template's token \"%Mass\" (did you mean "
                "\"Mass\"?)"}));
}

TEST(ReportJobTest, EditDistanceAndSuggestions) {
  const struct {
    const char* a;
    const char* b;
    std::size_t distance;
  } distances[] = {{"", "", 0},
                   {"abc", "", 3},
                   {"%Wieght", "%Weight", 1},
                   {"%MNumm", "%MNum", 1},
                   {"kitten", "sitting", 3},
                   {"ab", "ba", 1}};
  for (const auto& c : distances) {
    EXPECT_EQ(bomreport::editDistance(c.a, c.b), c.distance) << c.a << " " << c.b;
  }
  const std::vector<std::string> names = {"%Weight", "%Width", "%MNum"};
  EXPECT_EQ(bomreport::didYouMean("%Wieght", names), " (did you mean \"%Weight\"?)");
  EXPECT_EQ(bomreport::didYouMean("%Widht", names), " (did you mean \"%Width\"?)");
  EXPECT_EQ(bomreport::didYouMean("%Colour", names), "");
  EXPECT_EQ(bomreport::didYouMean("ab", {"xy"}), "");  // two edits of two are no slip
  EXPECT_EQ(bomreport::didYouMean("%PNum", {"%MNum", "%pnum"}), " (did you mean \"%pnum\"?)");
  for (const std::string& name : bomreport::catalogueTokenNames()) {
    EXPECT_NE(QelBomDataToken::getTokenType(QelString::fromUtf8(name)),
              QelBomDataValue::kUnkDataValueType)
        << name;
  }
  EXPECT_EQ(bomreport::catalogueTokenNames().size(), 64u);
}

}  // namespace
