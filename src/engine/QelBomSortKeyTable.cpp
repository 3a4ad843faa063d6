#include "engine/QelBomSortKeyTable.h"

#include <algorithm>
#include <cstring>

#include "model/QelBomComparison.h"

namespace qel_bom_engine {
namespace {

constexpr int kHeadUnits = 8;  // code units held in Key::head

// -1, 0 or 1 as `difference` is negative, zero or positive.
int signOf(int difference) { return (difference > 0) - (difference < 0); }

}  // namespace

SortKeyTable::SortKeyTable(const QelArray<QelString>& keys, const QelIntArray& orders,
                           bool textsByCodeUnits)
    : m_keyNames(keys),
      m_textsByCodeUnits(textsByCodeUnits),
      m_keyCount(keys.count()),
      m_rowCount(0) {
  for (int k = 0; k < m_keyCount; ++k) {
    m_descending.push_back(k < orders.count() && orders[k] != 1 ? 1 : 0);
  }
}

void SortKeyTable::add(const QelBomDataRow* row) {
  for (int k = 0; k < m_keyCount; ++k) m_keys.push_back(extract(row, m_keyNames[k]));
  ++m_rowCount;
}

SortKeyTable::Key SortKeyTable::extract(const QelBomDataRow* row, const QelString& key) const {
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
      result.intValue = intValueOf(value);
      break;
    case QelBomDataValue::kDoubleDataValue:
      result.doubleValue = doubleValueOf(value);
      break;
    case QelBomDataValue::kStringDataValue: {
      const QelString& text = textValueOf(value);
      result.length = text.length();
      if (!m_textsByCodeUnits) {
        result.type = kTextByCompare;
        result.string = &text;
        break;
      }
      result.text = text.getStringW();
      for (int i = 0; i < result.length && i < kHeadUnits; ++i) {
        result.head[i / 4] |= static_cast<unsigned long long>(result.text[i])
                              << (48 - 16 * (i % 4));
      }
      break;
    }
    default:
      break;
  }
  return result;
}

