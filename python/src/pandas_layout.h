// Report.to_pandas(layout="parts") and Report.totals(): a report's items as
// tables of parts, the way a pandas user reads them.
//
//   parts frame   one row per details line, after the group keys of the
//                 headers it lies in (their tokens' values; a header's fixed
//                 labels, tokens without "%", are left out), then its own
//                 values;
//   totals        per depth of footer (0: the report's own), one row per
//                 footer: the keys of the group it closes, then its sums.
//
// Columns are named by token without its "%" ("Weight"; a sum by the token
// it sums), or with `captions` by the template's caption where it has one.
// Numbers are the exact values in the units shown: float, or int for integers;
// columns of the catalogue's integer tokens (and other columns of integers
// only) are of pandas' "Int64", so that a gap stays a gap. Values of the
// catalogue's text tokens stay texts ("8.8").
//
// REQUIRES: the GIL is held; pandas can be imported (ImportError otherwise).
#ifndef VRKBOM_PANDAS_LAYOUT_H_
#define VRKBOM_PANDAS_LAYOUT_H_

#include <pybind11/pybind11.h>

#include <vector>

#include "BomReport.h"

namespace vrkbom {

pybind11::object partsFrame(const std::vector<bomreport::ReportItem>& items,
                            const bomreport::ColumnStyles& styles, bool captions);

// A dict from a footer's depth to the DataFrame of its footers.
pybind11::dict totalsFrames(const std::vector<bomreport::ReportItem>& items,
                            const bomreport::ColumnStyles& styles, bool captions);

// The pandas module; ImportError naming `caller` without it.
pybind11::module_ importPandas(const char* caller);

}  // namespace vrkbom

#endif  // VRKBOM_PANDAS_LAYOUT_H_
