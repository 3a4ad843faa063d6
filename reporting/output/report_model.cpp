#include "output/report_model.h"

namespace bomreport {

ReportModel::ReportModel(const QelBomTemplateItem& output, const Report& report)
    : lines_(collectLines(output)), exact_(report, lines_) {}

void ReportModel::cellsOf(const ReportLine& line, std::vector<ReportCell>& out) const {
  thread_local std::vector<ExactValue> exact;
  exact_.valuesOf(line, exact);
  const QelArray<QelBomDataTuple>& tuples = line.item->getData();
  out.resize(static_cast<std::size_t>(tuples.count()));
  for (int i = 0; i < tuples.count(); ++i) {
    ReportCell& cell = out[static_cast<std::size_t>(i)];
    cell.tuple = &tuples[i];
    cell.text = tuples[i].value().asString();
    cell.visible = isVisible(tuples[i]);
    cell.exact = ExactValue();
    cell.shown = DisplayNumber();
    cell.isNumber = readDisplayNumber(cell.text, cell.shown);
    if (!cell.visible) continue;
    cell.exact = exact[static_cast<std::size_t>(i)];
    // A number no row gave: the text is the template's own ("0.00").
    if (cell.exact.kind == ExactValue::kAbsent) {
      cell.exact.kind = cell.isNumber ? ExactValue::kMissing : ExactValue::kUnknown;
    }
  }
}

bool readsAsNumber(std::string_view text) {
  DisplayNumber number;
  return readDisplayNumber(text, number);
}

}  // namespace bomreport
