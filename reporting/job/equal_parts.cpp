#include "job/equal_parts.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "BomReportErrors.h"
#include "text/text_util.h"
#include "job/token_cache.h"

namespace bomreport {
namespace {

enum class Derivation { kQuantity, kQuantityInModel, kSum, kAssemblies };

struct DerivedToken {
  const char* name;
  Derivation how;
  const char* source;  // the token it is computed from
};

constexpr DerivedToken kDerived[] = {
    {"%Quantity", Derivation::kQuantity, "%Quantity"},
    {"%QuantityInModel", Derivation::kQuantityInModel, "%Quantity"},
    {"%WeightInModel", Derivation::kSum, "%Weight"},
    {"%LengthInModel", Derivation::kSum, "%Length"},
    {"%SawLengthInModel", Derivation::kSum, "%SawLength"},
    {"%ExactWeightInModel", Derivation::kSum, "%ExactWeight"},
    {"%MQuantity", Derivation::kAssemblies, "%MNum"},
};
constexpr int kDerivedCount = sizeof(kDerived) / sizeof(kDerived[0]);
constexpr int kFirstSum = 2;  // kDerived[kFirstSum + i] is sum i
constexpr int kSums = 4;

bool isDerived(std::string_view token) {
  for (const DerivedToken& derived : kDerived) {
    if (token == derived.name) return true;
  }
  return false;
}

// What one token of a row is to the merge.
struct TokenRole {
  int keyIndex = -1;  // its place in the match, or -1
  int sumIndex = -1;  // the sum it feeds, or -1
  bool instance = false;
  bool quantity = false;
  bool mark = false;
  bool assembly = false;
};

// What is to be done, decided before the rows are read.
struct Plan {
  std::vector<std::string> keyTokens;  // the match, in the template's order
  std::vector<std::string> instanceTokens;
  std::string assemblyToken;
  bool merge = false;
  bool fill[kDerivedCount] = {};  // by kDerived

  bool grouping() const {
    if (merge) return true;
    for (int i = 0; i < kDerivedCount; ++i) {
      const Derivation how = kDerived[i].how;
      if (fill[i] && (how == Derivation::kQuantityInModel || how == Derivation::kSum)) return true;
    }
    return false;
  }
  bool countsAssemblies() const { return fill[kDerivedCount - 1]; }

  TokenRole roleOf(const QelString& token) const {
    const std::string text = toUtf8(token);
    TokenRole role;
    const auto key = std::find(keyTokens.begin(), keyTokens.end(), text);
    if (key != keyTokens.end()) role.keyIndex = static_cast<int>(key - keyTokens.begin());
    role.instance =
        std::find(instanceTokens.begin(), instanceTokens.end(), text) != instanceTokens.end();
    role.quantity = text == "%Quantity";
    for (int i = 0; i < kSums; ++i) {
      if (text == kDerived[kFirstSum + i].source) role.sumIndex = i;
    }
    role.mark = text == "%MNum";
    role.assembly = text == assemblyToken;
    return role;
  }
};

// ---- Values ----

std::uint64_t mix(std::uint64_t h, std::uint64_t value) {
  return (h ^ value) * 0x100000001b3ull + (h >> 29);
}

std::uint64_t hashValue(const QelBomDataValue& value) {
  std::uint64_t h = static_cast<std::uint64_t>(value.type());
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      return mix(h, static_cast<std::uint32_t>(intValueOf(value)));
    case QelBomDataValue::kDoubleDataValue: {
      double real = doubleValueOf(value);
      if (real == 0.0) real = 0.0;  // -0 equals 0
      std::uint64_t bits;
      std::memcpy(&bits, &real, sizeof(bits));
      return mix(h, bits);
    }
    case QelBomDataValue::kStringDataValue: {
      const QelString& text = textValueOf(value);
      const char16_t* units = text.getStringW();
      for (int i = 0; i < text.length(); ++i) h = (h ^ units[i]) * 0x100000001b3ull;
      return mix(h, static_cast<std::uint64_t>(text.length()));
    }
    default:
      return h;
  }
}

bool sameValue(const QelBomDataValue& a, const QelBomDataValue& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case QelBomDataValue::kIntDataValue:
      return intValueOf(a) == intValueOf(b);
    case QelBomDataValue::kDoubleDataValue:
      return doubleValueOf(a) == doubleValueOf(b);
    case QelBomDataValue::kStringDataValue:
      return textValueOf(a) == textValueOf(b);
    default:
      return true;
  }
}

