#include "engine/QelBomTupleLookup.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "QelBomValues.h"
#include "foundation/QelPointerSlot.h"

namespace qel_bom_engine {
namespace {

constexpr int kSlotBits = 6;
constexpr size_t kSlots = size_t{1} << kSlotBits;

// Row layouts whose texts were found equal to a plan's but made apart (by
// another reading thread of the host): their very texts are kept too, so that
// rows of either layout are recognised without reading a text.
constexpr size_t kAliases = 4;

// One plan with the texts it was made for.
struct Slot {
  std::vector<QelString> sectionTokens;
  std::vector<QelString> rowTokens;
  std::vector<QelString> aliases[kAliases];
  size_t nextAlias = 0;
  TupleLookupPlan plan;
};

// Whether `tuples` carry the very texts (the same buffers) of `tokens`.
bool sameBuffers(const QelArray<QelBomDataTuple>& tuples, const std::vector<QelString>& tokens) {
  if (static_cast<size_t>(tuples.count()) != tokens.size()) return false;
  for (int i = 0; i < tuples.count(); ++i) {
    if (tuples[i].token().token().getStringW() != tokens[static_cast<size_t>(i)].getStringW())
      return false;
  }
  return true;
}

// Whether `tuples` carry the texts of `tokens`, in order (the very same texts
// compare equal at once).
bool sameTexts(const QelArray<QelBomDataTuple>& tuples, const std::vector<QelString>& tokens) {
  if (static_cast<size_t>(tuples.count()) != tokens.size()) return false;
  for (int i = 0; i < tuples.count(); ++i) {
    if (!(tuples[i].token().token() == tokens[static_cast<size_t>(i)])) return false;
  }
  return true;
}

// The first index of each token text in a row's tuples. A row of a few
// tuples is searched; one of many (a file of thousands of columns) is looked
// up in a table made once a plan, so that a plan costs time linear in the
// tuples.
class FirstIndex {
 public:
  explicit FirstIndex(const QelArray<QelBomDataTuple>& tuples) : tuples_(tuples) {
    if (tuples.count() <= kSearched) return;
    for (int i = 0; i < tuples.count(); ++i) table_.emplace(textOf(tuples[i].token().token()), i);
  }
  int of(const QelString& token) const {
    if (tuples_.count() > kSearched) {
      const auto found = table_.find(textOf(token));
      return found != table_.end() ? found->second : -1;
    }
    for (int i = 0; i < tuples_.count(); ++i) {
      if (tuples_[i].token().token() == token) return i;
    }
    return -1;
  }

 private:
  static constexpr int kSearched = 32;
  static std::u16string_view textOf(const QelString& text) {
    return std::u16string_view(text.getStringW(), static_cast<size_t>(text.length()));
  }
  const QelArray<QelBomDataTuple>& tuples_;
  std::unordered_map<std::u16string_view, int> table_;  // emplace keeps the first
};

// A new plan; built whole before it replaces a slot, so that running out of
// memory part way leaves no half-made plan behind.
Slot build(const QelBomTemplateItem& section, const QelBomDataRow& row) {
  const QelArray<QelBomDataTuple>& wanted = section.getData();
  const QelArray<QelBomDataTuple>& present = row.getData();
  Slot slot;
  for (const QelBomDataTuple& tuple : wanted) slot.sectionTokens.push_back(tuple.token().token());
  for (const QelBomDataTuple& tuple : present) slot.rowTokens.push_back(tuple.token().token());
  const FirstIndex firstIndex(present);
  for (const QelBomDataTuple& tuple : wanted) {
    const QelString& token = tuple.token().token();
    slot.plan.valueIndex.push_back(firstIndex.of(token));
    QelString summed;
    const bool sums = QelBomDataToken::summingRequestOf(token, summed) == 1;
    slot.plan.sumIndex.push_back(sums ? firstIndex.of(summed) : -1);
  }
  return slot;
}

std::unique_ptr<Slot[]>& slots() {
  thread_local std::unique_ptr<Slot[]> table;
  return table;
}

}  // namespace

const TupleLookupPlan& TupleLookup::planFor(const QelBomTemplateItem& section,
                                            const QelBomDataRow& row) {
  std::unique_ptr<Slot[]>& table = slots();
  if (table == nullptr) table.reset(new Slot[kSlots]);
  Slot& slot = table[qel_bom_foundation::pointerSlot(&section, kSlotBits)];
  if (!sameTexts(section.getData(), slot.sectionTokens)) {
    slot = build(section, row);
    return slot.plan;
  }
  const QelArray<QelBomDataTuple>& rowTuples = row.getData();
  if (sameBuffers(rowTuples, slot.rowTokens)) return slot.plan;
  for (const std::vector<QelString>& alias : slot.aliases) {
    // An unused alias is empty; a row without tuples matched rowTokens above.
    if (!alias.empty() && sameBuffers(rowTuples, alias)) return slot.plan;
  }
  if (!sameTexts(rowTuples, slot.rowTokens)) {
    slot = build(section, row);
    return slot.plan;
  }
  std::vector<QelString> alias;
  for (const QelBomDataTuple& tuple : rowTuples) alias.push_back(tuple.token().token());
  slot.aliases[slot.nextAlias++ % kAliases] = std::move(alias);
  return slot.plan;
}

void TupleLookup::clear() { slots().reset(); }

}  // namespace qel_bom_engine
