// SortKeyTable: the sort keys of a sequence of rows, looked up once per row and
// key, so that sorting compares compact keys instead of searching tuples.
//
// The order it gives is exactly that of compareRowsByKeys: per key, the
// verdict of qel_bom_model::compareOnToken (a row lacking the key orders
// first, values of different types give -1 whichever row comes first, ints
// and reals by value with a NaN equal to every real, texts as
// QelString::compare orders them); descending keys are negated; rows equal
// on every key keep their order (stable). The keys are copies of those
// verdicts' inputs, so that they can be compared without the rows.
//
// Texts: while QelString::compare orders by code units
// (QelString::comparesByCodeUnits()), a key holds a text's first eight code
// units packed into two words, so that most comparisons read no string, and
// equal keys can be found by hashing. Otherwise texts are compared with
// QelString::compare itself and every row is sorted.
#ifndef QEL_BOM_SORT_KEY_TABLE_H_
#define QEL_BOM_SORT_KEY_TABLE_H_

#include <vector>

#include "QelArray.h"
#include "QelBomItems.h"
#include "QelBomValues.h"
#include "QelString.h"

namespace qel_bom_engine {

class SortKeyTable {
 public:
  // REQUIRES: `keys` and `orders` outlive the table. `textsByCodeUnits`:
  // whether texts may be compared by their code units (the fast path); true
  // only when QelString::compare orders so.
  SortKeyTable(const QelArray<QelString>& keys, const QelIntArray& orders,
               bool textsByCodeUnits = QelString::comparesByCodeUnits());

  // Looks up the keys of the next row (rows are numbered from 0 in the order
  // they are added). The row must outlive the table and stay unchanged.
  void add(const QelBomDataRow* row);
  int rowCount() const { return m_rowCount; }

  // The row numbers in sorted order.
  std::vector<int> sortedOrder() const;
  // Orders row `a` against row `b` (row numbers) as the sort does: -1, 0 or
  // 1 by the first key that decides, in its direction.
  int compareRows(int a, int b) const { return compareFrom(a, b, 0); }

 private:
  // The type of a key holding a text that is compared with QelString::compare
  // (not a value type).
  static constexpr unsigned char kTextByCompare = 4;
  struct Key {
    // A QelBomDataValue::eBomDataValueType, or kTextByCompare;
    // kUnkDataValueType with present false when the row lacks the key.
    unsigned char type;
    bool present;
    int length;  // code units of a text
    // A text's first eight code units, four per word, the first unit in the
    // high bits and zeros past the end: comparing the words compares the units.
    // Zeros for kTextByCompare.
    unsigned long long head[2];
    union {
      int intValue;
      double doubleValue;
      const char16_t* text;     // kStringDataValue
      const QelString* string;  // kTextByCompare
    };
  };
  // The element that is sorted: a row's first keys with the row's number.
  static constexpr int kLeadKeys = 1;
  struct Lead {
    Key keys[kLeadKeys];
    int row;
  };

  // Whether every key column holds values of one type only, no NaN, and no
  // text compared by QelString::compare: then the order is a strict weak
  // order, rows with equal keys are equivalent and can be found by hashing.
  bool keysAreConsistent() const;
  // The stable order by sorting each distinct key tuple once (REQUIRES:
  // keysAreConsistent()).
  std::vector<int> orderByDistinctKeys() const;
  // The stable order by sorting every row.
  std::vector<int> orderByRows() const;
  // The given rows (row numbers) in their stable order.
  std::vector<int> sortRows(const std::vector<int>& rows) const;
  static bool sameKey(const Key& a, const Key& b) { return compareKeys(a, b) == 0; }
  static unsigned long long hashKey(const Key& key);
  bool sameKeys(int a, int b) const;
  unsigned long long hashKeys(int row) const;

  Key extract(const QelBomDataRow* row, const QelString& key) const;
  // The verdict of one key: -1, 0 or 1.
  static int compareKeys(const Key& a, const Key& b);
  // Compares rows a and b from key `from` on.
  int compareFrom(int a, int b, int from) const;
  int directed(int result, int key) const { return m_descending[key] ? -result : result; }

  const QelArray<QelString>& m_keyNames;
  bool m_textsByCodeUnits;
  int m_keyCount;
  int m_rowCount;
  std::vector<char> m_descending;
  std::vector<Key> m_keys;  // row-major: the keys of row i start at i * m_keyCount
};

}  // namespace qel_bom_engine

#endif  // QEL_BOM_SORT_KEY_TABLE_H_
