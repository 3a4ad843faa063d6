#include "engine/QelBomSortKeyTable.h"

#include <algorithm>

namespace qel_bom_engine {
namespace {

constexpr int kHeadUnits = 8;  // code units held in Key::head

int sign(bool less, bool greater) { return less ? -1 : (greater ? 1 : 0); }

}  // namespace

SortKeyTable::SortKeyTable(const QelArray<QelString>& keys, const QelIntArray& orders)
    : m_keyNames(keys), m_keyCount(keys.count()), m_rowCount(0) {
  for (int k = 0; k < m_keyCount; ++k) {
    m_descending.push_back(k < orders.count() && orders[k] != 1 ? 1 : 0);
  }
}

void SortKeyTable::add(const QelBomDataRow* row) {
  for (int k = 0; k < m_keyCount; ++k) m_keys.push_back(extract(row, m_keyNames[k]));
  ++m_rowCount;
}

SortKeyTable::Key SortKeyTable::extract(const QelBomDataRow* row, const QelString& key) {
  Key result;
  result.type = QelBomDataValue::kUnkDataValueType;
  result.present = false;
  result.length = 0;
  result.head[0] = result.head[1] = 0;
  result.text = nullptr;
  const QelBomDataTuple* tuple = row != nullptr ? row->getTupleAt(key) : nullptr;
  if (tuple == nullptr) return result;
  const QelBomDataValue& value = tuple->value();
  result.present = true;
  result.type = static_cast<unsigned char>(value.type());
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      result.intValue = *static_cast<const int*>(value.data());
      break;
    case QelBomDataValue::kDoubleDataValue:
      result.doubleValue = *static_cast<const double*>(value.data());
      break;
    case QelBomDataValue::kStringDataValue: {
      const QelString& text = *static_cast<const QelString*>(value.data());
      result.text = text.getStringW();
      result.length = text.length();
      for (int i = 0; i < result.length && i < kHeadUnits; ++i) {
        result.head[i / 4] |= static_cast<unsigned long long>(result.text[i]) << (48 - 16 * (i % 4));
      }
      break;
    }
    default:
      break;
  }
  return result;
}

int SortKeyTable::compareKeys(const Key& a, const Key& b) {
  if (!a.present) return b.present ? -1 : 0;
  if (!b.present) return 1;
  if (a.type != b.type) return -1;
  switch (a.type) {
    case QelBomDataValue::kIntDataValue:
      return sign(a.intValue < b.intValue, a.intValue > b.intValue);
    case QelBomDataValue::kDoubleDataValue:
      return sign(b.doubleValue > a.doubleValue, a.doubleValue > b.doubleValue);
    case QelBomDataValue::kStringDataValue: {
      if (a.head[0] != b.head[0]) return a.head[0] < b.head[0] ? -1 : 1;
      if (a.head[1] != b.head[1]) return a.head[1] < b.head[1] ? -1 : 1;
      if (a.length > kHeadUnits || b.length > kHeadUnits) {
        const int common = std::min(a.length, b.length);
        for (int i = kHeadUnits; i < common; ++i) {
          if (a.text[i] != b.text[i]) return a.text[i] < b.text[i] ? -1 : 1;
        }
      }
      return sign(a.length < b.length, a.length > b.length);
    }
    default:
      return 0;
  }
}

int SortKeyTable::compareFrom(int a, int b, int from) const {
  const Key* keysA = &m_keys[static_cast<size_t>(a) * static_cast<size_t>(m_keyCount)];
  const Key* keysB = &m_keys[static_cast<size_t>(b) * static_cast<size_t>(m_keyCount)];
  for (int k = from; k < m_keyCount; ++k) {
    const int result = compareKeys(keysA[k], keysB[k]);
    if (result != 0) return directed(result, k);
  }
  return 0;
}

// The first keys travel with each element, so most comparisons read no other
// memory; the table is consulted for further keys only on a tie.
std::vector<int> SortKeyTable::sortedOrder() const {
  const int lead = std::min(m_keyCount, kLeadKeys);
  std::vector<Lead> leads(static_cast<size_t>(m_rowCount));
  for (int i = 0; i < m_rowCount; ++i) {
    Lead& element = leads[static_cast<size_t>(i)];
    for (int k = 0; k < lead; ++k) {
      element.keys[k] = m_keys[static_cast<size_t>(i) * m_keyCount + static_cast<size_t>(k)];
    }
    element.row = i;
  }
  if (m_keyCount > 0) {
    std::stable_sort(leads.begin(), leads.end(), [this, lead](const Lead& x, const Lead& y) {
      for (int k = 0; k < lead; ++k) {
        const int result = compareKeys(x.keys[k], y.keys[k]);
        if (result != 0) return directed(result, k) < 0;
      }
      return compareFrom(x.row, y.row, lead) < 0;
    });
  }
  std::vector<int> order(static_cast<size_t>(m_rowCount));
  for (int i = 0; i < m_rowCount; ++i) order[static_cast<size_t>(i)] = leads[static_cast<size_t>(i)].row;
  return order;
}

}  // namespace qel_bom_engine
