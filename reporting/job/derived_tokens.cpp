#include "job/derived_tokens.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "BomReportErrors.h"
#include "job/value_keys.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

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

void readFigures(const TokenRole& role, const QelBomDataValue& value, RowFacts& facts) {
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
void keepFirstOfEachToken(std::vector<KeyEntry>& key) {
  std::stable_sort(key.begin(), key.end(),
                   [](const KeyEntry& a, const KeyEntry& b) { return a.index < b.index; });
  key.erase(std::unique(key.begin(), key.end(),
                        [](const KeyEntry& a, const KeyEntry& b) { return a.index == b.index; }),
            key.end());
}

}  // namespace

bool isDerived(std::string_view token) {
  for (const DerivedToken& derived : kDerived) {
    if (token == derived.name) return true;
  }
  return false;
}

bool readsMarks(Derivation how) {
  return how == Derivation::kAssembledPieces || how == Derivation::kAssembledSum ||
         how == Derivation::kPerAssembly || how == Derivation::kAssemblies;
}

bool readsAssemblies(Derivation how) {
  return how == Derivation::kPerAssembly || how == Derivation::kAssemblies;
}

bool Plan::fillsAny() const {
  return merge || std::any_of(std::begin(fill), std::end(fill), [](bool f) { return f; });
}

bool Plan::readsMarks() const {
  for (int i = 0; i < kDerivedCount; ++i) {
    if (fill[i] && bomreport::readsMarks(kDerived[i].how)) return true;
  }
  return false;
}

bool Plan::readsAssemblies() const {
  for (int i = 0; i < kDerivedCount; ++i) {
    if (fill[i] && bomreport::readsAssemblies(kDerived[i].how)) return true;
  }
  return false;
}

TokenRole Plan::roleOf(const QelString& token) const {
  const std::string text = toUtf8(token);
  TokenRole role;
  const auto key = std::find(keyTokens.begin(), keyTokens.end(), text);
  if (key != keyTokens.end()) role.keyIndex = static_cast<int>(key - keyTokens.begin());
  role.instance =
      std::find(instanceTokens.begin(), instanceTokens.end(), text) != instanceTokens.end();
  role.quantity = text == "%Quantity";
  for (int i = 0; i < kSums; ++i) {
    if (text == kSources[i]) role.sumIndex = i;
  }
  role.mark = text == "%MNum";
  role.assembly = text == assemblyToken;
  return role;
}

void addFigures(PieceFigures& group, const RowFacts& facts) {
  const bool assembled = facts.mark != nullptr;
  group.quantity += facts.quantity;
  if (assembled) group.assembledQuantity += facts.quantity;
  for (int i = 0; i < kSums; ++i) {
    if (!facts.hasSum[i]) continue;
    const double figure = facts.sums[i] * static_cast<double>(facts.quantity);  // per piece
    group.sums[i] += figure;
    group.hasSum[i] = true;
    if (!assembled) continue;
    group.assembledSums[i] += figure;
    group.hasAssembledSum[i] = true;
  }
}

KeyEntry RowReader::keyEntry(int index, const QelBomDataValue& value) const {
  KeyEntry entry{index, &value};
  const double scale = static_cast<std::size_t>(index) < plan_.keyPrecisions.size()
                           ? plan_.keyPrecisions[static_cast<std::size_t>(index)].scale
                           : 0.0;
  if (scale <= 0 || value.type() != QelBomDataValue::kDoubleDataValue) return entry;
  const double shown = std::round(doubleValueOf(value) * scale);
  if (!(std::fabs(shown) < 9e18)) return entry;  // not finite, or past 64 bits: as it is
  entry.byDisplay = true;
  entry.shown = static_cast<long long>(shown);
  return entry;
}

void RowReader::read(QelBomDataRow& row, RowFacts& facts) {
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
      facts.key.push_back(keyEntry(role.keyIndex, value));
    }
    readFigures(role, value, facts);
  }
  if (!sorted) keepFirstOfEachToken(facts.key);
}

Filler::Filler(const Plan& plan, std::string fileName)
    : plan_(plan), fileName_(std::move(fileName)) {
  for (const DerivedToken& derived : kDerived) tokens_.push_back(toQel(derived.name));
}

void Filler::fill(QelBomDataRow& row, const PieceFigures& figures, int markAssemblies) const {
  const bool assembled = figures.assembledQuantity != 0 || figures.assemblies > 0;
  const double assemblies = figures.assemblies > 0 ? figures.assemblies : 1.0;
  for (int i = 0; i < kDerivedCount; ++i) {
    if (!plan_.fill[i] && !(i == 0 && plan_.merge)) continue;
    const DerivedToken& derived = kDerived[i];
    const int s = derived.sum;
    switch (derived.how) {
      case Derivation::kQuantity:
      case Derivation::kPieces:
        setToken(row, tokens_[i], countOf(figures.quantity, tokens_[i], row, fileName_));
        break;
      case Derivation::kSum:
        if (figures.hasSum[s]) setToken(row, tokens_[i], figures.sums[s]);
        break;
      case Derivation::kAssembledPieces:
        if (assembled) {
          setToken(row, tokens_[i], countOf(figures.assembledQuantity, tokens_[i], row, fileName_));
        }
        break;
      case Derivation::kAssembledSum:
        if (figures.hasAssembledSum[s]) setToken(row, tokens_[i], figures.assembledSums[s]);
        break;
      case Derivation::kPerAssembly:
        if (figures.hasAssembledSum[s]) {
          setToken(row, tokens_[i], figures.assembledSums[s] / assemblies);
        }
        break;
      case Derivation::kAssemblies:
        if (markAssemblies >= 0) setToken(row, tokens_[i], markAssemblies);
        break;
    }
  }
}

void Filler::dropInstanceTokens(QelBomDataRow& row) {
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

bool Filler::isInstance(const QelBomDataTuple& tuple) {
  return roles_.get(tuple.token().token(), [this](const QelString& t) { return plan_.roleOf(t); })
      .instance;
}

}  // namespace bomreport
