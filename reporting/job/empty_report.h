// A report that no row reached. The engine evaluates no section without rows,
// so its output is empty and every format would lose the report's title; the
// job gives such a report the head a host shows: the template's report header
// with its labels, and why it is empty.
#ifndef BOMREPORT_JOB_EMPTY_REPORT_H_
#define BOMREPORT_JOB_EMPTY_REPORT_H_

#include "BomReportWriter.h"
#include "VRKBomEngine.h"

namespace bomreport {

// The label of the tuple that says why a report is empty.
extern const char kEmptyReportLabel[];

// When `output` holds no item: appends a report header with the labels of
// the template's outermost section (when that is a report header; its
// directives and tokens have no row to take a value from), then, when the
// filter kept no part of the file, a kEmptyReportLabel tuple with
// emptyReportText. Appends nothing when there is nothing to show.
void headEmptyReport(const QelBomTemplate& templ, const ReportCoverage& coverage,
                     QelBomTemplate& output);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_EMPTY_REPORT_H_
