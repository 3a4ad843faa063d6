// HostTokens: what a host fills in besides the parts' own values. Equal parts
// merged into one row, and the quantity tokens of the catalogue that a host
// computes over its model.
//
// Parts are equal when they hold equal values (same type, same value) for
// every token of the match: the tokens the template uses, less the per-instance
// tokens (each part has its own, such as "%ElementID") and the derived tokens
// below. A token a part lacks matches only a part that lacks it too.
//
// A part with a %Quantity of N stands for N equal pieces (a bolt group of four
// bolts); its %Weight, %Length, %SawLength, %ExactWeight and %Paint are those
// of one piece. A row stands for its own pieces: without merging, those of
// its part; with merging, those of every part merged into it. Derived tokens,
// computed over the pieces a row stands for, never over parts it does not:
//   %Quantity            the sum of the parts' %Quantity, 1 for a part without
//   %QuantityInModel     the same count
//   %WeightInModel, %LengthInModel, %SawLengthInModel, %ExactWeightInModel
//                        the sum of %Quantity × %Weight, %Length, %SawLength,
//                        %ExactWeight: the figure of all the pieces
//   %QuantityInAllAssembly, %WeightInAllAssembly, %ExactWeightInAllAssembly
//                        the same over the pieces that lie in an assembly
//                        (parts with an %MNum); a row with none has no value
//   %WeightInAssembly, %ExactWeightInAssembly, %PaintInAssembly
//                        that figure in one assembly: divided by the number
//                        of distinct assemblies (values of the assembly
//                        token) the row's parts lie in, 1 without merging
//   %MQuantity           the number of distinct assemblies among all the parts
//                        with the row's %MNum
//   %QuantityInPhase, %WeightInPhase, %ExactWeightInPhase and the
//   ...InAllAssemblyInPhase tokens
//                        those figures in the row's phase: when one is used,
//                        a part's %Phase joins the match, so a merged row's
//                        pieces all lie in its phase (without merging a row
//                        is one part, in one phase)
// Summed in a footer, each gives the figure of the footer's rows, so a group
// of %MNum with %SumBy:%WeightInAssembly gives the weight of one assembly.
// A count beyond 32 bits is an InputError, never cut.
// A derived token is filled in when the template uses it and the parts file
// has no such column; when merging, %Quantity is always set.
//
// Merging keeps the first part of each group as its row, with the others'
// handles (then any further handles of their equal-part lists) as its
// equal-part handles and its derived tokens over the group; the per-instance
// tokens are left out of every row.
//
// Cost: one pass over the rows with a hash of each row's matched values, and
// one pass to fill in; memory a few words per row. The tokens are in
// derived_tokens.h, the groups and the merge in equal_parts.h.
#ifndef BOMREPORT_JOB_HOST_TOKENS_H_
#define BOMREPORT_JOB_HOST_TOKENS_H_

#include <string>
#include <unordered_set>
#include <vector>

#include "BomReportWarnings.h"
#include "VRKBomEngine.h"
#include "job/derived_tokens.h"

namespace bomreport {

struct HostTokenOptions {
  bool mergeEqualParts = false;
  std::vector<std::string> instanceTokens;
  std::string assemblyToken;  // names a part's assembly, for %MQuantity
  // How the reals the report shows are shown: merging matches them as shown,
  // so that lines that print the same are one line.
  std::vector<DisplayPrecision> precisions;
};

class HostTokens {
 public:
  // `templateTokens`: the data tokens the template uses (templateDataTokens);
  // `rowTokens`: every token whose row values the report shows
  // (templateRowTokens), which equal parts must agree on.
  HostTokens(std::vector<std::string> templateTokens, std::vector<std::string> rowTokens,
             HostTokenOptions options);

  // The tokens whose values the parts builder must keep for this.
  std::vector<std::string> inputTokens() const;
  // The derived tokens the template uses: the host fills them in or says why
  // it cannot.
  std::vector<std::string> derivedTokens() const;
  // Merges and fills in the rows of `data`; `named` is what the parts file
  // named (PartsBuilder::namedTokens). Returns a warning per derived token
  // that cannot be filled in (its source is not in the file).
  std::vector<ReportWarning> apply(QelBomData& data, const std::unordered_set<std::string>& named,
                                   const std::string& fileName) const;

 private:
  bool uses(const std::string& token) const;
  // What apply() does: the match and the tokens to fill in; a warning for
  // each derived token whose source `named` lacks.
  Plan plan(const std::unordered_set<std::string>& named, const std::string& fileName,
            std::vector<ReportWarning>& warnings) const;

  std::vector<std::string> templateTokens_;
  std::vector<std::string> rowTokens_;
  HostTokenOptions options_;
};

}  // namespace bomreport

#endif  // BOMREPORT_JOB_HOST_TOKENS_H_