bool numberOf(const QelBomDataValue& value, double& number) {
  if (value.type() == QelBomDataValue::kDoubleDataValue) {
    number = doubleValueOf(value);
    return true;
  }
  if (value.type() == QelBomDataValue::kIntDataValue) {
    number = intValueOf(value);
    return true;
  }
  return false;
}

// A value as a key of a map: its type, then its text.
std::u16string valueKey(const QelBomDataValue& value) {
  std::u16string key(1, static_cast<char16_t>(u'0' + value.type()));
  if (value.type() == QelBomDataValue::kStringDataValue) {
    const QelString& text = textValueOf(value);
    key.append(text.getStringW(), static_cast<std::size_t>(text.length()));
  } else {
    double number = 0.0;
    if (numberOf(value, number)) key += QelString::fromUtf8(std::to_string(number)).getStringW();
  }
  return key;
}

// ---- One row ----

struct KeyEntry {
  int index;
  const QelBomDataValue* value;
};

// What the merge reads of one row.
struct RowFacts {
  std::vector<KeyEntry> key;  // sorted by index, each index once
  long long quantity = 1;
  double sums[kSums] = {};
  bool hasSum[kSums] = {};
  const QelBomDataValue* mark = nullptr;
  const QelBomDataValue* assembly = nullptr;
};

class RowReader {
 public:
  explicit RowReader(const Plan& plan) : plan_(plan) {}

  void read(QelBomDataRow& row, RowFacts& facts) {
    facts = RowFacts{std::move(facts.key), 1, {}, {}, nullptr, nullptr};
    facts.key.clear();
    bool sorted = true;
    for (QelBomDataTuple& tuple : row.getData()) {
      const TokenRole role =
          roles_.get(tuple.token().token(), [this](const QelString& t) { return plan_.roleOf(t); });
      const QelBomDataValue& value = tuple.value();
      if (value.type() == QelBomDataValue::kUnkDataValueType) continue;
      if (role.keyIndex >= 0) {
        sorted = sorted && (facts.key.empty() || facts.key.back().index < role.keyIndex);
        facts.key.push_back({role.keyIndex, &value});
      }
      readFigures(role, value, facts);
    }
    if (!sorted) keepFirstOfEachToken(facts.key);
  }

 private:
  static void readFigures(const TokenRole& role, const QelBomDataValue& value, RowFacts& facts) {
    double number = 0.0;
    if (role.quantity && value.type() == QelBomDataValue::kIntDataValue) {
      facts.quantity = intValueOf(value);
    }
    if (role.sumIndex >= 0 && !facts.hasSum[role.sumIndex] && numberOf(value, number)) {
      facts.sums[role.sumIndex] = number;
      facts.hasSum[role.sumIndex] = true;
    }
    if (role.mark && facts.mark == nullptr) facts.mark = &value;
    if (role.assembly && facts.assembly == nullptr) facts.assembly = &value;
  }

  // A row's first tuple of a token is its value (as the engine reads it).
  static void keepFirstOfEachToken(std::vector<KeyEntry>& key) {
    std::stable_sort(key.begin(), key.end(),
                     [](const KeyEntry& a, const KeyEntry& b) { return a.index < b.index; });
    key.erase(std::unique(key.begin(), key.end(),
                          [](const KeyEntry& a, const KeyEntry& b) { return a.index == b.index; }),
              key.end());
  }

  const Plan& plan_;
  TokenCache<TokenRole> roles_;
};

// ---- Groups of equal parts ----

