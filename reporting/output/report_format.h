// How a writer's file declares its report format.
//
//   BOM_REPORT_FORMAT(csv, ".csv", 30, kText, "one line per item ...", writeCsvReport);
//
// at namespace scope in namespace bomreport, on a line of its own, declares
// the format `csv`: the output file endings that choose it (space-separated;
// "" for none), its rank in listings (lowest first; the lowest is the
// default), whether its documents are text or binary (kText, kBinary), a
// one-line description and its write function. The build finds every such
// line in the library's sources and lists the formats for the registry
// (report_writer.cpp), so a new format is its file pair and its line in the
// source list; a line that names the macro in another shape stops the build.
#ifndef BOMREPORT_OUTPUT_REPORT_FORMAT_H_
#define BOMREPORT_OUTPUT_REPORT_FORMAT_H_

#include "BomReportWriter.h"

#define BOM_REPORT_FORMAT(NAME, EXTENSIONS, RANK, KIND, DESCRIPTION, WRITE)          \
  extern const ReportFormat kReportFormat_##NAME;                                     \
  const ReportFormat kReportFormat_##NAME {                                           \
    #NAME, EXTENSIONS, DESCRIPTION, RANK, ReportFormat::KIND == ReportFormat::kBinary, WRITE \
  }

#endif  // BOMREPORT_OUTPUT_REPORT_FORMAT_H_
