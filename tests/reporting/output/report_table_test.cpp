// The table the formats for people share: what stands above the table, what
// repeats on every page, and the rows with their levels, labels and groups.
#include "output/report_table.h"

#include <gtest/gtest.h>

#include "reporting/ReportingTestSupport.h"

namespace {

const char kTemplate[] = R"({"tokenUnits": [["%Weight", "kWeightUnit"]], "children": [
  {"type": "kReportHeader", "tuples": [["%FilterBy: 1", ""], ["Title", "Frame"], ["Site", "Hall 1"]],
   "children": [
     {"type": "kPageHeader", "tuples": [["Project", "P-7"]],
      "children": [
        {"type": "kGroupHeader", "tuples": [["%GroupBy:%MNum", ""], ["%MNum", ""]],
         "children": [
           {"type": "kGroupHeader", "tuples": [["%GroupBy:%PNum", ""], ["%PNum", ""]],
            "children": [{"type": "kDetails", "tuples": [["%Code", ""], ["%Weight", 0.0]]}]},
           {"type": "kGroupFooter", "tuples": [["%SumBy:%Weight", 0.0]]}]},
        {"type": "kGroupFooter", "tuples": [["%SumBy:%Weight", 0.0]]}]},
     {"type": "kPageFooter", "tuples": [["Checked", "JS"]]}]},
  {"type": "kReportFooter", "tuples": [["%SumBy:%Weight", 0]]}]})";

// JSON parts: "007" stays a text (a CSV cell would be read as the integer 7).
const char kParts[] =
    R"([{"tuples": [["%MNum", "A1"], ["%PNum", "P1"], ["%Code", "007"], ["%Weight", 10.5]]},)"
    R"( {"tuples": [["%MNum", "A1"], ["%PNum", "P1"], ["%Code", "X2"], ["%Weight", 2]]},)"
    R"( {"tuples": [["%MNum", "A1"], ["%PNum", "P2"], ["%Code", "X3"], ["%Weight", 1.25]]}])";

// One line per row: level, kind, label, then the filled cells "column=text".
std::string dumpRows(const bomreport::ReportTable& table) {
  std::string text;
  for (bomreport::ReportTable::Cursor rows(table); rows.next();) {
    const bomreport::TableRow& row = rows.row();
    text += std::to_string(row.level) + "HDF"[static_cast<int>(row.kind)];
    text += " groups=" + std::to_string(rows.openGroups().size());
    if (!row.label.empty()) text += " [" + row.label + ']';
    for (std::size_t c = 0; c < row.cells.size(); ++c) {
      if (!row.cells[c].text.empty()) text += ' ' + std::to_string(c) + '=' + row.cells[c].text;
    }
    text += '\n';
  }
  return text;
}

class ReportTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bomreport::ReportJobOptions options;
    options.partsPath = dir_.write("parts.json", kParts);
    bomreport::ReportJob job(bomreport::readTemplateText("t.json", kTemplate), options);
    report_.reset(new bomreport::EvaluatedReport(job.evaluate()));
  }

  bomtest::ScratchDir dir_;
  std::unique_ptr<bomreport::EvaluatedReport> report_;
};

TEST_F(ReportTableTest, LiftsTitleAndPageSectionsAndLabelsFooters) {
  const bomreport::ReportTable table(report_->view(false), nullptr);

  EXPECT_EQ(table.title(), "Frame");
  ASSERT_EQ(table.titleDetails().size(), 1u);  // the filter is hidden
  EXPECT_EQ(table.titleDetails()[0].label, "Site");
  EXPECT_EQ(table.titleDetails()[0].text, "Hall 1");
  ASSERT_EQ(table.pageHeader().size(), 1u);
  EXPECT_EQ(table.pageHeader()[0].text, "P-7");
  ASSERT_EQ(table.pageFooter().size(), 1u);
  EXPECT_EQ(table.pageFooter()[0].label, "Checked");
  EXPECT_TRUE(table.hasFooters());

  std::vector<std::string> headings;
  std::vector<bool> numeric;
  for (const bomreport::TableColumn& column : table.columns()) {
    headings.push_back(column.heading);
    numeric.push_back(column.numeric);
  }
  EXPECT_EQ(headings, (std::vector<std::string>{"MNum", "PNum", "Code", "Weight [kg]"}));
  EXPECT_EQ(numeric, (std::vector<bool>{false, false, false, true}));  // "007" is a text

  EXPECT_EQ(dumpRows(table),
            "0H groups=0 0=A1\n"
            "1H groups=1 1=P1\n"
            "2D groups=2 2=007 3=10.50\n"  // the decimals of the column's reals
            "2D groups=2 2=X2 3=2.00\n"
            "1F groups=2 [\xCE\xA3 P1] 3=12.50\n"  // in the group it closes
            "1H groups=1 1=P2\n"
            "2D groups=2 2=X3 3=1.25\n"
            "1F groups=2 [\xCE\xA3 P2] 3=1.25\n"
            "0F groups=1 [\xCE\xA3 A1] 3=13.75\n"
            "0F groups=0 [\xCE\xA3 Total] 3=13.75\n");
}

