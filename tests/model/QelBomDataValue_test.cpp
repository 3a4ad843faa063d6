#include <cmath>
#include <limits>
#include <utility>

#include <gtest/gtest.h>

#include "QelBomValues.h"

namespace {

using Value = QelBomDataValue;

int intOf(const Value& v) { return *static_cast<const int*>(v.data()); }
double doubleOf(const Value& v) { return *static_cast<const double*>(v.data()); }
std::string textOf(const Value& v) { return static_cast<const QelString*>(v.data())->toUtf8(); }

TEST(QelBomDataValueTest, TypesAndContent) {
  Value empty;
  EXPECT_EQ(empty.type(), Value::kUnkDataValueType);
  EXPECT_EQ(empty.data(), nullptr);

  Value i(-7);
  EXPECT_EQ(i.type(), Value::kIntDataValue);
  EXPECT_EQ(intOf(i), -7);
  Value d(2.5);
  EXPECT_EQ(d.type(), Value::kDoubleDataValue);
  EXPECT_EQ(doubleOf(d), 2.5);
  Value s(QelString(u"Mat1"));
  EXPECT_EQ(s.type(), Value::kStringDataValue);
  EXPECT_EQ(textOf(s), "Mat1");

  s.set(3);
  EXPECT_EQ(s.type(), Value::kIntDataValue);
  EXPECT_EQ(intOf(s), 3);
  s.set(QelString(u"again"));
  EXPECT_EQ(textOf(s), "again");
}

TEST(QelBomDataValueTest, Compare) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    Value a;
    Value b;
    int expected;
  };
  const Case cases[] = {
      {Value(3), Value(3.0), -1},
      {Value(3.0), Value(3), -1},
      {Value(), Value(), 0},
      {Value(), Value(1), -1},
      {Value(1), Value(), -1},
      {Value(QelString(u"a")), Value(), -1},
      {Value(1), Value(2), -1},
      {Value(2), Value(1), 1},
      {Value(-5), Value(-5), 0},
      {Value(1.5), Value(2.5), -1},
      {Value(2.5), Value(1.5), 1},
      {Value(2.5), Value(2.5), 0},
      {Value(nan), Value(1.0), 0},
      {Value(1.0), Value(nan), 0},
      {Value(QelString(u"Mat1")), Value(QelString(u"Mat1")), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a.compare(c.b), c.expected)
        << c.a.asString().toUtf8() << " vs " << c.b.asString().toUtf8();
  }
  // Texts pass QelString::compare on unchanged.
  const QelString a(u"Mat1");
  const QelString b(u"Mat3");
  EXPECT_EQ(Value(a).compare(Value(b)), QelString::compare(a, b));
  EXPECT_LT(Value(a).compare(Value(b)), 0);
  EXPECT_GT(Value(b).compare(Value(a)), 0);
}

TEST(QelBomDataValueTest, AsString) {
  EXPECT_EQ(Value(-7).asString().toUtf8(), "-7");
  EXPECT_EQ(Value(0.5).asString().toUtf8(), "0.5");
  EXPECT_EQ(Value(200.2).asString().toUtf8(), "200.2");
  EXPECT_EQ(Value(1234567.0).asString().toUtf8(), "1.23457e+06");
  EXPECT_EQ(Value(QelString(u"x y")).asString().toUtf8(), "x y");
  EXPECT_TRUE(Value().asString().isEmpty());
}

TEST(QelBomDataValueTest, AssignmentAndOwnership) {
  Value text(QelString(u"keep"));
  text = Value();  // an empty source changes nothing
  EXPECT_EQ(textOf(text), "keep");
  text = Value(5);
  EXPECT_EQ(text.type(), Value::kIntDataValue);
  EXPECT_EQ(intOf(text), 5);

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

  const Value emptySource;
  Value emptyCopy(emptySource);
  EXPECT_EQ(emptyCopy.type(), Value::kUnkDataValueType);
}

TEST(QelBomDataValueTest, MoveTakesContentAndEmptiesSource) {
  Value source(QelString(u"moved"));
  Value target(std::move(source));
  EXPECT_EQ(textOf(target), "moved");
  EXPECT_EQ(source.type(), Value::kUnkDataValueType);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(source.data(), nullptr);                   // NOLINT(bugprone-use-after-move)

  Value number(4);
  target = std::move(number);
  EXPECT_EQ(intOf(target), 4);
  EXPECT_EQ(number.type(), Value::kUnkDataValueType);  // NOLINT(bugprone-use-after-move)

  Value empty;
  target = std::move(empty);  // like copying: an empty source changes nothing
  EXPECT_EQ(intOf(target), 4);
}

TEST(QelBomDataTupleTest, ConstructionCopyAndAssignment) {
  QelBomDataTuple weight(QelString(u"%Weight"), 12.5);
  EXPECT_EQ(weight.used(), 0);
  EXPECT_EQ(weight.value().type(), Value::kDoubleDataValue);
  EXPECT_EQ(weight.token().token().toUtf8(), "%Weight");

  QelBomDataTuple empty;
  EXPECT_EQ(empty.used(), 0);
  EXPECT_TRUE(empty.token().token().isEmpty());
  EXPECT_EQ(empty.value().type(), Value::kUnkDataValueType);

  auto* source = new QelBomDataTuple(QelString(u"%Material"), QelString(u"S235"));
  source->setUsed(1);
  auto* copy = new QelBomDataTuple(*source);
  EXPECT_EQ(copy->used(), 1);
  source->value().set(7);
  source->setToken(QelString(u"%Other"));
  EXPECT_EQ(copy->token().token().toUtf8(), "%Material");
  EXPECT_EQ(copy->value().asString().toUtf8(), "S235");
  delete source;
  EXPECT_EQ(copy->value().asString().toUtf8(), "S235");
  delete copy;

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
