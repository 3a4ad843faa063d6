#include "QelStringHashMap.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

QelString key(const std::string& text) { return QelString(text.c_str()); }

// A single-character key, whose hash is its character code.
QelString charKey(int c) {
  const char16_t text[] = {static_cast<char16_t>(c), 0};
  return QelString(text);
}

// The keys of one chain, head first.
std::vector<std::string> chain(const QelStringHashMap& map, int bucket) {
  std::vector<std::string> keys;
  for (const QelStringHashMap::Entry* e = map.bucketHead(bucket); e != nullptr; e = e->m_pNext) {
    keys.push_back(e->key().toUtf8());
  }
  return keys;
}

TEST(QelStringHashMapTest, HashAndInsertIfAbsent) {
  EXPECT_EQ(QelStringHashMap::hash(QelString()), 0u);
  EXPECT_EQ(QelStringHashMap::hash(key("ab")), 97u * 5u + 98u);
  unsigned int h = 0;  // wraps modulo 2^32
  for (int i = 0; i < 40; ++i) h = h * 5u + 'z';
  EXPECT_EQ(QelStringHashMap::hash(key(std::string(40, 'z'))), h);

  QelStringHashMap map;
  EXPECT_EQ(map.bucketCount(), 53);
  EXPECT_EQ(map.find(key("%Length")), nullptr);
  auto first = map.insert(key("%Length"), 1);
  EXPECT_TRUE(first.second);
  auto again = map.insert(key("%Length"), 2);
  EXPECT_FALSE(again.second);
  EXPECT_EQ(again.first, first.first);
  EXPECT_EQ(again.first->value(), 1);
  EXPECT_EQ(map.entryCount(), 1);
  EXPECT_EQ(map.find(key("%length")), nullptr);
  EXPECT_EQ(map.find(key("%Length")), first.first);
  EXPECT_EQ(chain(map, static_cast<int>(QelStringHashMap::hash(key("%Length")) % 53u)),
            std::vector<std::string>{"%Length"});
}

TEST(QelStringHashMapTest, GrowsTo97AtThe54thKeyAndRelinksPushingFront) {
  QelStringHashMap map;
  // 'A' (65) and 65 + 53 * 97 share a bucket both before and after growing.
  // Inserted in this order, the chain is far, 'A'; relinking pushes each node
  // onto the new head, which reverses it.
  const int far = 65 + 53 * 97;
  map.insert(charKey('A'), 1);
  map.insert(charKey(far), 2);
  ASSERT_EQ(chain(map, 65 % 53).size(), 2u);
  EXPECT_EQ(chain(map, 65 % 53)[1], "A");
  for (int i = 0; map.entryCount() < 53; ++i) {
    const std::string text = "key" + std::to_string(i);
    const unsigned int h = QelStringHashMap::hash(key(text));
    if (h % 53u != 65u % 53u && h % 97u != 65u) map.insert(key(text), i);
  }
  EXPECT_EQ(map.bucketCount(), 53);
  // Making room happens before the lookup, even for a present key.
  map.insert(charKey('A'), 0);
  EXPECT_EQ(map.bucketCount(), 97);
  EXPECT_EQ(map.entryCount(), 53);
  EXPECT_EQ(map.bucketCapacity(), 104);
  const std::vector<std::string> grown = chain(map, 65);
  ASSERT_EQ(grown.size(), 2u);
  EXPECT_EQ(grown[0], "A");
  EXPECT_EQ(map.find(charKey(far))->value(), 2);
  for (int i = 0; i < 60; ++i) {
    const QelStringHashMap::Entry* e = map.find(key("key" + std::to_string(i)));
    if (e != nullptr) {
      EXPECT_EQ(e->value(), i);
    }
  }
  // Later sizes come from the prime table.
  const int sizes[][2] = {{53, 97}, {98, 193}, {100, 193}, {1000, 1543}};
  for (const auto& s : sizes) {
    map.resize(s[0]);
    EXPECT_EQ(map.bucketCount(), s[1]) << s[0];
  }
}

TEST(QelStringHashMapTest, CopyKeepsBucketsEntriesAndChainOrder) {
  QelStringHashMap source;
  for (int i = 0; i < 300; ++i) source.insert(key("k" + std::to_string(i)), i);
  source.insert(charKey('A'), 1);
  source.insert(charKey(65 + 389), 2);
  ASSERT_EQ(source.bucketCount(), 389);

  QelStringHashMap copy(source);
  EXPECT_EQ(copy.bucketCount(), 389);
  EXPECT_EQ(copy.bucketCapacity(), 392);
  EXPECT_EQ(copy.entryCount(), 302);
  for (int b = 0; b < 389; ++b) ASSERT_EQ(chain(copy, b), chain(source, b)) << "bucket " << b;
  EXPECT_NE(copy.find(charKey('A')), source.find(charKey('A')));

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
  EXPECT_EQ(small.find(key("k299"))->value(), 299);

  small.clear();
  EXPECT_EQ(small.bucketCount(), 389);
  EXPECT_EQ(small.entryCount(), 0);
  EXPECT_EQ(small.find(key("k299")), nullptr);
  EXPECT_EQ(source.find(key("k299"))->value(), 299);
}

}  // namespace
