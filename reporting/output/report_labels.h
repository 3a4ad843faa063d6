// How reports name tokens. Formats for people (text, HTML, XLSX, PDF) label a
// column or a value with the token without its leading "%" and its unit in
// brackets: "Weight [kg]"; a sum standing apart is "Σ Weight [kg]". Formats
// for programs keep the token as written: CSV headings add the unit
// ("%Weight [kg]"), JSON names the units in a member of their own.
#ifndef BOMREPORT_OUTPUT_REPORT_LABELS_H_
#define BOMREPORT_OUTPUT_REPORT_LABELS_H_

#include <string>
#include <string_view>

#include "BomReportWriter.h"
#include "VRKBomEngine.h"

namespace bomreport {

// The unit symbol the values of `token` are shown in ("kg"); empty for none.
// A sum ("%SumBy:%Weight") has the unit of the token it sums. `units` may be
// null (no token has a unit).
std::string unitSymbol(std::u16string_view token, const ReportUnits* units);

// "Weight [kg]" for "%Weight", "Pos" for "%Pos", "Grid" for "Grid".
std::string tokenHeading(std::u16string_view token, const ReportUnits* units);

// The label of a value: tokenHeading, or for a sum "Σ " and the heading of the
// summed token.
std::string valueLabel(const QelBomDataToken& token, const ReportUnits* units);

// "%Weight [kg]": the token as written, with its unit.
std::string tokenWithUnit(std::u16string_view token, const ReportUnits* units);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_LABELS_H_