struct Group {
  QelBomDataRow* leader = nullptr;
  std::size_t keyStart = 0;
  std::size_t keyLength = 0;
  long long quantity = 0;
  double sums[kSums] = {};
  bool hasSum[kSums] = {};
  QelArray<QelString> handles;  // merging: the other parts' handles
};

// Open addressing over the groups' match values; the values are the leaders'
// own tuples, which stay unchanged while the grouper lives.
class EqualPartGrouper {
 public:
  explicit EqualPartGrouper(std::size_t rows) {
    std::size_t capacity = 16;
    while (capacity < rows * 2) capacity *= 2;
    slots_.assign(capacity, -1);
  }

  // The group of a row with these facts; a new one led by `row` if none.
  int place(QelBomDataRow* row, const RowFacts& facts) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const KeyEntry& entry : facts.key) {
      h = mix(mix(h, static_cast<std::uint64_t>(entry.index)), hashValue(*entry.value));
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>(h ^ (h >> 31)) & mask;
    while (slots_[at] != -1 && !matches(groups_[static_cast<std::size_t>(slots_[at])], facts)) {
      at = (at + 1) & mask;
    }
    if (slots_[at] != -1) return slots_[at];
    slots_[at] = static_cast<int>(groups_.size());
    Group group;
    group.leader = row;
    group.keyStart = keys_.size();
    group.keyLength = facts.key.size();
    groups_.push_back(std::move(group));
    keys_.insert(keys_.end(), facts.key.begin(), facts.key.end());
    return slots_[at];
  }

  Group& group(int index) { return groups_[static_cast<std::size_t>(index)]; }

 private:
  bool matches(const Group& group, const RowFacts& facts) const {
    if (group.keyLength != facts.key.size()) return false;
    for (std::size_t i = 0; i < group.keyLength; ++i) {
      const KeyEntry& mine = keys_[group.keyStart + i];
      if (mine.index != facts.key[i].index || !sameValue(*mine.value, *facts.key[i].value)) {
        return false;
      }
    }
    return true;
  }

  std::vector<int> slots_;
  std::vector<Group> groups_;
  std::vector<KeyEntry> keys_;  // the leaders' match values, group after group
};

// The distinct assemblies of each assembly mark.
class AssemblyCounter {
 public:
  void add(const RowFacts& facts) {
    if (facts.mark == nullptr || facts.assembly == nullptr) return;
    assemblies_[valueKey(*facts.mark)].insert(valueKey(*facts.assembly));
  }
  int count(const QelBomDataValue& mark) const {
    const auto found = assemblies_.find(valueKey(mark));
    return found == assemblies_.end() ? 0 : static_cast<int>(found->second.size());
  }

 private:
  std::unordered_map<std::u16string, std::unordered_set<std::u16string>> assemblies_;
};

// ---- Filling in ----

// A count as the 32-bit integer a row holds; a count beyond 32 bits stops the
// run rather than be cut.
int countOf(long long value, const QelString& token, const QelBomDataRow& row,
            const std::string& fileName) {
  if (value >= INT_MIN && value <= INT_MAX) return static_cast<int>(value);
  throw InputError(fileName, "the " + quoteForMessage(toUtf8(token)) + " of the parts equal to " +
                                 quoteForMessage(toUtf8(row.objectHandle())) + " would be " +
                                 std::to_string(value) +
                                 ", beyond the 32-bit integers a report holds (at most "
                                 "2147483647); check the parts' quantities");
}

template <typename T>
void setToken(QelBomDataRow& row, const QelString& token, T value) {
  QelBomDataTuple* tuple = row.getTupleAt(token);
  if (tuple != nullptr) {
    tuple->value().set(value);
  } else {
    row.addData(QelBomDataTuple(token, value));
  }
}

class Filler {
 public:
  Filler(const Plan& plan, std::string fileName) : plan_(plan), fileName_(std::move(fileName)) {
    for (const DerivedToken& derived : kDerived) tokens_.push_back(toQel(derived.name));
  }

