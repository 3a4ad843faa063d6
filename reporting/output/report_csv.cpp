// The CSV report: a header "depth,type,TOKEN [UNIT],..." and one record per
// evaluated item in report order with its depth (0 directly below the output
// template), its section type by enumerator name and, in the column of each
// visible token, the item's display text. A column is headed by its token as
// written and, for a token with a unit, the unit in brackets ("%Weight [kg]").
// Columns come in order of first appearance; a sum has a column of its own
// ("%SumBy:%Weight [kg]") unless the options put sums under the token they
// sum. Records end with LF; fields are quoted as RFC 4180 requires.
#include <string>
#include <vector>

#include "input/names.h"
#include "input/text_util.h"
#include "output/report_csv.h"
#include "output/report_labels.h"
#include "output/report_tree.h"
#include "output/report_used.h"

namespace bomreport {
namespace {

void appendField(std::string& line, const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    line += field;
    return;
  }
  line += '"';
  for (char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

std::string joinHandles(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : " ") + item;
  return text;
}

void writeUsedCsv(std::ostream& out, QelBomData& data) {
  out << "handles,tokens\n";
  std::string line;
  for (const UsedEntry& entry : usedEntries(data)) {
    line.clear();
    appendField(line, joinHandles(entry.handles));
    line += ',';
    appendField(line, joinHandles(entry.tokens));
    out << line << '\n';
  }
}

}  // namespace

void writeCsvReport(std::ostream& out, const Report& report) {
  const std::vector<ReportLine> lines = collectLines(*report.output);
  ColumnIndex index(report.options != nullptr && report.options->csvSumsUnderToken);
  std::vector<int> cellColumns;
  for (const ReportLine& line : lines) index.map(*line.item, cellColumns);

  const std::vector<ColumnIndex::Column>& columns = index.columns();
  std::string text = "depth,type";
  for (const ColumnIndex::Column& column : columns) {
    text += ',';
    appendField(text, tokenWithUnit(column.token, report.units));
  }
  out << text << '\n';

  std::vector<std::string> cells(columns.size());
  for (const ReportLine& line : lines) {
    index.map(*line.item, cellColumns);
    for (std::string& cell : cells) cell.clear();
    const QelArray<QelBomDataTuple>& tuples = line.item->getData();
    for (int i = 0; i < tuples.count(); ++i) {
      if (cellColumns[i] >= 0) cells[cellColumns[i]] = toUtf8(tuples[i].value().asString());
    }
    const char* type = sectionTypeName(line.item->type());
    text = std::to_string(line.depth) + ',' + (type != nullptr ? type : "kUnkTemplateItemType");
    for (const std::string& cell : cells) {
      text += ',';
      appendField(text, cell);
    }
    out << text << '\n';
  }
  if (report.used != nullptr) {
    out << '\n';
    writeUsedCsv(out, *report.used);
  }
}

}  // namespace bomreport
