#include "job/empty_report.h"

#include <memory>

#include "output/report_coverage.h"
#include "text/text_util.h"

namespace bomreport {

const char kEmptyReportLabel[] = "Note";

void headEmptyReport(const QelBomTemplate& templ, const ReportCoverage& coverage,
                     QelBomTemplate& output) {
  if (output.child() != nullptr) return;
  std::unique_ptr<QelBomTemplateItem> header(
      new QelBomTemplateItem(QelBomTemplateItem::kReportHeader));
  const auto* outermost = static_cast<const QelBomTemplateItem*>(templ.child());
  if (outermost != nullptr && outermost->type() == QelBomTemplateItem::kReportHeader) {
    for (const QelBomDataTuple& tuple : outermost->getData()) {
      const QelString& token = tuple.token().token();
      if (QelBomDataToken::isToken(token) == 1) continue;  // no row to take a value from
      header->addData(QelBomDataTuple(token, tuple.value().asString()));
    }
  }
  const std::string why = emptyReportText(coverage);
  if (!why.empty()) header->addData(QelBomDataTuple(QelString(kEmptyReportLabel), toQel(why)));
  if (header->getData().count() > 0) output.addChild(header.release());
}

}  // namespace bomreport
