// Unbounded appends to a QelArray. A fixed grow step makes n appends copy the
// array n / step times, O(n^2) in all; arrays that may hold a row or a section
// per model object grow geometrically through appendGrowing instead.
#ifndef QEL_ARRAY_GROWTH_H_
#define QEL_ARRAY_GROWTH_H_

#include <climits>
#include <utility>

#include "QelArray.h"

namespace qel_foundation {

// Appends `value`, doubling the capacity (rounded up to the grow step) when
// the array is full. An empty array without storage grows by its grow step.
template <class Array, class Value>
void appendGrowing(Array& array, Value&& value) {
  const int capacity = array.capacity();
  if (array.count() == capacity && capacity > 0) {
    array.reserve(capacity > INT_MAX / 2 ? INT_MAX : capacity * 2);
  }
  array.append(std::forward<Value>(value));
}

}  // namespace qel_foundation

#endif  // QEL_ARRAY_GROWTH_H_
