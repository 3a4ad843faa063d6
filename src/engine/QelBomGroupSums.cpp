#include "engine/QelBomGroupSums.h"

#include <climits>
#include <cmath>

#include "engine/QelBomTupleLookup.h"

namespace qel_bom_engine {
namespace {

// The accumulator as an int when an int is added to it. A real is truncated
// towards zero and clamped to the int range (NaN gives 0); a text or no value
// counts as 0.
int accumulatorAsInt(const QelBomDataValue& value) {
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      return intValueOf(value);
    case QelBomDataValue::kDoubleDataValue: {
      const double d = doubleValueOf(value);
      if (std::isnan(d)) return 0;
      if (d >= static_cast<double>(INT_MAX)) return INT_MAX;
      if (d <= static_cast<double>(INT_MIN)) return INT_MIN;
      return static_cast<int>(d);
    }
    default:
      return 0;
  }
}

// The accumulator as a real when a real is added to it; a text or no value
// counts as 0.
double accumulatorAsDouble(const QelBomDataValue& value) {
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      return static_cast<double>(intValueOf(value));
    case QelBomDataValue::kDoubleDataValue:
      return doubleValueOf(value);
    default:
      return 0.0;
  }
}

// Integer sums wrap around in two's complement instead of overflowing.
int wrappingAdd(int a, int b) {
  return static_cast<int>(static_cast<unsigned int>(a) + static_cast<unsigned int>(b));
}

void addToAccumulator(QelBomDataValue& accumulator, const QelBomDataValue& addend) {
  switch (addend.type()) {
    case QelBomDataValue::kIntDataValue:
      accumulator.set(wrappingAdd(accumulatorAsInt(accumulator), intValueOf(addend)));
      break;
    case QelBomDataValue::kDoubleDataValue:
      accumulator.set(accumulatorAsDouble(accumulator) + doubleValueOf(addend));
      break;
    default:  // texts and empty values are not summed
      break;
  }
}

bool hasSumTuple(const QelBomTemplateItem& section) {
  QelString summed;
  for (const QelBomDataTuple& tuple : section.getData()) {
    if (QelBomDataToken::summingRequestOf(tuple.token().token(), summed) == 1) return true;
  }
  return false;
}

}  // namespace

void addRowToSums(const QelBomTemplateItem& section, const QelBomDataRow& row,
                  QelArray<QelBomDataTuple>& sums) {
  if (row.getUseThisDataForSums() == 0) return;
  const std::vector<int>& found = TupleLookup::planFor(section, row).sumIndex;
  const QelArray<QelBomDataTuple>& rowTuples = row.getData();
  for (int i = 0; i < sums.count(); ++i) {
    const int at = found[static_cast<size_t>(i)];
    if (at >= 0) addToAccumulator(sums[i].value(), rowTuples[at].value());
  }
}

std::unique_ptr<QelBomTemplateItem> copySection(const QelBomTemplateItem& section) {
  std::unique_ptr<QelBomTemplateItem> item(new QelBomTemplateItem(section));
  item->setNext(nullptr);
  item->setChild(nullptr);
  return item;
}

RunningSums::RunningSums(const QelArray<QelBomEngineState>& stack)
    : StackRecord(stack), m_levels(static_cast<size_t>(stack.count())) {
  for (int level = 0; level + 1 < stack.count(); ++level) {
    const QelBomTemplateItem* section = stack[level].m_pNextTemplateItem;
    if (section == nullptr) continue;
    Level& entry = m_levels[static_cast<size_t>(level)];
    entry.section = section;
    entry.sums = hasSumTuple(*section);
  }
}

void RunningSums::open(int level) {
  Level& entry = m_levels[static_cast<size_t>(level)];
  entry.item = copySection(*entry.section);
}

void RunningSums::add(const QelBomDataRow& row) {
  if (row.getUseThisDataForSums() == 0) return;
  for (size_t level = 0; level < m_levels.size(); ++level) {
    Level& entry = m_levels[level];
    if (entry.sums && entry.item != nullptr && stack()[static_cast<int>(level)].m_groupOpen == 1) {
      addRowToSums(*entry.section, row, entry.item->getData());
    }
  }
}

QelBomTemplateItem* RunningSums::take(int level) {
  return m_levels[static_cast<size_t>(level)].item.release();
}

}  // namespace qel_bom_engine
