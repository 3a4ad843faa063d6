#include "BomReportItems.h"

#include <map>

#include "text/names.h"
#include "text/text_util.h"
#include "output/report_item_reader.h"

namespace bomreport {
namespace {

// The value as the engine types it: a typed number as such, a display text
// as a number when it reads as one.
void typeValue(const ReportCell& cell, ReportValue& out) {
  const QelBomDataValue& value = cell.tuple->value();
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
      if (!cell.isNumber()) {
        out.kind = ReportValue::Kind::kText;
        return;
      }
      out.kind = cell.shown().decimals == 0 && !cell.shown().exponent ? ReportValue::Kind::kInteger
                                                                  : ReportValue::Kind::kReal;
      out.number = cell.shown().value;
      return;
    case QelBomDataValue::kUnkDataValueType:
      break;
  }
  out.kind = ReportValue::Kind::kNone;
}

// The value as a program reads it: the exact number behind a number shown,
// none where the template's placeholder stands for a number no row gave.
ReportValue valueOf(const ReportCell& cell) {
  ReportValue value;
  value.token = toUtf8(cell.tuple->token().token());
  value.text = toUtf8(cell.text());
  typeValue(cell, value);
  if (cell.exact.kind == ExactValue::kMissing) {
    value.text.clear();
    value.kind = ReportValue::Kind::kNone;
  }
  if (cell.exact.isNumber() && value.kind != ReportValue::Kind::kText) {
    value.kind = cell.exact.kind == ExactValue::kInteger ? ReportValue::Kind::kInteger
                                                         : ReportValue::Kind::kReal;
    value.number = cell.exact.kind == ExactValue::kInteger ? static_cast<double>(cell.exact.integer)
                                                           : cell.exact.real;
  }
  return value;
}

static_assert(static_cast<int>(SectionType::kReportHeader) == QelBomTemplateItem::kReportHeader &&
                  static_cast<int>(SectionType::kGroupHeader) == QelBomTemplateItem::kGroupHeader &&
                  static_cast<int>(SectionType::kDetails) == QelBomTemplateItem::kDetails &&
                  static_cast<int>(SectionType::kReportFooter) == QelBomTemplateItem::kReportFooter,
              "SectionType numbers its kinds as the engine does");

ReportItem itemOf(const ReportLine& line, const LineCells& cells) {
  ReportItem item;
  item.depth = line.depth;
  item.type = static_cast<SectionType>(line.item->type());
  const char* name = sectionTypeName(line.item->type());
  item.typeName = name != nullptr ? name : std::to_string(static_cast<int>(item.type));
  if (line.item->getFirstDataRow() != nullptr) {
    item.row = toUtf8(line.item->getFirstDataRow()->objectHandle());
  }
  for (const ReportCell& cell : cells) {
    if (!cell.visible) continue;
    item.values.push_back(valueOf(cell));
  }
  return item;
}

}  // namespace

ReportItem ReportItemReader::item(std::size_t at) const {
  LineCells cells;
  model_.cellsOf(at, cells);
  return itemOf(model_.lines()[at], cells);
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

std::vector<ReportItem> reportItems(const QelBomTemplate& output) {
  return reportItems(static_cast<const QelBomTemplateItem&>(output));
}

std::vector<RowToken> rowTokens(const Report& report, long long* rowCount) {
  std::map<std::string, RowToken> tokens;
  long long rows = 0;
  const QelBomItemBase* row = report.rows != nullptr ? report.rows->child() : nullptr;
  for (; row != nullptr; row = row->next(), ++rows) {
    for (const QelBomDataTuple& tuple : row->getData()) {
      RowToken& token = tokens[tuple.token().token().toUtf8()];
      ++token.rows;
      token.real = token.real || tuple.value().type() == QelBomDataValue::kDoubleDataValue;
      token.text = token.text || tuple.value().type() == QelBomDataValue::kStringDataValue;
    }
  }
  if (rowCount != nullptr) *rowCount = rows;
  std::vector<RowToken> list;
  list.reserve(tokens.size());
  for (auto& [name, token] : tokens) {
    token.token = name;
    list.push_back(std::move(token));
  }
  return list;
}

}  // namespace bomreport
