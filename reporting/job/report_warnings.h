// Warnings of a report: what does not stop it but makes its figures suspect
// (a template token that no part carries, a filter that keeps nothing, an
// unknown setting). Each names the token or name and, where one is close, the
// name that was probably meant.
#ifndef BOMREPORT_JOB_REPORT_WARNINGS_H_
#define BOMREPORT_JOB_REPORT_WARNINGS_H_

#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "BomReportWarnings.h"
#include "BomCatalogue.h"
#include "VRKBomEngine.h"
#include "input/parts_builder.h"

namespace bomreport {

// The optimal string alignment distance of two texts (insertions, deletions,
// substitutions and transpositions of adjacent bytes each count 1).
std::size_t editDistance(std::string_view a, std::string_view b);


// The data tokens a template uses: the arguments of its grouping, sorting and
// summing directives, and the tokens of its other tuples that begin with "%"
// (tuples without it are labels). In the order of the trace, each once.
std::vector<std::string> templateDataTokens(const QelArray<QelString>& trace);
// Every token whose row values reach the report: the data tokens, then the
// labels, which show a row's value when the row carries their token. Parts
// that differ in any of them differ in the report.
std::vector<std::string> templateRowTokens(const QelArray<QelString>& trace);

// What a parts file held, as the builder noted it.
struct PartsFileFacts {
  std::string name;                              // for messages
  const std::unordered_set<std::string>* named;  // the tokens it names
  const std::set<int>* objectTypes;              // of its parts
  long long partsRead = 0;
  long long partsKept = 0;
};

// The warning for parts whose %Quantity is below 1, which count as no piece
// or fewer in every quantity and total.
// REQUIRES: low.parts > 0.
ReportWarning lowQuantityWarning(const LowQuantities& low, const std::string& fileName);
// The warning for `parts` parts without an object type, which a part is kept
// whatever the filter (`filterTypes`) names. REQUIRES: parts > 0.
ReportWarning untypedPartsWarning(long long parts, const QelIntArray& filterTypes,
                                  const std::string& fileName);

// The warnings about a template over a parts file: one when the file names
// none of `dataTokens`; one per token of `dataTokens` that the file never
// names and that is not in `derived` (what the host fills in), with the
// closest of the file's tokens and the catalogue's; one when the filter
// (`filterTypes`, when the template filters) keeps none of the file's parts.
std::vector<ReportWarning> partsFileWarnings(const std::vector<std::string>& dataTokens,
                                           const std::vector<std::string>& derived,
                                           const QelIntArray& filterTypes,
                                           const PartsFileFacts& file);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_REPORT_WARNINGS_H_
