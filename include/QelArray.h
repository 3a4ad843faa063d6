// QelArray: a contiguous, index-addressed array that grows in whole grow steps.
//
//   QelArray<T, Reallocator, MemoryController>
//
// Growth: when an operation needs N elements and N exceeds the capacity, the
// capacity becomes the smallest multiple of the grow step (8 by default) that
// is at least N. Growth is linear, so an array that will hold many elements
// should be given a large grow step or have its capacity set up front.
//
// Copy rule: a copy (constructor or assignment) holds exactly the source's
// elements with capacity equal to count (no storage when empty) and takes the
// source's grow step. A move takes the source's storage as it is and leaves
// the source empty with no storage.
//
// Reallocators:
//   QelArrayObjectCopyReallocator<T>  every slot, used or not, holds a
//       constructed T (zero-filled, then default-constructed); elements are
//       copied by T's assignment.
//   QelArrayMemCopyReallocator<T>     plain values: zero-filled slots, bytewise
//       copies, nothing constructed or destroyed.
//
// Storage comes from QelMemoryControllerController. When storage cannot be
// had, setCapacity leaves the array unchanged, and an operation that needed
// the room throws std::bad_alloc.
//
// Not thread-safe: one array is used by one thread at a time.
#ifndef QEL_ARRAY_H_
#define QEL_ARRAY_H_

#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "QelMemoryControllerController.h"

template <class T>
struct QelArrayObjectCopyReallocator {
  static void construct(T* slots, int n) {
    for (int i = 0; i < n; ++i) new (slots + i) T();
  }
  static void destroy(T* slots, int n) {
    for (int i = 0; i < n; ++i) slots[i].~T();
  }
  static void copy(T* dst, const T* src, int n) {
    for (int i = 0; i < n; ++i) dst[i] = src[i];
  }
  // Constructs n fresh slots as copies of `src`.
  static void constructCopies(T* slots, const T* src, int n) {
    int i = 0;
    try {
      for (; i < n; ++i) new (slots + i) T(src[i]);
    } catch (...) {
      destroy(slots, i);
      throw;
    }
  }
  // Used when storage moves: the old slots are destroyed right after.
  static void relocate(T* dst, T* src, int n) {
    for (int i = 0; i < n; ++i) dst[i] = std::move(src[i]);
  }
};

template <class T>
struct QelArrayMemCopyReallocator {
  static void construct(T*, int) {}
  static void destroy(T*, int) {}
  static void copy(T* dst, const T* src, int n) {
    if (n > 0) std::memcpy(static_cast<void*>(dst), static_cast<const void*>(src), sizeof(T) * n);
  }
  static void relocate(T* dst, T* src, int n) { copy(dst, src, n); }
  static void constructCopies(T* slots, const T* src, int n) { copy(slots, src, n); }
};

template <class T>
struct QelArrayMemoryController {
  // Null when the storage cannot be had.
  static T* allocate(int n) {
    int count = n;
    unsigned long long size = sizeof(T);
    return reinterpret_cast<T*>(QelMemoryControllerController::allocateArray(count, size));
  }
  // Returns the storage and clears `p`.
  static void deallocate(T*& p) {
    unsigned char* raw = reinterpret_cast<unsigned char*>(p);
    QelMemoryControllerController::deallocateArray(raw);
    p = nullptr;
  }
};

template <class T, class Reallocator = QelArrayObjectCopyReallocator<T>,
          class MemoryController = QelArrayMemoryController<T>>
class QelArray {
 public:
  QelArray() noexcept : m_nCount(0), m_nCapacity(0), m_nGrowBy(8), m_pData(nullptr) {}
  // REQUIRES: growBy >= 1 (smaller values are taken as 1).
  explicit QelArray(int growBy) noexcept : QelArray() { setGrowBy(growBy); }
  QelArray(const QelArray& other) : QelArray() { *this = other; }
  QelArray(QelArray&& other) noexcept : QelArray() { swap(other); }
  ~QelArray() { releaseStorage(); }

  QelArray& operator=(const QelArray& other) {
    if (this == &other) return *this;
    releaseStorage();
    m_nGrowBy = other.m_nGrowBy;
    if (other.m_nCount > 0) {
      // Every slot of the copy is in use, so each is constructed as a copy
      // (the same result as constructing it empty and assigning).
      T* fresh = MemoryController::allocate(other.m_nCount);
      if (fresh == nullptr) throw std::bad_alloc();
      try {
        Reallocator::constructCopies(fresh, other.m_pData, other.m_nCount);
      } catch (...) {
        MemoryController::deallocate(fresh);
        throw;
      }
      m_pData = fresh;
      m_nCapacity = other.m_nCount;
      m_nCount = other.m_nCount;
    }
    return *this;
  }
  QelArray& operator=(QelArray&& other) noexcept {
    if (this != &other) {
      releaseStorage();
      m_nGrowBy = 8;
      swap(other);
    }
    return *this;
  }

  void swap(QelArray& other) noexcept {
    std::swap(m_nCount, other.m_nCount);
    std::swap(m_nCapacity, other.m_nCapacity);
    std::swap(m_nGrowBy, other.m_nGrowBy);
    std::swap(m_pData, other.m_pData);
  }

