#include "job/host_tokens.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <utility>

#include "job/equal_parts.h"
#include "job/value_keys.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// The column a derived token lacks in the parts file, or "".
std::string lackingSource(const DerivedToken& derived, const std::unordered_set<std::string>& named,
                          const std::string& assemblyToken) {
  if (derived.sum >= 0 && named.count(derived.source) == 0) return derived.source;
  if (readsMarks(derived.how) && named.count("%MNum") == 0) return "%MNum";
  if (readsAssemblies(derived.how) && named.count(assemblyToken) == 0) return assemblyToken;
  return std::string();
}

ReportWarning cannotDerive(const char* token, const std::string& lacking,
                           const std::string& fileName) {
  ReportWarning warning{WarningKind::kCannotDerive};
  warning.token = token;
  warning.text = "cannot fill in the template's token " + quoteForMessage(token) + ": " +
                 fileName + " has no " + quoteForMessage(lacking);
  return warning;
}

// The distinct assemblies of each mark, when %MQuantity is filled in: a pass
// over the rows before any is filled in.
AssemblyCounter countMarkAssemblies(const Plan& plan, const std::vector<QelBomDataRow*>& rows) {
  AssemblyCounter assemblies;
  if (!plan.countsMarkAssemblies()) return assemblies;
  RowReader reader(plan);
  RowFacts facts;
  for (QelBomDataRow* row : rows) {
    reader.read(*row, facts);
    assemblies.add(facts.mark, facts.assembly);
  }
  return assemblies;
}

int markAssembliesOf(const Plan& plan, const AssemblyCounter& assemblies,
                     const QelBomDataValue* mark) {
  return plan.countsMarkAssemblies() && mark != nullptr ? assemblies.count(*mark) : -1;
}

// Without merging each row stands for its own pieces only.
void fillEachRow(const Plan& plan, const Filler& filler, const std::vector<QelBomDataRow*>& rows) {
  const AssemblyCounter assemblies = countMarkAssemblies(plan, rows);
  RowReader reader(plan);
  RowFacts facts;
  for (QelBomDataRow* row : rows) {
    reader.read(*row, facts);
    PieceFigures figures;
    addFigures(figures, facts);
    figures.assemblies = facts.mark != nullptr ? 1 : 0;
    // Counted before filling in, which may move the row's values.
    filler.fill(*row, figures, markAssembliesOf(plan, assemblies, facts.mark));
  }
}

// The groups of equal parts, each with its pieces' figures, its assemblies
// and its other parts' handles.
struct ReadGroups {
  EqualPartGrouper grouper;
  std::vector<int> groupOf;
  std::vector<const QelBomDataValue*> marks;  // into the rows' own tuples
  AssemblyCounter assemblies;
  std::vector<HiddenDifference> differences;  // by key index

  ReadGroups(std::size_t rows, std::size_t keys)
      : grouper(rows), groupOf(rows, -1), marks(rows, nullptr), differences(keys) {}
};

// A warning per token of the match whose values differ in merged parts
// below what the report shows.
void noteHiddenDifferences(const Plan& plan, const ReadGroups& read, const std::string& fileName,
                           std::vector<ReportWarning>& warnings) {
  for (std::size_t k = 0; k < read.differences.size(); ++k) {
    const HiddenDifference& noted = read.differences[k];
    if (noted.parts == 0) continue;
    const DisplayPrecision& precision = plan.keyPrecisions[k];
    char largest[64];
    std::snprintf(largest, sizeof largest, "%.3g", noted.largest * precision.factor);
    ReportWarning warning{WarningKind::kMergedBelowPrecision};
    warning.token = plan.keyTokens[k];
    warning.rows = noted.parts;
    warning.amount = noted.largest * precision.factor;
    warning.unit = precision.unit;
    warning.text = fileName + ": " + std::to_string(noted.parts) +
                   (noted.parts == 1 ? " part was" : " parts were") +
                   " merged with equal parts whose " + quoteForMessage(warning.token) +
                   " differs only below the shown precision (by at most " + largest + " " +
                   precision.unit + "); each line shows its first part's value and the sums of "
                   "all its parts";
    warning.cure = "give the column more decimals to keep them apart";
    warnings.push_back(std::move(warning));
  }
}

void readGroups(const Plan& plan, const std::vector<QelBomDataRow*>& rows, ReadGroups& read) {
  std::unordered_map<int, std::unordered_set<std::u16string>> groupAssemblies;
  RowReader reader(plan);
  RowFacts facts;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    reader.read(*rows[r], facts);
    read.marks[r] = facts.mark;
    if (plan.countsMarkAssemblies()) read.assemblies.add(facts.mark, facts.assembly);
    const int index = read.grouper.place(rows[r], facts);
    read.groupOf[r] = index;
    Group& group = read.grouper.group(index);
    if (group.leader != rows[r]) read.grouper.noteDifferences(index, facts, read.differences);
    addFigures(group.figures, facts);
    if (plan.readsAssemblies() && facts.mark != nullptr) {
      std::unordered_set<std::u16string>& seen = groupAssemblies[index];
      seen.insert(facts.assembly != nullptr ? valueKey(*facts.assembly) : std::u16string());
      group.figures.assemblies = static_cast<int>(seen.size());
    }
    if (group.leader != rows[r]) group.handles.appendGrowing(rows[r]->objectHandle());
  }
}

}  // namespace

