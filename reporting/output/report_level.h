// ReportLevel, which BomReportWriter.h declares: one level of an evaluated
// report as the writers for programs read it to take exact sums from the rows.
#ifndef BOMREPORT_OUTPUT_REPORT_LEVEL_H_
#define BOMREPORT_OUTPUT_REPORT_LEVEL_H_

#include <vector>

#include "BomReportWriter.h"
#include "VRKBomEngine.h"

namespace bomreport {

// One level of an evaluated report (declared in BomReportWriter.h): what a
// writer needs to recompute a group's sums from the rows.
struct ReportLevel {
  // A sum of the level's closing section.
  struct Sum {
    int tuple;              // its index among the closing section's tuples
    QelString summed;       // the token it sums
    QelBomDataValue start;  // the value it starts from
  };
  std::vector<QelString> groupingTokens;  // of the level's section
  std::vector<Sum> sums;                  // of its closing section
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_LEVEL_H_
