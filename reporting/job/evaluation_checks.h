// What an evaluation did that its reader cannot see, found over the rows it
// left behind (sorted, and marked where they no longer count in sums):
//   kSumsLeaveRowsOut  rows whose details line repeated the line before it were
//                      dropped, and the engine leaves them out of every later
//                      sum: the amount of each summed token they carry;
//   kGroupsComeApart   a level's grouping value that stands in several groups,
//                      because the rows are not sorted by it.
#ifndef BOMREPORT_JOB_EVALUATION_CHECKS_H_
#define BOMREPORT_JOB_EVALUATION_CHECKS_H_

#include <string>
#include <vector>

#include "BomReportWarnings.h"
#include "BomReportWriter.h"
#include "BomTemplateFile.h"
#include "job/template_levels.h"

namespace bomreport {

struct EvaluationContext {
  const QelBomData* data;                    // the rows as the evaluation left them
  const std::vector<TemplateLevel>* levels;  // of the evaluated template
  const TemplateLines* lines;                // of the template file, for messages
  std::string templateName;                  // the template file as messages name it
  const ReportUnits* units;                  // the units amounts are shown in
  bool merged = false;                       // equal parts were merged
};

std::vector<ReportWarning> evaluationWarnings(const EvaluationContext& context);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_EVALUATION_CHECKS_H_
