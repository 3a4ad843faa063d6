// What a report covers, in words, for the heads of the formats for people:
//
//   steel-parts.csv · 2026-12-07 · object types 1, 2, 3 and 4; 12 of 480 parts left out
//   steel-parts.csv · 2026-12-07 · every object type; no part left out
#ifndef BOMREPORT_OUTPUT_REPORT_COVERAGE_H_
#define BOMREPORT_OUTPUT_REPORT_COVERAGE_H_

#include <string>
#include <vector>

#include "BomReportWriter.h"

namespace bomreport {

// The date a report shows: the options' date, or today's as YYYY-MM-DD.
std::string reportDate(const WriterOptions* options);

// "object types 1, 2 and 4; 12 of 480 parts left out" ("object type 4",
// "every object type", "no part left out"; "a preview of the first 100 of
// 480 parts kept" when the job evaluated only some); empty when report.coverage is
// null or unknown (the sample data set).
std::string coverageText(const Report& report);

// Object types as a filter gives them, or as a warning lists them: "1, 2, 4".
std::string objectTypeList(const std::vector<int>& types);

// Why a report has no row, when its filter kept none of the file's parts:
// "no parts kept by the filter (types 1, 2)". Empty otherwise (rows kept, no
// filter, no part in the file, or the coverage unknown).
std::string emptyReportText(const ReportCoverage& coverage);

// The parts file, the date and the coverage, joined by `separator`.
std::string sourceLine(const Report& report, const std::string& separator);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_COVERAGE_H_
