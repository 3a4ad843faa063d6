#include "BomReportItems.h"

#include "text/names.h"
#include "text/text_util.h"
#include "text/display_number.h"
#include "output/report_item_reader.h"

namespace bomreport {
namespace {

// The value as the JSON report types it: a typed number as such, a display
// text as a number when it reads as one.
void typeValue(const QelBomDataValue& value, ReportValue& out) {
  DisplayNumber number;
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      out.kind = ReportValue::Kind::kInteger;
      out.number = intValueOf(value);
      return;
    case QelBomDataValue::kDoubleDataValue:
      out.kind = ReportValue::Kind::kReal;
      out.number = doubleValueOf(value);
      return;
    case QelBomDataValue::kStringDataValue:
      if (!readDisplayNumber(out.text, number)) {
        out.kind = ReportValue::Kind::kText;
        return;
      }
      out.kind = number.decimals == 0 && !number.exponent ? ReportValue::Kind::kInteger
                                                          : ReportValue::Kind::kReal;
      out.number = number.value;
      return;
    case QelBomDataValue::kUnkDataValueType:
      break;
  }
  out.kind = ReportValue::Kind::kNone;
}

ReportItem itemOf(const ReportLine& line, const std::vector<ExactValue>& exact) {
  ReportItem item;
  item.depth = line.depth;
  item.type = line.item->type();
  const char* name = sectionTypeName(item.type);
  item.typeName = name != nullptr ? name : std::to_string(static_cast<int>(item.type));
  if (line.item->getFirstDataRow() != nullptr) {
    item.row = toUtf8(line.item->getFirstDataRow()->objectHandle());
  }
  const QelArray<QelBomDataTuple>& tuples = line.item->getData();
  for (int i = 0; i < tuples.count(); ++i) {
    if (!isVisible(tuples[i])) continue;
    ReportValue value;
    value.token = toUtf8(tuples[i].token().token());
    value.text = toUtf8(tuples[i].value().asString());
    typeValue(tuples[i].value(), value);
    const ExactValue& number = exact[static_cast<std::size_t>(i)];
    if (number.kind == ExactValue::kMissing) {
      value.text.clear();
      value.kind = ReportValue::Kind::kNone;
    }
    if (number.isNumber() && value.kind != ReportValue::Kind::kText) {
      value.kind = number.kind == ExactValue::kInteger ? ReportValue::Kind::kInteger
                                                       : ReportValue::Kind::kReal;
      value.number = number.kind == ExactValue::kInteger ? static_cast<double>(number.integer)
                                                         : number.real;
    }
    item.values.push_back(std::move(value));
  }
  return item;
}

}  // namespace

ReportItemReader::ReportItemReader(const QelBomTemplateItem& output, const Report& report)
    : exact_(report), lines_(collectLines(output)) {}

ReportItem ReportItemReader::item(std::size_t at) const {
  std::vector<ExactValue> values;
  exact_.valuesOf(lines_[at], ExactValues::openerOf(lines_, at), values);
  return itemOf(lines_[at], values);
}

namespace {

std::vector<ReportItem> allItems(const ReportItemReader& reader) {
  std::vector<ReportItem> items;
  items.reserve(reader.lines().size());
  for (std::size_t l = 0; l < reader.lines().size(); ++l) items.push_back(reader.item(l));
  return items;
}

}  // namespace

std::vector<ReportItem> reportItems(const Report& report) {
  return allItems(ReportItemReader(report));
}

std::vector<ReportItem> reportItems(const QelBomTemplateItem& output) {
  return allItems(ReportItemReader(output, Report{nullptr, nullptr, {}, {}}));  // display numbers
}

}  // namespace bomreport
