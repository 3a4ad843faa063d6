// The levels an evaluation makes of a template: the sections on the chain of
// first children below the root, each with its grouping tokens and the sums
// of its closing section (its next sibling). What the checks around an
// evaluation and the writers' exact sums need to know of a template.
#ifndef BOMREPORT_JOB_TEMPLATE_LEVELS_H_
#define BOMREPORT_JOB_TEMPLATE_LEVELS_H_

#include <string>
#include <vector>

#include "BomReportWriter.h"
#include "output/report_level.h"
#include "VRKBomEngine.h"

namespace bomreport {

struct TemplateLevel {
  const QelBomTemplateItem* section;  // owned by the template
  const QelBomTemplateItem* closing;  // its next sibling, or null
  ReportLevel report;                 // its grouping tokens and sums
};

// The levels of `templ`, outermost first. REQUIRES: the template is traced
// (getTokenTrace), so that every section's grouping tokens are current.
std::vector<TemplateLevel> templateLevels(const QelBomTemplate& templ);

// The value of `token` in `row` as the engine reads it: the first tuple with
// that token, null when there is none.
const QelBomDataValue* rowValue(const QelBomDataRow& row, const QelString& token);

// Appends to `key` what tells `value` (null: none) from other values as the
// engine compares them: its type, then its content (-0 as 0).
void appendValueKey(std::string& key, const QelBomDataValue* value);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_TEMPLATE_LEVELS_H_
