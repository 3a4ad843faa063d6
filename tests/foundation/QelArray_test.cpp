#include "QelArray.h"

#include <string>

#include <gtest/gtest.h>

#include "QelString.h"

namespace {

// Counts live objects, to check the slot construction and destruction of the
// object-copy policy.
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
  EXPECT_EQ(intsUpTo(8).capacity(), 8);
  QelIntArray nine = intsUpTo(9);
  EXPECT_EQ(nine.capacity(), 16);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(nine[i], i);
  EXPECT_EQ(intsUpTo(2001, 2000).capacity(), 4000);

  QelIntArray seven = intsUpTo(7);
  seven.appendArray(intsUpTo(3));
  seven.appendArray(QelIntArray());
  EXPECT_EQ(seven.count(), 10);
  EXPECT_EQ(seven.capacity(), 16);
  EXPECT_EQ(seven[7], 0);
  EXPECT_EQ(seven[9], 2);
  seven.appendArray(seven);  // appending an array to itself doubles it
  ASSERT_EQ(seven.count(), 20);
  EXPECT_EQ(seven[10], 0);
  EXPECT_EQ(seven[19], 2);
}

TEST(QelArrayTest, AppendGrowingDoublesAFullArray) {
  QelArray<QelString> texts(3);
  std::string capacities;
  for (int i = 0; i < 13; ++i) {
    texts.appendGrowing(QelString(std::to_string(i).c_str()));
    capacities += std::to_string(texts.capacity()) + " ";
  }
  // 3, then doubled and rounded up to the grow step: 6, 12, 24.
  EXPECT_EQ(capacities, "3 3 3 6 6 6 12 12 12 12 12 12 24 ");
  EXPECT_EQ(texts.growBy(), 3);
  EXPECT_EQ(texts[12].toUtf8(), "12");
}

TEST(QelArrayTest, CopyHasCapacityEqualToCountAndSourceGrowStep) {
  QelIntArray source(16);
  for (int i = 0; i < 5; ++i) source.append(i * 10);
  QelIntArray target = intsUpTo(30);
  target = source;
  QelIntArray constructed(source);
  for (const QelIntArray* copy : {&target, &constructed}) {
    EXPECT_EQ(copy->count(), 5);
    EXPECT_EQ(copy->capacity(), 5);
    EXPECT_EQ(copy->growBy(), 16);
    EXPECT_EQ((*copy)[4], 40);
    EXPECT_NE(copy->data(), source.data());
  }
  target = QelIntArray();
  EXPECT_EQ(target.capacity(), 0);
  EXPECT_EQ(target.data(), nullptr);
}

TEST(QelArrayTest, RemoveAllAndSetCapacity) {
  QelIntArray a = intsUpTo(9);
  const int* storage = a.data();
  a.removeAll();  // keeps the storage
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(a.capacity(), 16);
  for (int i = 0; i < 10; ++i) a.append(i);
  EXPECT_EQ(a.data(), storage);

  a.setCapacity(13);  // within (12, 16]: unchanged
  a.setCapacity(-1);
  EXPECT_EQ(a.capacity(), 16);
  EXPECT_EQ(a.data(), storage);
  a.setCapacity(4);  // shrinking drops the elements past the new end
  EXPECT_EQ(a.capacity(), 4);
  EXPECT_EQ(a.count(), 4);
  EXPECT_EQ(a[3], 3);
  a.setCapacity(0);
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(a.data(), nullptr);
  a.setCapacity(3);  // unused slots of new storage read 0 with the memory-copy policy
  EXPECT_EQ(a.data()[2], 0);
}

TEST(QelArrayTest, AppendingOwnElementWhenFull) {
  QelArray<QelString> a;
  for (int i = 0; i < 8; ++i) a.append(QelString(("element " + std::to_string(i)).c_str()));
  ASSERT_EQ(a.capacity(), 8);
  a.append(a[3]);
  ASSERT_EQ(a.count(), 9);
  EXPECT_EQ(a[8].toUtf8(), "element 3");
  EXPECT_EQ(a[3].toUtf8(), "element 3");

  QelIntArray ints = intsUpTo(8);
  ints.append(ints[7]);
  EXPECT_EQ(ints[8], 7);
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

}  // namespace
