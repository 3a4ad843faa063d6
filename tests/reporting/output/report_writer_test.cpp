// The report formats over one small evaluated report, with exact texts for the
// formats a reader checks by eye (text, CSV) and the structure of the others.
#include "BomReportWriter.h"

#include <gtest/gtest.h>

#include "output/report_tree.h"
#include "output/report_xlsx.h"
#include "reporting/ReportingTestSupport.h"

namespace {

const char kTemplate[] = R"({"children": [
  {"type": "kGroupHeader", "tuples": [["%GroupBy:%MNum", ""], ["%MNum", ""]],
   "children": [{"type": "kDetails", "tuples": [["%Pos", ""], ["%Weight", 0.0]]}]},
  {"type": "kGroupFooter", "tuples": [["%SumBy:%Weight", 0.0]]}]})";

const char kParts[] =
    "#handle,#equal,%MNum,%Pos,%Weight\n"
    "h1,e1,A1,P1,10.5\n"
    "h2,,A1,P10,2\n"
    "h3,,B2,\"P,2\",1.25\n";

class ReportWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bomreport::ReportJobOptions options;
    options.partsPath = dir_.write("parts.csv", kParts);
    options.keepAllTokens = true;
    job_.reset(new bomreport::ReportJob(bomreport::readTemplateText("t.json", kTemplate), options));
  }
  bomreport::EvaluatedReport evaluate() { return job_->evaluate(); }

  bomtest::ScratchDir dir_;
  std::unique_ptr<bomreport::ReportJob> job_;
};

TEST_F(ReportWriterTest, EveryFormatIsRegisteredTextFirst) {
  const std::vector<std::string> names = bomreport::reportFormatNames();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "text");
  for (const std::string& name : names) EXPECT_NE(bomreport::findReportWriter(name), nullptr);
  EXPECT_EQ(bomreport::findReportWriter("pdfx"), nullptr);
}

TEST_F(ReportWriterTest, CsvHasAColumnPerTokenWithItsUnit) {
  bomreport::EvaluatedReport report = evaluate();
  EXPECT_EQ(bomtest::written("csv", report.view(false)),
            "depth,type,%MNum,%Pos,%Weight [kg],%SumBy:%Weight [kg]\n"
            "0,kGroupHeader,A1,,,\n"
            "1,kDetails,,P1,10.5,\n"
            "1,kDetails,,P10,2,\n"
            "0,kGroupFooter,,,,12.5\n"
            "0,kGroupHeader,B2,,,\n"
            "1,kDetails,,\"P,2\",1.25,\n"
            "0,kGroupFooter,,,,1.25\n");
  bomreport::WriterOptions options;
  options.csvSumsUnderToken = true;
  bomreport::Report view = report.view(false);
  view.options = &options;
  EXPECT_EQ(bomtest::written("csv", view),
            "depth,type,%MNum,%Pos,%Weight [kg]\n"
            "0,kGroupHeader,A1,,\n"
            "1,kDetails,,P1,10.5\n"
            "1,kDetails,,P10,2\n"
            "0,kGroupFooter,,,12.5\n"
            "0,kGroupHeader,B2,,\n"
            "1,kDetails,,\"P,2\",1.25\n"
            "0,kGroupFooter,,,1.25\n");
}

TEST_F(ReportWriterTest, JsonWritesNumbersAsNumbersAndNamesTheirUnits) {
  const std::string parts = dir_.write(
      "parts.json", R"([{"tuples": [["%MNum", "007"], ["%Pos", "4.20"], ["%Weight", 2.5]]},)"
                    R"( {"tuples": [["%MNum", "-3"], ["%Pos", "=1+2"], ["%Weight", 1234.5]]}])");
  bomreport::ReportJobOptions options;
  options.partsPath = parts;
  bomreport::ReportJob job(bomreport::readTemplateText("t.json", kTemplate), options);
  bomreport::EvaluatedReport report = job.evaluate();
  const std::string json = bomtest::written("json", report.view(false));
  for (const char* expected : {
           R"([["%GroupBy:%MNum", ""], ["%MNum", "007"]])",  // a text a number would change
           R"([["%Pos", 4.2, {"text": "4.20"}], ["%Weight", 2.5]])",
           R"([["%GroupBy:%MNum", ""], ["%MNum", -3]])",
           R"([["%Pos", "=1+2"], ["%Weight", 1234.5]])",
           R"([["%SumBy:%Weight", 2.5]])",
           R"("units": {"%Weight": "kg", "%SumBy:%Weight": "kg"})",
       }) {
    EXPECT_NE(json.find(expected), std::string::npos) << expected << "\nin\n" << json;
  }
}

