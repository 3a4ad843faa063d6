#include "engine/QelBomRepeatedLine.h"

#include <algorithm>
#include <vector>

#include "engine/QelBomTupleLookup.h"
#include "model/QelBomComparison.h"

namespace qel_bom_engine {
namespace {

// The value `tuples[at]` gives a section tuple: null when there is none (no
// tuple, or one without a value), and the template's value stays.
const QelBomDataValue* sourceValue(const QelArray<QelBomDataTuple>& tuples, int at) {
  if (at < 0) return nullptr;
  const QelBomDataValue& value = tuples[at].value();
  return value.type() == QelBomDataValue::kUnkDataValueType ? nullptr : &value;
}

// Whether two sources fill a tuple alike: both leave it, or the same type and
// the same content (reals bit for bit, so that -0 and 0 stay apart).
bool sameSource(const QelBomDataValue* a, const QelBomDataValue* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return qel_bom_model::compareValues<qel_bom_model::SameContent>(*a, *b) == 0;
}

}  // namespace

bool repeatsLastLine(const QelBomDataRow& row, const QelArray<QelBomEngineState>& stack,
                     int level) {
  if (level == 0) return false;
  const QelBomEngineState& state = stack[level];
  const QelBomTemplateItem* section = state.m_pTemplateItem;
  if (section == nullptr || section->type() != QelBomTemplateItem::kDetails ||
      state.m_pNextTemplateItem != nullptr) {
    return false;
  }
  const QelBomItemBase* parent = stack[level - 1].m_pEvaluatedItem;
  if (parent == nullptr || parent->lastChild() == nullptr) return false;
  const QelBomDataRow* previous =
      static_cast<const QelBomTemplateItem*>(parent->lastChild())->getFirstDataRow();
  if (previous == nullptr) return false;

  constexpr int kMaxTuples = 32;
  const int count = section->getData().count();
  if (count > kMaxTuples) return false;
  int found[kMaxTuples];
  const std::vector<int>& plan = TupleLookup::planFor(*section, row).valueIndex;
  std::copy(plan.begin(), plan.end(), found);  // the next plan may reuse the storage
  const std::vector<int>& before = TupleLookup::planFor(*section, *previous).valueIndex;
  for (int i = 0; i < count; ++i) {
    if (!sameSource(sourceValue(row.getData(), found[i]),
                    sourceValue(previous->getData(), before[static_cast<size_t>(i)]))) {
      return false;
    }
  }
  return true;
}

void markCopiedTuplesUsed(QelBomDataRow& row, const QelBomTemplateItem& section) {
  const std::vector<int>& found = TupleLookup::planFor(section, row).valueIndex;
  QelArray<QelBomDataTuple>& tuples = row.getData();
  for (int at : found) {
    if (sourceValue(tuples, at) != nullptr) tuples[at].setUsed(1);
  }
}

}  // namespace qel_bom_engine
