#include "BomReportItems.h"

#include "input/names.h"
#include "input/text_util.h"
#include "output/display_number.h"
#include "output/report_tree.h"

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

ReportItem itemOf(const ReportLine& line) {
  ReportItem item;
  item.depth = line.depth;
  item.type = line.item->type();
  const char* name = sectionTypeName(item.type);
  item.typeName = name != nullptr ? name : std::to_string(static_cast<int>(item.type));
  if (line.item->getFirstDataRow() != nullptr) {
    item.row = toUtf8(line.item->getFirstDataRow()->objectHandle());
  }
  for (const QelBomDataTuple& tuple : line.item->getData()) {
    if (!isVisible(tuple)) continue;
    ReportValue value;
    value.token = toUtf8(tuple.token().token());
    value.text = toUtf8(tuple.value().asString());
    typeValue(tuple.value(), value);
    item.values.push_back(std::move(value));
  }
  return item;
}

}  // namespace

std::vector<ReportItem> reportItems(const QelBomTemplateItem& output) {
  std::vector<ReportItem> items;
  for (const ReportLine& line : collectLines(output)) items.push_back(itemOf(line));
  return items;
}

}  // namespace bomreport