TEST_F(ReportWriterTest, XlsxIsOneWorkbookThatGoesOnInFurtherSheets) {
  bomreport::EvaluatedReport report = evaluate();
  const std::string xlsx = bomtest::written("xlsx", report.view(false));
  ASSERT_EQ(xlsx.rfind("PK\x03\x04", 0), 0u);  // a zip archive
  // The central directory names the sheets uncompressed.
  EXPECT_NE(xlsx.find("xl/worksheets/sheet1.xml"), std::string::npos);
  EXPECT_EQ(xlsx.find("xl/worksheets/sheet2.xml"), std::string::npos);
  // Title, source, an empty row, headings and one row fill five rows; the six
  // other rows follow four to a sheet, after the headings.
  std::ostringstream out;
  bomreport::writeXlsxReport(out, report.view(false), 5);
  EXPECT_NE(out.str().find("xl/worksheets/sheet3.xml"), std::string::npos);
  EXPECT_EQ(out.str().find("xl/worksheets/sheet4.xml"), std::string::npos);
}

TEST_F(ReportWriterTest, XlsxRefusesOnlyATextNoCellHolds) {
  // A title longer than a printed page header holds is cut there, not refused.
  const std::string title = std::string(300, '&');
  bomreport::ReportJobOptions options;
  options.partsPath = dir_.write("long.csv", "%MNum,%Pos\nA1," + std::string(32768, 'x') + "\n");
  bomreport::ReportJob titled(
      bomreport::readTemplateText("t.json", R"({"children": [{"type": "kReportHeader", )"
                                            R"("tuples": [["Title", ")" +
                                                title + R"("]]}]})"),
      options);
  EXPECT_NO_THROW(bomtest::written("xlsx", titled.evaluate().view(false)));

  bomreport::ReportJob job(bomreport::readTemplateText("t.json", kTemplate), options);
  bomreport::EvaluatedReport report = job.evaluate();
  std::ostringstream out;
  EXPECT_THROW(bomreport::findReportWriter("xlsx")->write(out, report.view(false)),
               bomreport::OutputError);
  EXPECT_EQ(out.str(), "");
}

TEST_F(ReportWriterTest, PdfPrintsOnThePaperAsked) {
  bomreport::EvaluatedReport report = evaluate();
  const struct {
    bomreport::Paper paper;
    bool landscape;
    const char* mediaBox;
  } papers[] = {
      {bomreport::Paper::kA4, false, "/MediaBox [ 0 0 595.275591 841.889764 ]"},
      {bomreport::Paper::kA3, true, "/MediaBox [ 0 0 1190.551181 841.889764 ]"},
      {bomreport::Paper::kLetter, false, "/MediaBox [ 0 0 612 792 ]"},
  };
  for (const auto& paper : papers) {
    bomreport::WriterOptions options;
    options.paper = paper.paper;
    options.landscape = paper.landscape;
    bomreport::Report view = report.view(false);
    view.options = &options;
    const std::string pdf = bomtest::written("pdf", view);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 8), std::string::npos);
    EXPECT_NE(pdf.find(paper.mediaBox), std::string::npos) << paper.mediaBox;
  }
}

TEST(ColumnIndexTest, SumsGoUnderTheirTokenOnRequest) {
  QelBomTemplateItem item(QelBomTemplateItem::kGroupFooter);
  item.addData(QelBomDataTuple(QelString("%GroupBy:%A"), QelString("")));
  item.addData(QelBomDataTuple(QelString("%A"), 1));
  item.addData(QelBomDataTuple(QelString("%SumBy:%B"), 1));
  item.addData(QelBomDataTuple(QelString("%A"), 2));
  std::vector<int> columns;
  bomreport::ColumnIndex apart(false);
  apart.map(item, columns);
  EXPECT_EQ(columns, (std::vector<int>{-1, 0, 1, 2}));
  EXPECT_EQ(apart.columns()[2].occurrence, 1);  // the second %A of one item

  QelBomTemplateItem details(QelBomTemplateItem::kDetails);
  details.addData(QelBomDataTuple(QelString("%B"), 1));
  bomreport::ColumnIndex under(true);
  under.map(item, columns);
  EXPECT_EQ(columns, (std::vector<int>{-1, 0, 1, 2}));
  under.map(details, columns);
  EXPECT_EQ(columns, (std::vector<int>{1}));
  EXPECT_EQ(std::u16string(under.columns()[1].token), u"%B");
}

}  // namespace