HostTokens::HostTokens(std::vector<std::string> templateTokens, std::vector<std::string> rowTokens,
                       HostTokenOptions options)
    : templateTokens_(std::move(templateTokens)),
      rowTokens_(std::move(rowTokens)),
      options_(std::move(options)) {}

bool HostTokens::uses(const std::string& token) const {
  return std::find(templateTokens_.begin(), templateTokens_.end(), token) != templateTokens_.end();
}

std::vector<std::string> HostTokens::derivedTokens() const {
  std::vector<std::string> tokens;
  for (const DerivedToken& derived : kDerived) {
    if (uses(derived.name)) tokens.push_back(derived.name);
  }
  return tokens;
}

std::vector<std::string> HostTokens::inputTokens() const {
  std::vector<std::string> tokens;
  auto need = [&tokens](const std::string& token) {
    if (std::find(tokens.begin(), tokens.end(), token) == tokens.end()) tokens.push_back(token);
  };
  // A per-piece token is read with its quantity, so that a sum of it over rows
  // of several pieces is known (and warned of).
  bool quantity = options_.mergeEqualParts;
  for (const char* source : kSources) quantity = quantity || uses(source);
  for (const DerivedToken& derived : kDerived) {
    if (!uses(derived.name)) continue;
    quantity = quantity || derived.how != Derivation::kAssemblies;
  }
  if (quantity) need("%Quantity");
  for (const DerivedToken& derived : kDerived) {
    if (!uses(derived.name)) continue;
    if (derived.sum >= 0) need(derived.source);
    if (readsMarks(derived.how)) need("%MNum");
    if (readsAssemblies(derived.how)) need(options_.assemblyToken);
    if (derived.inPhase) need(kPhaseToken);
  }
  return tokens;
}

Plan HostTokens::plan(const std::unordered_set<std::string>& named, const std::string& fileName,
                      std::vector<ReportWarning>& warnings) const {
  Plan plan;
  plan.merge = options_.mergeEqualParts;
  plan.instanceTokens = options_.instanceTokens;
  plan.assemblyToken = options_.assemblyToken;
  for (const std::string& token : rowTokens_) {
    const bool instance = std::find(plan.instanceTokens.begin(), plan.instanceTokens.end(),
                                    token) != plan.instanceTokens.end();
    if (instance || isDerived(token)) continue;
    plan.keyTokens.push_back(token);
    DisplayPrecision exact;
    for (const DisplayPrecision& precision : options_.precisions) {
      if (precision.token == token) exact = precision;
    }
    plan.keyPrecisions.push_back(exact);
  }
  const bool byPhase = std::any_of(std::begin(kDerived), std::end(kDerived),
                                  [this](const DerivedToken& d) { return d.inPhase && uses(d.name); });
  if (byPhase && std::find(plan.keyTokens.begin(), plan.keyTokens.end(), kPhaseToken) ==
                     plan.keyTokens.end()) {
    plan.keyTokens.emplace_back(kPhaseToken);
    plan.keyPrecisions.emplace_back();
  }
  for (int i = 0; i < kDerivedCount; ++i) {
    const DerivedToken& derived = kDerived[i];
    if (!uses(derived.name) || named.count(derived.name) != 0) continue;
    const std::string lacking = lackingSource(derived, named, options_.assemblyToken);
    plan.fill[i] = lacking.empty();
    if (!lacking.empty()) warnings.push_back(cannotDerive(derived.name, lacking, fileName));
  }
  return plan;
}

std::vector<ReportWarning> HostTokens::apply(QelBomData& data,
                                             const std::unordered_set<std::string>& named,
                                             const std::string& fileName) const {
  std::vector<ReportWarning> warnings;
  const Plan plan = this->plan(named, fileName, warnings);
  std::vector<QelBomDataRow*> rows;
  for (QelBomItemBase* node = data.child(); node != nullptr; node = node->next()) {
    rows.push_back(static_cast<QelBomDataRow*>(node));
  }
  if (!plan.fillsAny() || rows.empty()) return warnings;

  Filler filler(plan, fileName);
  if (!plan.merge) {
    fillEachRow(plan, filler, rows);
    return warnings;
  }
  ReadGroups read(rows.size(), plan.keyTokens.size());
  readGroups(plan, rows, read);
  noteHiddenDifferences(plan, read, fileName, warnings);
  mergeEqualParts(data, rows, read.groupOf, read.grouper,
                  [&](std::size_t leader, const Group& group) {
                    filler.fill(*rows[leader], group.figures,
                                markAssembliesOf(plan, read.assemblies, read.marks[leader]));
                    filler.dropInstanceTokens(*rows[leader]);
                  });
  return warnings;
}

}  // namespace bomreport
