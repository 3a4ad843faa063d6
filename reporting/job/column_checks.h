// Checks of a template's "columns" member against what the template shows.
#ifndef BOMREPORT_JOB_COLUMN_CHECKS_H_
#define BOMREPORT_JOB_COLUMN_CHECKS_H_

#include <string>
#include <vector>

#include "BomReportWarnings.h"
#include "BomReportUnits.h"
#include "BomTemplateFile.h"

namespace bomreport {

// A kColumnUnused warning for every entry of templ.columns whose key no tuple
// of the template has (a caption nobody would see), in file order. `fileName`
// names the template in them.
std::vector<ReportWarning> columnWarnings(const LoadedTemplate& templ,
                                          const std::string& fileName);

// Against the rows a report kept and the units it is shown in: a
// kDecimalsHideValues warning for a column whose fixed decimals show a row's
// non-zero value as 0 (or fix none for the unit it is shown in).
std::vector<ReportWarning> decimalsWarnings(const ColumnStyles& columns, const QelBomData& rows,
                                            const ReportUnits& units, const std::string& fileName);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_COLUMN_CHECKS_H_