// A template's captions head the columns (the unit still added) and its
// decimals fix those of a column's reals, from the exact values; a value of a
// text token of the catalogue stays a text even where it reads as a number.
TEST(ReportTableColumnsTest, CaptionsDecimalsAndTextTokens) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.partsPath = dir.write(
      "parts.json",
      R"([{"tuples": [["%Material", "8.8"], ["%Weight", 1.23456], ["%Length", 60]]},)"
      R"( {"tuples": [["%Material", "10.9"], ["%Weight", 2], ["%Length", 7200]]}])");
  bomreport::ReportJob job(
      bomreport::readTemplateText(
          "t.json", R"({"columns": {"%Material": {"caption": "Grade"},
                                    "%Weight": {"caption": "Weight/pc", "decimals": 3}},
                        "children": [{"type": "kDetails", "tuples": [["%Material", ""],
                          ["%Weight", 0.0], ["%Length", 0.0]]}]})"),
      options);
  bomreport::EvaluatedReport report = job.evaluate();
  const bomreport::ReportTable table(report.view(false), nullptr);
  std::vector<std::string> headings;
  std::vector<bool> numeric;
  for (const bomreport::TableColumn& column : table.columns()) {
    headings.push_back(column.heading);
    numeric.push_back(column.numeric);
  }
  EXPECT_EQ(headings, (std::vector<std::string>{"Grade", "Weight/pc [kg]", "Length [mm]"}));
  EXPECT_EQ(numeric, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(dumpRows(table),
            "0D groups=0 0=8.8 1=1.235 2=60\n"  // 1.235 from 1.23456, not from "1.23"
            "0D groups=0 0=10.9 1=2.000 2=7200\n");
}

TEST_F(ReportTableTest, ReadsCellsAsNumbersAndMeasuresColumns) {
  struct CountingMeasure : bomreport::TextMeasure {
    double width(std::string_view utf8, bool bold) const override {
      return static_cast<double>(utf8.size()) * (bold ? 2 : 1);
    }
  } measure;
  const bomreport::ReportTable table(report_->view(false), &measure);
  EXPECT_EQ(table.columns()[2].width, 4 * 2);   // the bold heading "Code" is wider than "007"
  EXPECT_EQ(table.columns()[3].width, 11 * 2);  // "Weight [kg]", bold
  bomreport::ReportTable::Cursor rows(table);
  ASSERT_TRUE(rows.next() && rows.next() && rows.next());
  const bomreport::TableCell& weight = rows.row().cells[3];
  EXPECT_TRUE(weight.isNumber);
  EXPECT_EQ(weight.number.value, 10.5);
  EXPECT_EQ(weight.number.decimals, 2);
  EXPECT_FALSE(rows.row().cells[2].isNumber);
}

// The HTML page lays the table out: the title as its heading, the page header
// and footer around the table (a printer repeats them on every page), the
// report footer labelled.
TEST_F(ReportTableTest, HtmlPutsTheTitleAndPageSectionsAroundTheTable) {
  const std::string html = bomtest::written("html", report_->view(false));
  for (const char* expected : {
           "<h1>Frame</h1>",
           "<tr><th>Site</th><td>Hall 1</td></tr>",
           "<thead>\n<tr class=\"page\"><th colspan=\"4\">Project: P-7</th></tr>\n"
           "<tr><th>MNum</th><th>PNum</th><th>Code</th><th class=\"num\">Weight [kg]</th></tr>",
           "<tfoot>\n<tr class=\"page\"><td colspan=\"4\">Checked: JS</td></tr>\n</tfoot>",
           "<td class=\"label\" colspan=\"3\">\xCE\xA3 Total</td><td class=\"num sum\">13.75</td>",
       }) {
    EXPECT_NE(html.find(expected), std::string::npos) << expected;
  }
}

}  // namespace
