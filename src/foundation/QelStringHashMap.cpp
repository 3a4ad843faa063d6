// QelStringHashMap: chained buckets whose heads live in a QelArray; nodes are
// single-element allocations of the roots library's array memory.
#include "QelStringHashMap.h"

#include <climits>
#include <new>

#include "QelMemoryControllerController.h"

namespace {

using Entry = QelStringHashMap::Entry;

// Bucket counts, ascending.
const unsigned int kPrimes[] = {
    53u,        97u,        193u,       389u,       769u,        1543u,       3079u,
    6151u,      12289u,     24593u,     49157u,     98317u,      196613u,     393241u,
    786433u,    1572869u,   3145739u,   6291469u,   12582917u,   25165843u,   50331653u,
    100663319u, 201326611u, 402653189u, 805306457u, 1610612741u, 3221225473u, 4294967291u,
};

// The largest table prime that fits the int bucket count.
constexpr long long kLargestIntPrime = 1610612741;

// The first table prime that is at least n, or the last one when n exceeds
// them all; clamped to kLargestIntPrime.
long long primeAtLeast(long long n) {
  for (unsigned int prime : kPrimes) {
    if (prime >= n) return prime < kLargestIntPrime ? prime : kLargestIntPrime;
  }
  return kLargestIntPrime;
}

// Sets `buckets` to `count` null heads, growing its storage once, in whole grow
// steps, when it has fewer slots. The current heads are dropped, not freed.
void setEmptyBuckets(QelArray<Entry*>& buckets, int count) {
  buckets.removeAll();
  if (count > buckets.capacity()) {
    const long long step = buckets.growBy();
    const long long rounded = ((static_cast<long long>(count) - 1) / step + 1) * step;
    buckets.setCapacity(rounded > INT_MAX ? count : static_cast<int>(rounded));
    if (buckets.capacity() < count) throw std::bad_alloc();
  }
  for (int i = 0; i < count; ++i) buckets.append(nullptr);
}

Entry* newEntry(Entry* next, const QelString& key, int value) {
  int one = 1;
  unsigned long long size = sizeof(Entry);
  unsigned char* raw = QelMemoryControllerController::allocateArray(one, size);
  if (raw == nullptr) throw std::bad_alloc();
  return new (raw) Entry{next, key, value};
}

// The bucket of `key` among `count` buckets.
int bucketIndex(const QelString& key, int count) {
  return static_cast<int>(QelStringHashMap::hash(key) % static_cast<unsigned int>(count));
}

void deleteEntry(Entry* entry) {
  entry->~Entry();
  unsigned char* raw = reinterpret_cast<unsigned char*>(entry);
  QelMemoryControllerController::deallocateArray(raw);
}

}  // namespace

QelStringHashMap::QelStringHashMap() : m_nEntries(0) {
  setEmptyBuckets(m_arrBuckets, static_cast<int>(primeAtLeast(1)));
}

// Starts from no buckets at all, so the copy's bucket array is sized to the
// source's bucket count.
QelStringHashMap::QelStringHashMap(const QelStringHashMap& other) : m_nEntries(0) {
  try {
    *this = other;
  } catch (...) {
    clear();
    throw;
  }
}

QelStringHashMap& QelStringHashMap::operator=(const QelStringHashMap& other) {
  if (this == &other) return *this;
  clear();
  setEmptyBuckets(m_arrBuckets, other.bucketCount());
  for (int b = 0; b < other.bucketCount(); ++b) {
    Entry** tail = &m_arrBuckets[b];
    for (const Entry* from = other.m_arrBuckets[b]; from != nullptr; from = from->m_pNext) {
      *tail = newEntry(nullptr, from->m_key, from->m_value);
      tail = &(*tail)->m_pNext;
      ++m_nEntries;
    }
  }
  return *this;
}

QelStringHashMap::~QelStringHashMap() { clear(); }

unsigned int QelStringHashMap::hash(const QelString& key) {
  unsigned int h = 0;
  const char16_t* text = key.getStringW();
  const int length = key.length();
  for (int i = 0; i < length; ++i) h = h * 5u + static_cast<unsigned int>(text[i]);
  return h;
}

std::pair<QelStringHashMap::Entry*, bool> QelStringHashMap::insert(const QelString& key,
                                                                   int value) {
  resize(static_cast<long long>(m_nEntries) + 1);
  Entry*& head = m_arrBuckets[bucketIndex(key, bucketCount())];
  for (Entry* at = head; at != nullptr; at = at->m_pNext) {
    if (at->m_key == key) return {at, false};
  }
  head = newEntry(head, key, value);
  ++m_nEntries;
  return {head, true};
}

QelStringHashMap::Entry* QelStringHashMap::find(const QelString& key) {
  const QelStringHashMap* self = this;
  return const_cast<Entry*>(self->find(key));
}

const QelStringHashMap::Entry* QelStringHashMap::find(const QelString& key) const {
  if (bucketCount() == 0) return nullptr;
  for (const Entry* at = m_arrBuckets[bucketIndex(key, bucketCount())]; at != nullptr;
       at = at->m_pNext) {
    if (at->m_key == key) return at;
  }
  return nullptr;
}

void QelStringHashMap::clear() {
  for (int b = 0; b < bucketCount(); ++b) {
    Entry* at = m_arrBuckets[b];
    while (at != nullptr) {
      Entry* next = at->m_pNext;
      deleteEntry(at);
      at = next;
    }
    m_arrBuckets[b] = nullptr;
  }
  m_nEntries = 0;
}

void QelStringHashMap::resize(long long n) {
  const int oldCount = bucketCount();
  if (n <= oldCount) return;
  const long long prime = primeAtLeast(n);
  if (prime <= oldCount) return;

  QelArray<Entry*> fresh(m_arrBuckets.growBy());
  const int newCount = static_cast<int>(prime);
  setEmptyBuckets(fresh, newCount);
  for (int b = 0; b < oldCount; ++b) {
    Entry* at = m_arrBuckets[b];
    while (at != nullptr) {
      Entry* next = at->m_pNext;
      Entry*& head = fresh[bucketIndex(at->m_key, newCount)];
      at->m_pNext = head;
      head = at;
      at = next;
    }
  }
  m_arrBuckets = std::move(fresh);
}
