// The row sort's key table against the verdict of one key on two rows. The
// table is internal to the library; this program compiles its source.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2TestPeer.h"
#include "engine/QelBomSortKeyTable.h"
#include "model/QelBomComparison.h"

using namespace engine_test;
using Peer = QelBomEvaluator2TestPeer;

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

// A row holding `tuple` for the key, unless it is null (the row lacks the
// key); it holds another token first, so the key is not simply the first.
RowPtr rowWith(const char* name, const QelBomDataTuple* tuple) {
  RowPtr row(makeRow(name, {{"%Other", 1}}));
  if (tuple != nullptr) row->addData(*tuple);
  return row;
}

// The values of the key that are paired with each other: absent, present
// without a value, ints, reals (signed zeros, infinities, a NaN, an int and a
// real of the same number), texts (empty, short, of exactly eight code units,
// longer ones with common prefixes, units above 0x7FFF, a zero unit at the
// end).
std::vector<std::unique_ptr<QelBomDataTuple>> keyValues() {
  const QelString key(u"%Key");
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<std::unique_ptr<QelBomDataTuple>> values;
  values.emplace_back(nullptr);
  values.emplace_back(new QelBomDataTuple());
  values.back()->setToken(key);
  for (int i : {INT_MIN, -1, 0, 3, INT_MAX}) values.emplace_back(new QelBomDataTuple(key, i));
  for (double d : {-inf, -2.5, -0.0, 0.0, 3.0, 1e-300, inf, std::nan("")}) {
    values.emplace_back(new QelBomDataTuple(key, d));
  }
  for (const char16_t* text :
       {u"", u"A", u"B", u"AB", u"ASSEMBLY", u"ASSEMBLZ", u"ASSEMBLY-00", u"ASSEMBLY-0001",
        u"ASSEMBLY-0002", u"ASSEMBLY-00010", u"\u00c4", u"\uffff", u"\U0001F600"}) {
    values.emplace_back(new QelBomDataTuple(key, QelString(text)));
  }
  values.emplace_back(new QelBomDataTuple(key, QelString(u"AB\0", 3)));
  return values;
}

}  // namespace

// For every pair of key values, in both directions and with texts compared by
// code units (the fast path) or by QelString::compare: the table orders the
// two rows as the key's verdict says (compareOnToken, the verdict of grouping,
// and compareDataRow, that of the sort), and sorts them accordingly.
TEST(QelBomSortKeyTableTest, KeyVerdictsAreThoseOfTheRowOrder) {
  const std::vector<std::unique_ptr<QelBomDataTuple>> values = keyValues();
  QelArray<QelString> keys;
  keys.append(QelString(u"%Key"));
  QelIntArray orders;
  orders.append(1);
  Peer::tokensToSortDataRow().removeAll();
  Peer::tokensToSortDataRow().append(keys[0]);
  Peer::sortOrderForDataRow().removeAll();
  Peer::sortOrderForDataRow().append(1);

  int pairs = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    for (size_t j = 0; j < values.size(); ++j) {
      const RowPtr a = rowWith("a", values[i].get()), b = rowWith("b", values[j].get());
      const int verdict = qel_bom_model::compareOnToken(a.get(), b.get(), keys[0]);
      EXPECT_EQ(a->compare(b.get(), keys), verdict);
      for (int ascending : {1, 0}) {
        orders[0] = ascending;
        Peer::sortOrderForDataRow()[0] = ascending;
        QelBomDataRow* pair[] = {a.get(), b.get()};
        const int directed = Peer::compareDataRow(&pair[0], &pair[1]);
        EXPECT_EQ(sign(directed), ascending ? sign(verdict) : -sign(verdict));
        const int flipped = Peer::compareDataRow(&pair[1], &pair[0]);
        for (bool byCodeUnits : {true, false}) {
          qel_bom_engine::SortKeyTable table(keys, orders, byCodeUnits);
          table.add(a.get());
          table.add(b.get());
          const std::string what = "pair " + std::to_string(i) + ", " + std::to_string(j) +
                                   (ascending ? " ascending" : " descending") +
                                   (byCodeUnits ? " by code units" : " by compare");
          EXPECT_EQ(table.compareRows(0, 1), sign(directed)) << what;
          // Stable: b goes first only when it orders before a.
          const std::vector<int> expected =
              flipped < 0 ? std::vector<int>{1, 0} : std::vector<int>{0, 1};
          EXPECT_EQ(table.sortedOrder(), expected) << what;
          ++pairs;
        }
      }
    }
  }
  EXPECT_EQ(pairs, 29 * 29 * 4);
}