  // The derived tokens of `row` from its group (and, for %MQuantity, its
  // mark, a value of the row). `quantity` is the row's own %Quantity.
  void fill(QelBomDataRow& row, const Group* group, long long quantity,
            const AssemblyCounter& assemblies, const QelBomDataValue* mark) const {
    // Counted first: filling in may move the row's values.
    const int assemblyCount =
        plan_.countsAssemblies() && mark != nullptr ? assemblies.count(*mark) : -1;
    if (plan_.merge) quantity = group->quantity;
    if (plan_.merge || plan_.fill[0]) {
      setToken(row, tokens_[0], countOf(quantity, tokens_[0], row, fileName_));
    }
    if (plan_.fill[1] && group != nullptr) {
      setToken(row, tokens_[1], countOf(group->quantity, tokens_[1], row, fileName_));
    }
    for (int i = 0; i < kSums; ++i) {
      if (plan_.fill[kFirstSum + i] && group != nullptr && group->hasSum[i]) {
        setToken(row, tokens_[kFirstSum + i], group->sums[i]);
      }
    }
    if (assemblyCount >= 0) setToken(row, tokens_[kDerivedCount - 1], assemblyCount);
  }

  // Leaves the per-instance tokens out of `row`.
  void dropInstanceTokens(QelBomDataRow& row) {
    QelArray<QelBomDataTuple>& tuples = row.getData();
    bool any = false;
    for (const QelBomDataTuple& tuple : tuples) any = any || isInstance(tuple);
    if (!any) return;
    QelArray<QelBomDataTuple> kept;
    kept.setCapacity(tuples.count());
    for (const QelBomDataTuple& tuple : tuples) {
      if (!isInstance(tuple)) kept.append(tuple);
    }
    row.setData(kept);
  }

 private:
  bool isInstance(const QelBomDataTuple& tuple) {
    return roles_.get(tuple.token().token(), [this](const QelString& t) { return plan_.roleOf(t); })
        .instance;
  }

  const Plan& plan_;
  std::string fileName_;
  std::vector<QelString> tokens_;  // by kDerived
  TokenCache<TokenRole> roles_;
};

void addFigures(Group& group, const RowFacts& facts) {
  group.quantity += facts.quantity;
  for (int i = 0; i < kSums; ++i) {
    if (!facts.hasSum[i]) continue;
    group.sums[i] += facts.sums[i] * static_cast<double>(facts.quantity);  // per piece
    group.hasSum[i] = true;
  }
}

// The equal-part handles of a merged row: the other parts', then those of
// everyone's equal-part lists, each once and never the row's own.
QelArray<QelString> mergedHandles(const QelBomDataRow& leader, const Group& group,
                                  const std::vector<QelBomDataRow*>& members) {
  QelArray<QelString> handles;
  std::unordered_set<std::u16string> seen;
  auto add = [&](const QelString& handle) {
    std::u16string key(handle.getStringW(), static_cast<std::size_t>(handle.length()));
    if (seen.insert(std::move(key)).second) handles.appendGrowing(handle);
  };
  seen.emplace(leader.objectHandle().getStringW(),
               static_cast<std::size_t>(leader.objectHandle().length()));
  for (const QelString& handle : group.handles) add(handle);
  for (const QelBomDataRow* member : members) {
    for (const QelString& handle : member->EqualPartObjectHandles()) add(handle);
  }
  return handles;
}

}  // namespace

HostTokens::HostTokens(std::vector<std::string> templateTokens, HostTokenOptions options)
    : templateTokens_(std::move(templateTokens)), options_(std::move(options)) {}

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

