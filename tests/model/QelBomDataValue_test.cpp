#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "QelBomValues.h"

namespace {

using Value = QelBomDataValue;

int intOf(const Value& v) { return *static_cast<const int*>(v.data()); }
std::string textOf(const Value& v) { return static_cast<const QelString*>(v.data())->toUtf8(); }

TEST(QelBomDataValueTest, CompareAndAsString) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Value text(QelString(u"Mat1"));
  const std::tuple<Value, Value, int> cases[] = {
      {Value(3), Value(3.0), -1},   {Value(3.0), Value(3), -1},  {Value(), Value(), 0},
      {Value(), Value(1), -1},      {Value(1), Value(), -1},     {text, Value(), -1},
      {Value(1), Value(2), -1},     {Value(2), Value(1), 1},     {Value(-5), Value(-5), 0},
      {Value(1.5), Value(2.5), -1}, {Value(2.5), Value(1.5), 1}, {Value(2.5), Value(2.5), 0},
      {Value(nan), Value(1.0), 0},  {Value(1.0), Value(nan), 0}, {text, text, 0}};
  for (const auto& [a, b, expected] : cases) {
    EXPECT_EQ(a.compare(b), expected) << a.asString().toUtf8() << " vs " << b.asString().toUtf8();
  }
  // Texts pass QelString::compare on unchanged.
  const QelString mat3(u"Mat3");
  EXPECT_EQ(text.compare(Value(mat3)), QelString::compare(QelString(u"Mat1"), mat3));
  EXPECT_LT(text.compare(Value(mat3)), 0);
  EXPECT_GT(Value(mat3).compare(text), 0);

  // clang-format off
  const std::pair<Value, const char*> texts[] = {
      {Value(-7), "-7"}, {Value(0.5), "0.5"}, {Value(200.2), "200.2"},
      {Value(1234567.0), "1.23457e+06"}, {Value(QelString(u"x y")), "x y"}, {Value(), ""}};
  // clang-format on
  for (const auto& t : texts) EXPECT_EQ(t.first.asString().toUtf8(), t.second);
}

TEST(QelBomDataValueTest, AssignmentAndOwnership) {
  Value value(QelString(u"keep"));
  EXPECT_EQ(value.type(), Value::kStringDataValue);
  const Value none;
  value = none;  // an empty source changes nothing
  EXPECT_EQ(textOf(value), "keep");
  value = Value(5);
  EXPECT_EQ(value.type(), Value::kIntDataValue);
  EXPECT_EQ(intOf(value), 5);
  value.set(QelString(u"again"));
  EXPECT_EQ(textOf(value), "again");
  value.set(2.5);
  EXPECT_EQ(value.type(), Value::kDoubleDataValue);

  Value self(QelString(u"self"));
  Value& alias = self;
  self = alias;
  EXPECT_EQ(textOf(self), "self");
  self.set(*static_cast<const QelString*>(self.data()));
  EXPECT_EQ(textOf(self), "self");

  Value original(QelString(u"one"));
  Value copy(original);
  EXPECT_NE(copy.data(), original.data());
  original.set(QelString(u"two"));
  EXPECT_EQ(textOf(copy), "one");
  EXPECT_EQ(Value(none).type(), Value::kUnkDataValueType);

  Value target(std::move(original));
  EXPECT_EQ(textOf(target), "two");
  EXPECT_EQ(original.data(), nullptr);  // NOLINT(bugprone-use-after-move): moves empty
  Value number(4);
  target = std::move(number);
  EXPECT_EQ(intOf(target), 4);
  EXPECT_EQ(number.type(), Value::kUnkDataValueType);  // NOLINT(bugprone-use-after-move)
  target = Value();  // moving an empty value changes nothing either
  EXPECT_EQ(intOf(target), 4);
}

TEST(QelBomDataValueTest, TypedAccessorsReadTheCurrentContent) {
  Value value(-12);
  EXPECT_EQ(intValueOf(value), -12);
  value.set(-0.0);
  EXPECT_TRUE(std::signbit(doubleValueOf(value)));
  value.set(QelString(u"S355"));
  EXPECT_EQ(textValueOf(value).toUtf8(), "S355");
  EXPECT_EQ(&textValueOf(value), value.data());  // the value's own text, not a copy
  value.set(2147483647);
  EXPECT_EQ(intValueOf(value), 2147483647);
}

TEST(QelBomDataTupleTest, Assignment) {
  // Assignment takes token and used mark; an empty value keeps the old value.
  QelBomDataTuple target(QelString(u"%PosNum"), 3);
  QelBomDataTuple blank;
  blank.setToken(QelString(u"%Blank"));
  blank.setUsed(2);
  target = blank;
  EXPECT_EQ(target.token().token().toUtf8(), "%Blank");
  EXPECT_EQ(target.used(), 2);
  EXPECT_EQ(target.value().asString().toUtf8(), "3");
  target = QelBomDataTuple(QelString(u"%Qty"), 9);
  EXPECT_EQ(target.used(), 0);
  EXPECT_EQ(target.value().asString().toUtf8(), "9");
}

}  // namespace
