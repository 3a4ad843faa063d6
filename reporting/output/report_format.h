// How a writer's file declares its report format, and the list of them all.
//
//   BOM_REPORT_FORMAT(csv, ".csv", 30, kText,
//                     ReportFormat::kCsvSumsUnderToken | ReportFormat::kCsvRaw,
//                     "one line per item ...", writeCsvReport);
//
// at namespace scope in namespace bomreport declares the format `csv`: the
// output file endings that choose it (space-separated; "" for none), its rank
// in listings (lowest first; the lowest is the default), whether its
// documents are text or binary (kText, kBinary), a one-line description and
// its write function. The registry (report_writer.cpp) takes the formats
// BOM_REPORT_FORMATS lists. Both ways of missing one stop the build: a format
// declared but not listed does not compile (its declaration names its entry
// in ListedFormat), one listed but not declared does not link.
#ifndef BOMREPORT_OUTPUT_REPORT_FORMAT_H_
#define BOMREPORT_OUTPUT_REPORT_FORMAT_H_

#include "BomReportWriter.h"

// Every report format; X(NAME) for each.
#define BOM_REPORT_FORMATS(X) X(text) X(list) X(csv) X(json) X(html) X(xlsx) X(pdf)

namespace bomreport {

#define BOM_LISTED_FORMAT(NAME) NAME,
enum class ListedFormat { BOM_REPORT_FORMATS(BOM_LISTED_FORMAT) };
#undef BOM_LISTED_FORMAT

}  // namespace bomreport

#define BOM_REPORT_FORMAT(NAME, EXTENSIONS, RANK, KIND, READS, DESCRIPTION, WRITE)           \
  static_assert(static_cast<int>(ListedFormat::NAME) >= 0, "listed in BOM_REPORT_FORMATS");   \
  extern const ReportFormat kReportFormat_##NAME;                                               \
  const ReportFormat kReportFormat_##NAME {                                                     \
    #NAME, EXTENSIONS, DESCRIPTION, RANK, ReportFormat::KIND == ReportFormat::kBinary,          \
        static_cast<unsigned>(READS), WRITE                                                     \
  }

#endif  // BOMREPORT_OUTPUT_REPORT_FORMAT_H_
