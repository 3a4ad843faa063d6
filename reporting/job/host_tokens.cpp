#include "job/host_tokens.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "job/equal_parts.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// The column a derived token lacks in the parts file, or "".
std::string lackingSource(const DerivedToken& derived, const std::unordered_set<std::string>& named,
                          const std::string& assemblyToken) {
  const bool counted =
      derived.how == Derivation::kQuantity || derived.how == Derivation::kQuantityInModel;
  if (named.count(derived.source) == 0 && !counted) return derived.source;
  if (derived.how == Derivation::kAssemblies && named.count(assemblyToken) == 0) {
    return assemblyToken;
  }
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

// What the first pass over the rows finds: their groups (when the plan
// groups), each row's own quantity (when not merging) and assembly mark, and
// the assemblies of each mark.
struct ReadRows {
  std::unique_ptr<EqualPartGrouper> grouper;  // null when the plan does not group
  std::vector<int> groupOf;
  std::vector<long long> quantities;
  std::vector<const QelBomDataValue*> marks;  // into the rows' own tuples
  AssemblyCounter assemblies;
};

ReadRows readRows(const Plan& plan, const std::vector<QelBomDataRow*>& rows) {
  ReadRows read;
  if (plan.grouping()) {
    read.grouper = std::make_unique<EqualPartGrouper>(rows.size());
    read.groupOf.assign(rows.size(), -1);
  }
  read.quantities.assign(plan.merge ? 0 : rows.size(), 1);
  read.marks.assign(rows.size(), nullptr);
  RowReader reader(plan);
  RowFacts facts;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    reader.read(*rows[r], facts);
    read.marks[r] = facts.mark;
    if (plan.countsAssemblies()) read.assemblies.add(facts.mark, facts.assembly);
    if (!plan.merge) read.quantities[r] = facts.quantity;
    if (read.grouper == nullptr) continue;
    read.groupOf[r] = read.grouper->place(rows[r], facts);
    Group& group = read.grouper->group(read.groupOf[r]);
    addFigures(group.figures, facts);
    if (plan.merge && group.leader != rows[r]) group.handles.appendGrowing(rows[r]->objectHandle());
  }
  return read;
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
  bool sums = false;
  for (int i = 0; i < kSums; ++i) sums = sums || uses(kDerived[kFirstSum + i].name);
  // A per-piece token is read with its quantity, so that a sum of it over rows
  // of several pieces is known (and warned of).
  bool perPiece = false;
  for (int i = 0; i < kSums; ++i) perPiece = perPiece || uses(kDerived[kFirstSum + i].source);
  if (options_.mergeEqualParts || sums || perPiece || uses("%Quantity") ||
      uses("%QuantityInModel")) {
    tokens.push_back("%Quantity");
  }
  for (int i = 0; i < kSums; ++i) {
    if (uses(kDerived[kFirstSum + i].name)) tokens.push_back(kDerived[kFirstSum + i].source);
  }
  if (uses("%MQuantity")) {
    tokens.push_back("%MNum");
    tokens.push_back(options_.assemblyToken);
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
    if (!instance && !isDerived(token)) plan.keyTokens.push_back(token);
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

  ReadRows read = readRows(plan, rows);
  Filler filler(plan, fileName);
  if (!plan.merge) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const PieceFigures* group =
          read.grouper != nullptr ? &read.grouper->group(read.groupOf[r]).figures : nullptr;
      filler.fill(*rows[r], group, read.quantities[r], read.assemblies, read.marks[r]);
    }
    return warnings;
  }
  mergeEqualParts(data, rows, read.groupOf, *read.grouper,
                  [&](std::size_t leader, const Group& group) {
                    filler.fill(*rows[leader], &group.figures, 0, read.assemblies,
                                read.marks[leader]);
                    filler.dropInstanceTokens(*rows[leader]);
                  });
  return warnings;
}

}  // namespace bomreport
