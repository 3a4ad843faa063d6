// What a report's sums would hide, found over the rows before the engine
// evaluates them. The engine sums as it is told: integers in 32 bits (wrapping
// past them), each value in its own type, each row once whatever it stands for.
// These checks stop a run whose integer sums leave 32 bits, and warn where a
// sum mixes integers with reals or adds a per-piece figure of rows that stand
// for several pieces.
#ifndef BOMREPORT_JOB_SUM_CHECKS_H_
#define BOMREPORT_JOB_SUM_CHECKS_H_

#include <string>
#include <vector>

#include "BomReportWarnings.h"
#include "BomTemplateFile.h"
#include "job/template_levels.h"

namespace bomreport {

// Where the sums are and what they run over.
struct SumContext {
  const QelBomData* data;                     // the rows, before the evaluation
  const std::vector<TemplateLevel>* levels;   // of the template
  const TemplateLines* lines;                 // of the template file, for messages
  std::string templateName;                   // the template file as messages name it
  std::string partsName;                      // the parts as messages name them
  bool merged = false;                        // equal parts were merged
};

// Throws InputError when an integer sum of some group would leave the 32-bit
// range, naming the token, the section and the group. A group here is all
// rows that agree on the grouping tokens of the sum's level and the levels
// above it, so no group of the evaluation is larger.
//
// Returns the warnings about the sums: integers and reals of one summed token
// (kMixedSum), and a per-piece token (%Weight, %Length, %SawLength,
// %ExactWeight) summed over rows whose %Quantity is above 1 (kSumCountsRows).
std::vector<ReportWarning> checkSums(const SumContext& context);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_SUM_CHECKS_H_
