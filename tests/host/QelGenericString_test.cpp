#include "QelGenericString.h"

#include <gtest/gtest.h>

namespace {

TEST(QelGenericStringTest, RecordsInOrderAndListsThem) {
  QelGenericString record;
  EXPECT_TRUE(record.toText().isEmpty());
  record.addToken(QelString(u"%PosNum"));
  record.addEntry(QelString(u"%Count"), -3, 0);
  record.addEntry(QelString(u"%Weight"), 12.345, 0, QelString("%.1f"));
  record.addEntry(QelString(u"%Ratio"), 0.5, 0, QelString());
  record.addEntry(QelString(u"%Material"), QelString(u"S235"), 0);
  EXPECT_EQ(record.toText().toUtf8(),
            "%PosNum\n%Count=-3\n%Weight=12.3\n%Ratio=0.5\n%Material=S235");
  ASSERT_EQ(record.records().size(), 5u);
  EXPECT_EQ(record.records()[2].kind, QelGenericString::kDoubleEntry);
  EXPECT_DOUBLE_EQ(record.records()[2].doubleValue, 12.345);
}

}  // namespace