std::vector<ReportWarning> HostTokens::apply(QelBomData& data,
                                             const std::unordered_set<std::string>& named,
                                             const std::string& fileName) const {
  std::vector<ReportWarning> warnings;
  Plan plan;
  plan.merge = options_.mergeEqualParts;
  plan.instanceTokens = options_.instanceTokens;
  plan.assemblyToken = options_.assemblyToken;
  for (const std::string& token : templateTokens_) {
    const bool instance = std::find(plan.instanceTokens.begin(), plan.instanceTokens.end(),
                                    token) != plan.instanceTokens.end();
    if (!instance && !isDerived(token)) plan.keyTokens.push_back(token);
  }
  for (int i = 0; i < kDerivedCount; ++i) {
    const DerivedToken& derived = kDerived[i];
    if (!uses(derived.name) || named.count(derived.name) != 0) continue;
    std::string lacking;
    if (named.count(derived.source) == 0 && derived.how != Derivation::kQuantity &&
        derived.how != Derivation::kQuantityInModel) {
      lacking = derived.source;
    } else if (derived.how == Derivation::kAssemblies && named.count(options_.assemblyToken) == 0) {
      lacking = options_.assemblyToken;
    }
    if (lacking.empty()) {
      plan.fill[i] = true;
    } else {
      ReportWarning warning{WarningKind::kCannotDerive};
      warning.token = derived.name;
      warning.text = "cannot fill in the template's token " + quoteForMessage(derived.name) + ": " +
                     fileName + " has no " + quoteForMessage(lacking);
      warnings.push_back(std::move(warning));
    }
  }

  std::vector<QelBomDataRow*> rows;
  for (QelBomItemBase* node = data.child(); node != nullptr; node = node->next()) {
    rows.push_back(static_cast<QelBomDataRow*>(node));
  }
  const bool grouping = plan.grouping();
  bool anyFill = plan.merge;
  for (bool fill : plan.fill) anyFill = anyFill || fill;
  if (!anyFill || rows.empty()) return warnings;

  // Pass 1: the groups, their figures, and the assemblies of each mark.
  RowReader reader(plan);
  EqualPartGrouper grouper(grouping ? rows.size() : 0);
  AssemblyCounter assemblies;
  std::vector<int> groupOf(grouping ? rows.size() : 0, -1);
  std::vector<long long> quantities(plan.merge ? 0 : rows.size(), 1);
  std::vector<const QelBomDataValue*> marks(rows.size(), nullptr);
  RowFacts facts;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    reader.read(*rows[r], facts);
    marks[r] = facts.mark;
    if (plan.countsAssemblies()) assemblies.add(facts);
    if (!plan.merge) quantities[r] = facts.quantity;
    if (!grouping) continue;
    groupOf[r] = grouper.place(rows[r], facts);
    Group& group = grouper.group(groupOf[r]);
    addFigures(group, facts);
    if (plan.merge && group.leader != rows[r]) group.handles.appendGrowing(rows[r]->objectHandle());
  }

  // Pass 2: fill in; when merging, the leaders stay and the others go.
  Filler filler(plan, fileName);
  if (!plan.merge) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const Group* group = grouping ? &grouper.group(groupOf[r]) : nullptr;
      filler.fill(*rows[r], group, quantities[r], assemblies, marks[r]);
    }
    return warnings;
  }
  std::unordered_map<int, std::vector<QelBomDataRow*>> listing;  // rows with equal-part lists
  std::vector<QelBomDataRow*> leaders;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r]->EqualPartObjectHandles().count() > 0) listing[groupOf[r]].push_back(rows[r]);
    if (grouper.group(groupOf[r]).leader == rows[r]) leaders.push_back(rows[r]);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    Group& group = grouper.group(groupOf[r]);
    if (group.leader != rows[r]) continue;
    const auto found = listing.find(groupOf[r]);
    if (found != listing.end()) {
      rows[r]->setEqualPartObjectHandles(mergedHandles(*rows[r], group, found->second));
    } else if (group.handles.count() > 0) {
      rows[r]->setEqualPartObjectHandles(group.handles);
    }
    filler.fill(*rows[r], &group, 0, assemblies, marks[r]);
    filler.dropInstanceTokens(*rows[r]);
  }
  leaders.back()->setNext(nullptr);
  data.setChild(nullptr);
  for (QelBomDataRow* leader : leaders) data.addChild(leader);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (grouper.group(groupOf[r]).leader != rows[r]) delete rows[r];
  }
  return warnings;
}

}  // namespace bomreport
