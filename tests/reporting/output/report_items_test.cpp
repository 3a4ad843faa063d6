// An evaluated report's items as a program reads them: order, depth, section
// types, the rows that opened them, the visible tuples, and which display texts
// are numbers.
#include "BomReportItems.h"

#include <gtest/gtest.h>

#include "reporting/ReportingTestSupport.h"

namespace {

const char kTemplate[] = R"({"children": [
  {"type": "kReportHeader", "tuples": [["Title", "Frame"]],
   "children": [
     {"type": "kGroupHeader", "tuples": [["%GroupBy:%MNum", ""], ["%MNum", ""]],
      "children": [{"type": "kDetails", "tuples": [["%SortAscBy:%PNum", ""], ["%PNum", ""],
                                                   ["%Weight", 0.0], ["%Quantity", 0]]}]},
     {"type": "kGroupFooter", "tuples": [["%SumBy:%Weight", 0.0]]}]},
  {"type": "kReportFooter", "tuples": [["%SumBy:%Quantity", 0]]}]})";

const char kParts[] =
    "#handle,%MNum,%PNum,%Weight,%Quantity\n"
    "h1,A1,007,10.5,2\n"
    "h2,A1,P10,2,1\n";

// One line per item: depth, type, row, then TOKEN=KIND:TEXT[=NUMBER] per value.
std::string dump(const std::vector<bomreport::ReportItem>& items) {
  const char* kinds[] = {"none", "text", "int", "real"};
  std::string text;
  for (const bomreport::ReportItem& item : items) {
    text += std::to_string(item.depth) + ' ' + item.typeName + ' ' + item.row.value_or("-");
    for (const bomreport::ReportValue& value : item.values) {
      text += ' ' + value.token + '=' + kinds[static_cast<int>(value.kind)] + ':' + value.text;
      if (value.kind == bomreport::ReportValue::Kind::kInteger ||
          value.kind == bomreport::ReportValue::Kind::kReal) {
        text += '=' + std::to_string(value.number);
      }
    }
    text += '\n';
  }
  return text;
}

TEST(ReportItemsTest, ItemsInReportOrderWithTheirVisibleValues) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.partsPath = dir.write("parts.csv", kParts);
  bomreport::ReportJob job(bomreport::readTemplateText("t.json", kTemplate), options);
  bomreport::EvaluatedReport report = job.evaluate();
  const std::vector<bomreport::ReportItem> items = bomreport::reportItems(report.output());
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[2].type, bomreport::SectionType::kDetails);
  // "007" (of a text token) and "P10" are texts, "10.5" a real; "2" is an
  // integer whatever the token's type, as the JSON report writes it. The
  // grouping and sorting directives are left out; sums have no row.
  EXPECT_EQ(dump(items),
            "0 kReportHeader h1 Title=text:Frame\n"
            "1 kGroupHeader h1 %MNum=text:A1\n"
            "2 kDetails h1 %PNum=text:007 %Weight=real:10.5=10.500000 %Quantity=int:2=2.000000\n"
            "2 kDetails h2 %PNum=text:P10 %Weight=int:2=2.000000 %Quantity=int:1=1.000000\n"
            "1 kGroupFooter - %SumBy:%Weight=real:12.5=12.500000\n"
            "0 kReportFooter - %SumBy:%Quantity=int:3=3.000000\n");
}

}  // namespace
