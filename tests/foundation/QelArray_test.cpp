#include "QelArray.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "QelString.h"

namespace {

using StringArray = QelArray<QelString>;

// Counts live objects so that the slot construction and destruction of the
// object-copy policy can be checked.
struct Counted {
  static int alive;
  int value = 0;
  Counted() { ++alive; }
  Counted(const Counted& other) : value(other.value) { ++alive; }
  Counted& operator=(const Counted&) = default;
  ~Counted() { --alive; }
};
int Counted::alive = 0;

QelIntArray intsUpTo(int n, int growBy = 8) {
  QelIntArray a(growBy);
  for (int i = 0; i < n; ++i) a.append(i);
  return a;
}

TEST(QelArrayTest, GrowsInWholeGrowSteps) {
  QelIntArray eight = intsUpTo(8);
  EXPECT_EQ(eight.count(), 8);
  EXPECT_EQ(eight.capacity(), 8);

  QelIntArray nine = intsUpTo(9);
  EXPECT_EQ(nine.count(), 9);
  EXPECT_EQ(nine.capacity(), 16);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(nine[i], i);

  QelIntArray big = intsUpTo(2001, 2000);
  EXPECT_EQ(big.capacity(), 4000);

  QelIntArray seven = intsUpTo(7);
  QelIntArray three = intsUpTo(3);
  seven.appendArray(three);
  EXPECT_EQ(seven.count(), 10);
  EXPECT_EQ(seven.capacity(), 16);
  EXPECT_EQ(seven[7], 0);
  EXPECT_EQ(seven[9], 2);

  QelIntArray empty;
  seven.appendArray(empty);
  EXPECT_EQ(seven.count(), 10);

  seven.appendArray(seven);  // appending an array to itself doubles it
  ASSERT_EQ(seven.count(), 20);
  EXPECT_EQ(seven[10], 0);
  EXPECT_EQ(seven[19], 2);
}

TEST(QelArrayTest, CopyHasCapacityEqualToCountAndSourceGrowStep) {
  QelIntArray source(16);
  for (int i = 0; i < 5; ++i) source.append(i * 10);
  ASSERT_EQ(source.capacity(), 16);

  QelIntArray target = intsUpTo(30);
  target = source;
  EXPECT_EQ(target.count(), 5);
  EXPECT_EQ(target.capacity(), 5);
  EXPECT_EQ(target.growBy(), 16);
  EXPECT_EQ(target[4], 40);
  EXPECT_NE(target.data(), source.data());

  QelIntArray constructed(source);
  EXPECT_EQ(constructed.count(), 5);
  EXPECT_EQ(constructed.capacity(), 5);

  target = QelIntArray();
  EXPECT_EQ(target.count(), 0);
  EXPECT_EQ(target.capacity(), 0);
  EXPECT_EQ(target.data(), nullptr);

  StringArray words;
  words.append(QelString(u"a"));
  StringArray copy(words);
  copy[0] = QelString(u"b");
  EXPECT_TRUE(words[0] == QelString(u"a"));
}

TEST(QelArrayTest, RemoveAllKeepsStorage) {
  QelIntArray a = intsUpTo(9);
  const int* storage = a.data();
  a.removeAll();
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(a.capacity(), 16);
  a.append(42);
  EXPECT_EQ(a.data(), storage);
  EXPECT_EQ(a[0], 42);
  EXPECT_EQ(a.capacity(), 16);
}

TEST(QelArrayTest, AppendingOwnElementWhenFull) {
  StringArray a;
  for (int i = 0; i < 8; ++i) {
    QelString s;
    s.format("element %d", i);
    a.append(s);
  }
  ASSERT_EQ(a.capacity(), 8);
  a.append(a[3]);
  ASSERT_EQ(a.count(), 9);
  EXPECT_EQ(a[8].toUtf8(), "element 3");
  EXPECT_EQ(a[3].toUtf8(), "element 3");

  QelIntArray ints = intsUpTo(8);
  ints.append(ints[7]);
  EXPECT_EQ(ints[8], 7);
}

TEST(QelArrayTest, SetCapacityRules) {
  QelIntArray a = intsUpTo(10);  // capacity 16
  const int* storage = a.data();
  a.setCapacity(13);  // within (12, 16]: unchanged
  EXPECT_EQ(a.capacity(), 16);
  EXPECT_EQ(a.data(), storage);
  a.setCapacity(-1);
  EXPECT_EQ(a.capacity(), 16);
  a.setCapacity(4);  // shrinking drops the elements past the new end
  EXPECT_EQ(a.capacity(), 4);
  EXPECT_EQ(a.count(), 4);
  EXPECT_EQ(a[3], 3);
  a.setCapacity(0);
  EXPECT_EQ(a.capacity(), 0);
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(a.data(), nullptr);

  // Unused slots of new storage read 0 with the memory-copy policy.
  a.setCapacity(3);
  EXPECT_EQ(a.data()[2], 0);
}

TEST(QelArrayTest, ObjectCopySlotsAreConstructedAndDestroyed) {
  Counted::alive = 0;
  {
    QelArray<Counted> a;
    Counted one;
    one.value = 7;
    a.append(one);  // capacity 8: every slot is constructed
    EXPECT_EQ(Counted::alive, 1 + 8);
    for (int i = 0; i < 8; ++i) a.append(one);
    EXPECT_EQ(Counted::alive, 1 + 16);
    QelArray<Counted> copy(a);
    EXPECT_EQ(Counted::alive, 1 + 16 + 9);
    EXPECT_EQ(copy[8].value, 7);
  }
  EXPECT_EQ(Counted::alive, 0);
}

TEST(QelArrayTest, CompareIntSortsAndSearchesInPlace) {
  const int minusFive = -5;
  const int three = 3;
  EXPECT_EQ(compareInt(&minusFive, &three), -1);
  EXPECT_EQ(compareInt(&three, &minusFive), 1);
  EXPECT_EQ(compareInt(&three, &three), 0);

  QelIntArray a;
  for (int v : {9, -5, 3, 0, -100}) a.append(v);
  std::qsort(a.data(), static_cast<size_t>(a.count()), sizeof(int), compareInt);
  const int expected[] = {-100, -5, 0, 3, 9};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a[i], expected[i]);
  const int key = 3;
  EXPECT_NE(std::bsearch(&key, a.data(), 5, sizeof(int), compareInt), nullptr);
}

}  // namespace
