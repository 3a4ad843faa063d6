#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "QelBomData.h"
#include "QelBomItems.h"

namespace {

QelArray<QelString> tokens(std::initializer_list<const char16_t*> list) {
  QelArray<QelString> a;
  for (const char16_t* t : list) a.append(QelString(t));
  return a;
}

QelBomDataRow rowWith(std::initializer_list<QelBomDataTuple> tuples) {
  QelBomDataRow row;
  for (const QelBomDataTuple& t : tuples) row.addData(t);
  return row;
}

// A row holding one %W tuple.
template <class V>
QelBomDataRow r(V value) {
  return rowWith({{QelString(u"%W"), value}});
}

TEST(QelBomDataRowTest, CompareTable) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const QelBomDataRow none, noValue = rowWith({QelBomDataTuple()});
  const QelString w(u"%W"), mat1(u"Mat1"), mat4(u"Mat4");
  // Values of different types compare -1 both ways; NaN compares equal; texts
  // pass QelString::compare on unchanged.
  // clang-format off
  const std::tuple<QelBomDataRow, QelBomDataRow, int> cases[] = {
      {none, none, 0},          {none, r(1), -1},         {r(1), none, 1},
      {r(3), r(3.0), -1},       {r(3.0), r(3), -1},       {r(QelString(u"3")), r(3), -1},
      {r(1), r(2), -1},         {r(2), r(1), 1},          {r(2), r(2), 0},
      {r(1.5), r(2.5), -1},     {r(2.5), r(1.5), 1},      {r(nan), r(2.5), 0},
      {r(2.5), r(nan), 0},      {noValue, noValue, 0},    {r(mat1), r(mat1), 0},
      {r(mat1), r(mat4), QelString::compare(mat1, mat4)},
      {r(mat4), r(mat1), QelString::compare(mat4, mat1)}};
  // clang-format on
  const QelArray<QelString> byW = tokens({u"%W", u"%Other"});
  int index = 0;
  for (const auto& [rowA, rowB, expected] : cases) {
    QelBomDataRow a(rowA), b(rowB);
    EXPECT_EQ(a.compare(&b, byW), expected) << "case " << index++;
  }
  EXPECT_LT(QelString::compare(mat1, mat4), 0);
  QelBomDataRow x = rowWith({{w, 1}}), y = rowWith({{w, 2}});
  EXPECT_EQ(x.compare(&y, QelArray<QelString>()), 0);

  // Later tokens decide when earlier ones are equal; only the first %W counts.
  QelBomDataRow a = rowWith({{QelString(u"%P"), 1}, {w, 10.0}, {w, 99.0}});
  QelBomDataRow b = rowWith({{w, 20.0}, {QelString(u"%P"), 1}});
  EXPECT_EQ(a.compare(&b, tokens({u"%P", u"%W"})), -1);
  EXPECT_EQ(b.compare(&a, tokens({u"%P", u"%W"})), 1);
  EXPECT_EQ(a.compare(&b, tokens({u"%P", u"%Missing", u"%P"})), 0);
  EXPECT_EQ(a.compare(&b, tokens({u"%p", u"%W"})), -1);  // tokens match exactly
}

TEST(QelBomDataRowTest, CopyAssignAndSetFrom) {
  QelBomDataRow source = rowWith({{QelString(u"%P"), 3}});
  source.setObjectHandle(QelString(u"7"));
  source.setEqualPartObjectHandles(tokens({u"8"}));
  source.setUseThisDataForSums(0);

  // setFrom on the second child of a data set keeps it the second child.
  QelBomData set;
  QelBomDataRow* first = new QelBomDataRow();
  QelBomDataRow* second = new QelBomDataRow();
  QelBomDataRow* third = new QelBomDataRow();
  QelBomDataRow* grandChild = new QelBomDataRow();
  set.addChild(first);
  set.addChild(second);
  set.addChild(third);
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

// Assigning a row or a data set to itself changes nothing.
TEST(QelBomDataRowTest, SelfAssignmentChangesNothing) {
  QelBomDataRow next;
  QelBomDataRow row = rowWith({{QelString(u"%P"), 3}, {QelString(u"%M"), QelString(u"S355")}});
  row.setNext(&next);
  row.setObjectHandle(QelString(u"7"));
  row.setEqualPartObjectHandles(tokens({u"8", u"9"}));
  row.setUseThisDataForSums(0);
  QelBomDataRow& alias = row;
  row = alias;
  EXPECT_EQ(row.next(), &next);
  EXPECT_EQ(row.getData().count(), 2);
  EXPECT_EQ(row.getData()[1].value().asString().toUtf8(), "S355");
  EXPECT_EQ(row.objectHandle().toUtf8(), "7");
  EXPECT_EQ(row.EqualPartObjectHandles().count(), 2);
  EXPECT_EQ(row.getUseThisDataForSums(), 0);

  QelBomData data;
  data.addData(QelBomDataTuple(QelString(u"%Title"), QelString(u"BOM")));
  QelIntArray types;
  types.append(4);
  data.setTemplUsedTokensAndObjTypes(tokens({u"%P"}), types);
  QelBomData& same = data;
  data = same;
  EXPECT_EQ(data.getData()[0].value().asString().toUtf8(), "BOM");
  EXPECT_TRUE(data.isTokenRequired(QelString(u"%P")));
  EXPECT_TRUE(data.isItemPresent(static_cast<QelBomData::eSteelObjects>(4)));
}

}  // namespace
