#include "QelStringHashMap.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

QelString key(const char* text) { return QelString(text); }

// The keys of one chain, head first.
std::vector<std::string> chain(const QelStringHashMap& map, int bucket) {
  std::vector<std::string> keys;
  for (const QelStringHashMap::Entry* e = map.bucketHead(bucket); e != nullptr; e = e->m_pNext) {
    keys.push_back(e->key().toUtf8());
  }
  return keys;
}

// A single-character key, whose hash is its character code.
QelString charKey(char16_t c) {
  const char16_t text[] = {c, 0};
  return QelString(text);
}

TEST(QelStringHashMapTest, NewMapHas53Buckets) {
  QelStringHashMap map;
  EXPECT_EQ(map.bucketCount(), 53);
  EXPECT_EQ(map.bucketCapacity(), 56);
  EXPECT_EQ(map.entryCount(), 0);
  EXPECT_EQ(map.find(key("%Length")), nullptr);
}

TEST(QelStringHashMapTest, HashIsTimesFivePlusCodeUnit) {
  EXPECT_EQ(QelStringHashMap::hash(QelString()), 0u);
  EXPECT_EQ(QelStringHashMap::hash(key("ab")), 97u * 5u + 98u);
  // Wraps modulo 2^32.
  unsigned int h = 0;
  std::string longText(40, 'z');
  for (char c : longText) h = h * 5u + static_cast<unsigned char>(c);
  EXPECT_EQ(QelStringHashMap::hash(key(longText.c_str())), h);
}

TEST(QelStringHashMapTest, InsertIfAbsentAndExactKeys) {
  QelStringHashMap map;
  auto first = map.insert(key("%Length"), 1);
  EXPECT_TRUE(first.second);
  EXPECT_EQ(first.first->value(), 1);
  auto again = map.insert(key("%Length"), 2);
  EXPECT_FALSE(again.second);
  EXPECT_EQ(again.first, first.first);
  EXPECT_EQ(again.first->value(), 1);
  EXPECT_EQ(map.entryCount(), 1);

  EXPECT_EQ(map.find(key("%length")), nullptr);
  ASSERT_NE(map.find(key("%Length")), nullptr);
  EXPECT_EQ(map.find(key("%Length"))->key().toUtf8(), "%Length");

  const unsigned int h = QelStringHashMap::hash(key("%Length"));
  EXPECT_EQ(chain(map, static_cast<int>(h % 53u)), std::vector<std::string>{"%Length"});
}

TEST(QelStringHashMapTest, GrowsTo97AtThe54thKeyAndRelinksPushingFront) {
  QelStringHashMap map;
  // 'A' (65) and U+1456 (65 + 53 * 97) share a bucket both before and after
  // growing. Inserted in this order, the chain is U+1456, 'A'; relinking
  // pushes each node onto the new head, which reverses it.
  const char16_t far = static_cast<char16_t>(65 + 53 * 97);
  map.insert(charKey(u'A'), 1);
  map.insert(charKey(far), 2);
  ASSERT_EQ(chain(map, 65 % 53).size(), 2u);
  EXPECT_EQ(chain(map, 65 % 53)[1], "A");

  int inserted = 2;
  for (int i = 0; inserted < 53; ++i) {
    std::string text = "key" + std::to_string(i);
    const unsigned int h = QelStringHashMap::hash(key(text.c_str()));
    if (h % 53u == 65u % 53u || h % 97u == 65u) continue;
    ASSERT_TRUE(map.insert(key(text.c_str()), i).second);
    ++inserted;
  }
  EXPECT_EQ(map.bucketCount(), 53);
  // Making room happens before the lookup, even for a present key.
  map.insert(charKey(u'A'), 0);
  EXPECT_EQ(map.bucketCount(), 97);
  EXPECT_EQ(map.entryCount(), 53);
  EXPECT_EQ(map.bucketCapacity(), 104);
  ASSERT_EQ(chain(map, 65).size(), 2u);
  EXPECT_EQ(chain(map, 65)[0], "A");
  EXPECT_EQ(map.find(charKey(far))->value(), 2);
  for (int i = 0; i < 60; ++i) {
    std::string text = "key" + std::to_string(i);
    const QelStringHashMap::Entry* e = map.find(key(text.c_str()));
    if (e != nullptr) {
      EXPECT_EQ(e->value(), i);
    }
  }
}

TEST(QelStringHashMapTest, CopyKeepsBucketsEntriesAndChainOrder) {
  QelStringHashMap source;
  for (int i = 0; i < 300; ++i) source.insert(key(("k" + std::to_string(i)).c_str()), i);
  source.insert(charKey(u'A'), 1);
  source.insert(charKey(static_cast<char16_t>(65 + 389)), 2);
  ASSERT_EQ(source.bucketCount(), 389);

  QelStringHashMap copy(source);
  EXPECT_EQ(copy.bucketCount(), 389);
  EXPECT_EQ(copy.bucketCapacity(), 392);
  EXPECT_EQ(copy.entryCount(), 302);
  for (int b = 0; b < 389; ++b) ASSERT_EQ(chain(copy, b), chain(source, b)) << "bucket " << b;
  EXPECT_NE(copy.find(charKey(u'A')), source.find(charKey(u'A')));

  // Assigning a map with fewer buckets takes its bucket count.
  QelStringHashMap small;
  small.insert(key("x"), 5);
  copy = small;
  EXPECT_EQ(copy.bucketCount(), 53);
  EXPECT_EQ(copy.entryCount(), 1);
  EXPECT_EQ(copy.find(key("x"))->value(), 5);
  EXPECT_EQ(copy.find(key("k1")), nullptr);

  // Assigning a larger one grows the bucket array.
  small = source;
  EXPECT_EQ(small.bucketCount(), 389);
  EXPECT_EQ(small.entryCount(), 302);
  EXPECT_EQ(small.find(key("k299"))->value(), 299);

  small.clear();
  EXPECT_EQ(small.bucketCount(), 389);
  EXPECT_EQ(small.entryCount(), 0);
  EXPECT_EQ(small.find(key("k299")), nullptr);
  EXPECT_EQ(source.find(key("k299"))->value(), 299);
}

TEST(QelStringHashMapTest, ResizeUsesTablePrimes) {
  QelStringHashMap map;
  map.resize(53);
  EXPECT_EQ(map.bucketCount(), 53);
  map.resize(98);
  EXPECT_EQ(map.bucketCount(), 193);
  map.resize(100);
  EXPECT_EQ(map.bucketCount(), 193);
  map.resize(1000);
  EXPECT_EQ(map.bucketCount(), 1543);
}

}  // namespace