  int count() const noexcept { return m_nCount; }
  int capacity() const noexcept { return m_nCapacity; }
  int growBy() const noexcept { return m_nGrowBy; }
  void setGrowBy(int growBy) noexcept { m_nGrowBy = growBy < 1 ? 1 : growBy; }

  // REQUIRES: 0 <= index < count().
  T& operator[](int index) noexcept { return m_pData[index]; }
  const T& operator[](int index) const noexcept { return m_pData[index]; }

  // The storage, one block of count() elements (null when there is none); for
  // the standard sort and binary search.
  T* data() noexcept { return m_pData; }
  const T* data() const noexcept { return m_pData; }
  T* begin() noexcept { return m_pData; }
  T* end() noexcept { return m_pData + m_nCount; }
  const T* begin() const noexcept { return m_pData; }
  const T* end() const noexcept { return m_pData + m_nCount; }

  // Adds a copy of `value` at the end; `value` may be an element of this array.
  void append(const T& value) {
    T copy(value);
    append(std::move(copy));
  }
  void append(T&& value) {
    if (m_nCount + 1 > m_nCapacity) {
      T keep(std::move(value));  // `value` may live in the storage that moves
      growFor(m_nCount + 1);
      m_pData[m_nCount] = std::move(keep);
    } else {
      m_pData[m_nCount] = std::move(value);
    }
    ++m_nCount;
  }

  // Adds `value` at the end as append does, but a full array first doubles its
  // capacity (rounded up to the grow step), so that n appends copy O(n)
  // elements whatever the grow step. For arrays that may hold an element per
  // model object; their capacity no longer follows the grow step alone.
  void appendGrowing(T value) {
    if (m_nCount == m_nCapacity && m_nCapacity > 0) {
      reserve(m_nCapacity > INT_MAX / 2 ? INT_MAX : m_nCapacity * 2);
    }
    append(std::move(value));
  }

  // Adds copies of all elements of `other`, in order.
  void appendArray(const QelArray& other) {
    if (other.m_nCount == 0) return;
    if (this == &other) {
      QelArray copy(other);
      appendArray(copy);
      return;
    }
    const int needed = m_nCount + other.m_nCount;
    if (needed > m_nCapacity) growFor(needed);
    Reallocator::copy(m_pData + m_nCount, other.m_pData, other.m_nCount);
    m_nCount = needed;
  }

  // Makes room for `n` elements as growing to them would: when n exceeds the
  // capacity, the capacity becomes the smallest multiple of the grow step that
  // is at least n. Appending up to n elements then reallocates nothing.
  void reserve(int n) {
    if (n > m_nCapacity) growFor(n);
  }

  // Count to 0; the storage and the old slot contents stay.
  void removeAll() noexcept { m_nCount = 0; }

  // Reallocates to `n` slots. Does nothing when n is negative, when n is within
  // (0.75 * capacity, capacity], or when there is no storage and n is 0. n = 0
  // releases the storage; a smaller n drops the elements past it. When storage
  // cannot be had, nothing changes.
  void setCapacity(int n) {
    if (n < 0) return;
    if (n <= m_nCapacity && static_cast<double>(n) > 0.75 * static_cast<double>(m_nCapacity))
      return;
    if (m_pData == nullptr && n == 0) return;
    if (n == 0) {
      releaseStorage();
      return;
    }
    T* fresh = MemoryController::allocate(n);
    if (fresh == nullptr) return;
    std::memset(static_cast<void*>(fresh), 0, sizeof(T) * static_cast<size_t>(n));
    Reallocator::construct(fresh, n);
    const int keep = n < m_nCount ? n : m_nCount;
    Reallocator::relocate(fresh, m_pData, keep);
    Reallocator::destroy(m_pData, m_nCapacity);
    if (m_pData != nullptr) MemoryController::deallocate(m_pData);
    m_pData = fresh;
    m_nCapacity = n;
    if (m_nCount > n) m_nCount = n;
  }

 private:
  // Grows to the smallest multiple of the grow step that holds `needed`.
  void growFor(int needed) {
    const long long steps = (static_cast<long long>(needed) - 1) / m_nGrowBy + 1;
    const long long target = steps * m_nGrowBy;
    if (target > 0x7fffffffLL) throw std::bad_alloc();
    setCapacity(static_cast<int>(target));
    if (m_nCapacity < needed) throw std::bad_alloc();
  }

  void releaseStorage() noexcept {
    if (m_pData != nullptr) {
      Reallocator::destroy(m_pData, m_nCapacity);
      MemoryController::deallocate(m_pData);
    }
    m_nCount = 0;
    m_nCapacity = 0;
  }

  int m_nCount;
  int m_nCapacity;
  int m_nGrowBy;
  T* m_pData;
};

// The int list of the engine (object types, sort orders): plain values.
using QelIntArray = QelArray<int, QelArrayMemCopyReallocator<int>>;

// Orders two ints given by address: -1, 0 or 1. A qsort/bsearch comparator.
inline int compareInt(const void* a, const void* b) {
  const int x = *static_cast<const int*>(a);
  const int y = *static_cast<const int*>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

#endif  // QEL_ARRAY_H_
