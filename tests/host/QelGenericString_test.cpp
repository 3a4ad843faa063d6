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
  const auto& records = record.records();
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].kind, QelGenericString::kToken);
  EXPECT_EQ(records[1].kind, QelGenericString::kIntEntry);
  EXPECT_EQ(records[1].intValue, -3);
  EXPECT_EQ(records[2].kind, QelGenericString::kDoubleEntry);
  EXPECT_DOUBLE_EQ(records[2].doubleValue, 12.345);
  EXPECT_EQ(records[2].format.toUtf8(), "%.1f");
  EXPECT_EQ(records[4].kind, QelGenericString::kTextEntry);
  EXPECT_EQ(records[4].text.toUtf8(), "S235");
}

}  // namespace
