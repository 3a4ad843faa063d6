#include <limits>

#include <gtest/gtest.h>

#include "QelBomData.h"
#include "QelBomItems.h"

namespace {

QelArray<QelString> tokens(std::initializer_list<const char16_t*> list) {
  QelArray<QelString> a;
  for (const char16_t* t : list) a.append(QelString(t));
  return a;
}

QelBomDataRow rowWith(const QelBomDataTuple& tuple) {
  QelBomDataRow row;
  row.addData(tuple);
  return row;
}

TEST(QelBomDataRowTest, NewRow) {
  QelBomDataRow row;
  EXPECT_EQ(row.getUseThisDataForSums(), 1);
  EXPECT_TRUE(row.objectHandle().isEmpty());
  EXPECT_EQ(row.EqualPartObjectHandles().count(), 0);
  EXPECT_EQ(row.child(), nullptr);
  EXPECT_EQ(row.next(), nullptr);
  row.setUseThisDataForSums(5);
  EXPECT_EQ(row.getUseThisDataForSums(), 5);
}

TEST(QelBomDataRowTest, CompareTable) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const QelString w(u"%W");
  struct Case {
    const char* name;
    QelBomDataRow a;
    QelBomDataRow b;
    int expected;
  };
  const Case cases[] = {
      {"both absent", QelBomDataRow(), QelBomDataRow(), 0},
      {"this absent", QelBomDataRow(), rowWith({w, 1}), -1},
      {"other absent", rowWith({w, 1}), QelBomDataRow(), 1},
      {"int vs real", rowWith({w, 3}), rowWith({w, 3.0}), -1},
      {"real vs int", rowWith({w, 3.0}), rowWith({w, 3}), -1},
      {"text vs int", rowWith({w, QelString(u"3")}), rowWith({w, 3}), -1},
      {"ints less", rowWith({w, 1}), rowWith({w, 2}), -1},
      {"ints greater", rowWith({w, 2}), rowWith({w, 1}), 1},
      {"ints equal", rowWith({w, 2}), rowWith({w, 2}), 0},
      {"reals less", rowWith({w, 1.5}), rowWith({w, 2.5}), -1},
      {"reals greater", rowWith({w, 2.5}), rowWith({w, 1.5}), 1},
      {"NaN left", rowWith({w, nan}), rowWith({w, 2.5}), 0},
      {"NaN right", rowWith({w, 2.5}), rowWith({w, nan}), 0},
      {"texts equal", rowWith({w, QelString(u"a")}), rowWith({w, QelString(u"a")}), 0},
      {"empty values", rowWith(QelBomDataTuple()), rowWith(QelBomDataTuple()), 0},
  };
  const QelArray<QelString> byW = tokens({u"%W", u"%Other"});
  for (const Case& c : cases) {
    QelBomDataRow a(c.a);
    QelBomDataRow b(c.b);
    EXPECT_EQ(a.compare(&b, byW), c.expected) << c.name;
  }
  QelBomDataRow x = rowWith({w, 1});
  QelBomDataRow y = rowWith({w, 2});
  EXPECT_EQ(x.compare(&y, QelArray<QelString>()), 0);

  // Texts pass QelString::compare on unchanged.
  const QelString s1(u"Mat1");
  const QelString s4(u"Mat4");
  QelBomDataRow t1 = rowWith({w, s1});
  QelBomDataRow t4 = rowWith({w, s4});
  EXPECT_EQ(t1.compare(&t4, byW), QelString::compare(s1, s4));
  EXPECT_EQ(t4.compare(&t1, byW), QelString::compare(s4, s1));
  EXPECT_LT(t1.compare(&t4, byW), 0);
}

TEST(QelBomDataRowTest, LaterTokensDecideWhenEarlierAreEqual) {
  QelBomDataRow a;
  a.addData(QelBomDataTuple(QelString(u"%P"), 1));
  a.addData(QelBomDataTuple(QelString(u"%W"), 10.0));
  a.addData(QelBomDataTuple(QelString(u"%W"), 99.0));  // only the first %W counts
  QelBomDataRow b;
  b.addData(QelBomDataTuple(QelString(u"%W"), 20.0));
  b.addData(QelBomDataTuple(QelString(u"%P"), 1));
  EXPECT_EQ(a.compare(&b, tokens({u"%P", u"%W"})), -1);
  EXPECT_EQ(b.compare(&a, tokens({u"%P", u"%W"})), 1);
  EXPECT_EQ(a.compare(&b, tokens({u"%P", u"%Missing", u"%P"})), 0);
  EXPECT_EQ(a.compare(&b, tokens({u"%p", u"%W"})), -1);  // tokens match exactly
}

TEST(QelBomDataRowTest, CopyAssignAndSetFrom) {
  QelArray<QelString> equal;
  equal.append(QelString(u"8"));
  QelBomDataRow source;
  source.setObjectHandle(QelString(u"7"));
  source.setEqualPartObjectHandles(equal);
  source.setUseThisDataForSums(0);
  source.addData(QelBomDataTuple(QelString(u"%P"), 3));

  // setFrom on the second child of a data set keeps it the second child.
  QelBomData set;
  QelBomDataRow* first = new QelBomDataRow();
  QelBomDataRow* second = new QelBomDataRow();
  QelBomDataRow* third = new QelBomDataRow();
  set.addChild(first);
  set.addChild(second);
  set.addChild(third);
  QelBomDataRow* grandChild = new QelBomDataRow();
  second->addChild(grandChild);
  second->setFrom(&source);
  EXPECT_EQ(first->next(), second);
  EXPECT_EQ(second->next(), third);
  EXPECT_EQ(second->child(), grandChild);
  EXPECT_EQ(second->objectHandle().toUtf8(), "7");
  EXPECT_EQ(second->EqualPartObjectHandles()[0].toUtf8(), "8");
  EXPECT_EQ(second->getUseThisDataForSums(), 0);
  EXPECT_EQ(second->getData().count(), 1);

  // operator= copies the links too: a row without links leaves none.
  *second = source;
  EXPECT_EQ(second->next(), nullptr);
  EXPECT_EQ(second->child(), nullptr);
  EXPECT_EQ(second->objectHandle().toUtf8(), "7");
  second->setNext(third);
  second->addChild(grandChild);

  QelBomDataRow copy(*second);
  EXPECT_EQ(copy.next(), third);
  EXPECT_EQ(copy.child(), grandChild);
  EXPECT_EQ(copy.getUseThisDataForSums(), 0);
  source.setObjectHandle(QelString(u"changed"));
  EXPECT_EQ(copy.objectHandle().toUtf8(), "7");

  set.empty();
}

}  // namespace
