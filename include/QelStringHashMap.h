// QelStringHashMap: a chained hash map from a QelString key to an int value.
//
// The bucket count is always a prime of a fixed table (53, 97, 193, ...,
// 4294967291); a new map has 53 buckets. Before every insertion the map makes
// room for one more entry, moving to the first table prime that is at least the
// new entry count once that count exceeds the bucket count, so chains stay
// short. Growing relinks the existing nodes and never copies keys.
//
// Hash: h = h * 5 + c over the 16-bit code units, modulo 2^32; bucket = h
// modulo the bucket count. Keys are equal when QelString::operator== says so.
//
// The map owns its nodes; copies are deep and keep the source's bucket count,
// entry count and the order of every chain. Not thread-safe.
#ifndef QEL_STRING_HASH_MAP_H_
#define QEL_STRING_HASH_MAP_H_

#include <utility>

#include "QelArray.h"
#include "QelString.h"
#include "VRKBomEngineExport.h"

class VRK_BOM_ENGINE_API QelStringHashMap {
 public:
  struct Entry {
    Entry* m_pNext;  // next node of the same chain
    QelString m_key;
    int m_value;

    const QelString& key() const { return m_key; }
    int value() const { return m_value; }
    void setValue(int value) { m_value = value; }
  };

  QelStringHashMap();
  QelStringHashMap(const QelStringHashMap& other);
  QelStringHashMap& operator=(const QelStringHashMap& other);
  ~QelStringHashMap();

  // Inserts `key` with `value` unless present. Returns the key's entry and true
  // when it is new; an existing entry keeps its value.
  std::pair<Entry*, bool> insert(const QelString& key, int value);
  // The entry of `key`, or null.
  Entry* find(const QelString& key);
  const Entry* find(const QelString& key) const;
  // Releases every node; the bucket count stays.
  void clear();
  // Makes room for `n` entries (see the class comment).
  void resize(long long n);

  int bucketCount() const { return m_arrBuckets.count(); }
  int bucketCapacity() const { return m_arrBuckets.capacity(); }
  int entryCount() const { return m_nEntries; }
  // The head of bucket `index`'s chain, or null. REQUIRES: 0 <= index < bucketCount().
  const Entry* bucketHead(int index) const { return m_arrBuckets[index]; }

  static unsigned int hash(const QelString& key);

 private:
  QelArray<Entry*> m_arrBuckets;  // one slot per bucket: the chain's head
  int m_nEntries;
};

#endif  // QEL_STRING_HASH_MAP_H_
