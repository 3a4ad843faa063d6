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
  for (const char16_t* other : {u"c0_testsetting", u"C0_TestSettin"}) {
    EXPECT_EQ(qel_odbc_getDefault(QelString(other), value, true), 0);
  }
  EXPECT_EQ(value, 42);

  qel_odbc_clearDefault(name);
  qel_odbc_clearDefault(name);  // clearing an absent setting does nothing
  EXPECT_EQ(qel_odbc_getDefault(name, value, true), 0);
  EXPECT_EQ(value, 42);
}

}  // namespace
