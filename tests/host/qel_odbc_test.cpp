#include "qel_odbc.h"

#include <gtest/gtest.h>

namespace {

TEST(QelOdbcTest, GetSetClear) {
  const QelString name(u"C0_TestSetting");
  qel_odbc_clearDefault(name);
  int value = 7;
  EXPECT_EQ(qel_odbc_getDefault(name, value, true), 0);
  EXPECT_EQ(value, 7);  // absent leaves the value unchanged

  qel_odbc_setDefault(name, 0);
  EXPECT_EQ(qel_odbc_getDefault(name, value, true), 1);
  EXPECT_EQ(value, 0);
  qel_odbc_setDefault(name, 42);
  EXPECT_EQ(qel_odbc_getDefault(name, value, false), 1);
  EXPECT_EQ(value, 42);

  // Names match exactly.
  int other = -1;
  EXPECT_EQ(qel_odbc_getDefault(QelString(u"c0_testsetting"), other, true), 0);
  EXPECT_EQ(qel_odbc_getDefault(QelString(u"C0_TestSettin"), other, true), 0);
  EXPECT_EQ(other, -1);

  qel_odbc_clearDefault(name);
  qel_odbc_clearDefault(name);  // clearing an absent setting does nothing
  value = 5;
  EXPECT_EQ(qel_odbc_getDefault(name, value, true), 0);
  EXPECT_EQ(value, 5);
}

}  // namespace