// Per key the verdict of qel_bom_model::compareOnToken, from the copies: ints
// and reals by the order of values itself, texts by their code units when
// that is the order of values.
int SortKeyTable::compareKeys(const Key& a, const Key& b) {
  using qel_bom_model::ValueOrder;
  if (!a.present) return b.present ? -1 : 0;
  if (!b.present) return 1;
  if (a.type != b.type) return -1;
  switch (a.type) {
    case QelBomDataValue::kIntDataValue:
      return ValueOrder::ints(a.intValue, b.intValue);
    case QelBomDataValue::kDoubleDataValue:
      return ValueOrder::reals(a.doubleValue, b.doubleValue);
    case QelBomDataValue::kStringDataValue: {
      if (a.head[0] != b.head[0]) return a.head[0] < b.head[0] ? -1 : 1;
      if (a.head[1] != b.head[1]) return a.head[1] < b.head[1] ? -1 : 1;
      if (a.length > kHeadUnits || b.length > kHeadUnits) {
        const int common = std::min(a.length, b.length);
        for (int i = kHeadUnits; i < common; ++i) {
          if (a.text[i] != b.text[i]) return a.text[i] < b.text[i] ? -1 : 1;
        }
      }
      return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    }
    case kTextByCompare:
      return signOf(ValueOrder::texts(*a.string, *b.string));
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
std::vector<int> SortKeyTable::sortRows(const std::vector<int>& rows) const {
  const int lead = std::min(m_keyCount, kLeadKeys);
  std::vector<Lead> leads(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    Lead& element = leads[i];
    const size_t first = static_cast<size_t>(rows[i]) * static_cast<size_t>(m_keyCount);
    for (int k = 0; k < lead; ++k) element.keys[k] = m_keys[first + static_cast<size_t>(k)];
    element.row = rows[i];
  }
  std::stable_sort(leads.begin(), leads.end(), [this, lead](const Lead& x, const Lead& y) {
    for (int k = 0; k < lead; ++k) {
      const int result = compareKeys(x.keys[k], y.keys[k]);
      if (result != 0) return directed(result, k) < 0;
    }
    return compareFrom(x.row, y.row, lead) < 0;
  });
  std::vector<int> order(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) order[i] = leads[i].row;
  return order;
}

std::vector<int> SortKeyTable::orderByRows() const {
  std::vector<int> rows(static_cast<size_t>(m_rowCount));
  for (int i = 0; i < m_rowCount; ++i) rows[static_cast<size_t>(i)] = i;
  return sortRows(rows);
}

std::vector<int> SortKeyTable::sortedOrder() const {
  return keysAreConsistent() ? orderByDistinctKeys() : orderByRows();
}

bool SortKeyTable::keysAreConsistent() const {
  std::vector<int> types(static_cast<size_t>(m_keyCount), -1);  // per column, -1: none seen
  const Key* key = m_keys.data();
  for (int row = 0; row < m_rowCount; ++row) {
    for (int k = 0; k < m_keyCount; ++k, ++key) {
      if (!key->present) continue;
      int& type = types[static_cast<size_t>(k)];
      if (type == -1) {
        if (key->type == kTextByCompare) return false;  // equal texts need not hash alike
        type = key->type;
      }
      if (key->type != type) return false;
      if (key->type == QelBomDataValue::kDoubleDataValue && key->doubleValue != key->doubleValue) {
        return false;  // a NaN equals every real
      }
    }
  }
  return true;
}

unsigned long long SortKeyTable::hashKey(const Key& key) {
  if (!key.present) return 0x51ed27;
  unsigned long long h = key.type;
  switch (key.type) {
    case QelBomDataValue::kIntDataValue:
      h = h * 0x100000001b3ull + static_cast<unsigned int>(key.intValue);
      break;
    case QelBomDataValue::kDoubleDataValue: {
      const double value = key.doubleValue == 0.0 ? 0.0 : key.doubleValue;  // -0 equals 0
      unsigned long long bits;
      std::memcpy(&bits, &value, sizeof(bits));
      h = h * 0x100000001b3ull + bits;
      break;
    }
    case QelBomDataValue::kStringDataValue:
      h = (h * 0x100000001b3ull + key.head[0]) * 0x100000001b3ull + key.head[1];
      h = h * 0x100000001b3ull + static_cast<unsigned int>(key.length);
      break;
    default:
      break;
  }
  return h;
}

bool SortKeyTable::sameKeys(int a, int b) const {
  const Key* keysA = &m_keys[static_cast<size_t>(a) * static_cast<size_t>(m_keyCount)];
  const Key* keysB = &m_keys[static_cast<size_t>(b) * static_cast<size_t>(m_keyCount)];
  for (int k = 0; k < m_keyCount; ++k) {
    if (!sameKey(keysA[k], keysB[k])) return false;
  }
  return true;
}

unsigned long long SortKeyTable::hashKeys(int row) const {
  const Key* keys = &m_keys[static_cast<size_t>(row) * static_cast<size_t>(m_keyCount)];
  unsigned long long h = 0xcbf29ce484222325ull;
  for (int k = 0; k < m_keyCount; ++k) h = (h ^ hashKey(keys[k])) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}

// Real models repeat whole key tuples many times (every instance of an
// assembly, every bolt of a position). With a strict weak order the stable
// order is: the distinct tuples in sorted order, each followed by its rows in
// input order. So the rows are grouped by equal keys (an open-addressing table
// of group leaders), the leaders are sorted, and the groups are laid out.
std::vector<int> SortKeyTable::orderByDistinctKeys() const {
  size_t capacity = 16;
  while (capacity < static_cast<size_t>(m_rowCount) * 2) capacity *= 2;
  std::vector<int> slots(capacity, -1);  // group number of each occupied slot
  std::vector<int> leaders;              // the first row of each group
  std::vector<int> lastOfGroup;          // the latest row of each group
  std::vector<int> nextInGroup(static_cast<size_t>(m_rowCount), -1);
  for (int row = 0; row < m_rowCount; ++row) {
    size_t at = static_cast<size_t>(hashKeys(row)) & (capacity - 1);
    while (slots[at] != -1 && !sameKeys(leaders[static_cast<size_t>(slots[at])], row)) {
      at = (at + 1) & (capacity - 1);
    }
    if (slots[at] == -1) {
      slots[at] = static_cast<int>(leaders.size());
      leaders.push_back(row);
      lastOfGroup.push_back(row);
    } else {
      const size_t group = static_cast<size_t>(slots[at]);
      nextInGroup[static_cast<size_t>(lastOfGroup[group])] = row;
      lastOfGroup[group] = row;
    }
  }
  // The leaders are distinct and in input order, so their stable order is the
  // order of the groups.
  const std::vector<int> sortedLeaders = sortRows(leaders);
  std::vector<int> order;
  order.reserve(static_cast<size_t>(m_rowCount));
  for (int leader : sortedLeaders) {
    for (int row = leader; row != -1; row = nextInGroup[static_cast<size_t>(row)]) {
      order.push_back(row);
    }
  }
  return order;
}

}  // namespace qel_bom_engine
