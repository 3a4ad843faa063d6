// The comparison rules of the data model, each written once: of two values,
// and of two rows on one token. Not exported.
//
// compareValues holds the one dispatch on the value type. Its uses differ
// only in how two contents of the same type compare, which a named policy
// says:
//   ValueOrder   the order of values: QelBomDataValue::compare, grouping,
//                sorting. Its equality is also the equality of evaluated
//                lines (a NaN equals every real, -0 equals 0).
//   SameContent  the same stored content: reals bit for bit (so -0 and 0
//                differ), texts code unit for code unit. Values with the same
//                content show the same display text, which is what the
//                repeated-line shortcut relies on.
#ifndef QEL_BOM_COMPARISON_H_
#define QEL_BOM_COMPARISON_H_

#include <cstring>

#include "QelBomItems.h"
#include "QelBomValues.h"
#include "QelString.h"

namespace qel_bom_model {

struct ValueOrder {
  static int ints(int a, int b) { return a < b ? -1 : (a > b ? 1 : 0); }
  // -1 when b is greater, 1 when a is, else 0, so that any pair involving a
  // NaN gives 0.
  static int reals(double a, double b) { return b > a ? -1 : (a > b ? 1 : 0); }
  // Passed on unchanged: any negative or positive number.
  static int texts(const QelString& a, const QelString& b) { return QelString::compare(a, b); }
};

struct SameContent {
  static int ints(int a, int b) { return a == b ? 0 : 1; }
  static int reals(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 ? 0 : 1; }
  static int texts(const QelString& a, const QelString& b) { return a == b ? 0 : 1; }
};

// Compares `a` with `b` under `Policy`; 0 means alike. Values of different
// types give -1 whichever comes first, two empty values 0; two contents of
// one type are compared by the policy.
template <class Policy>
inline int compareValues(const QelBomDataValue& a, const QelBomDataValue& b) {
  if (a.type() != b.type()) return -1;
  switch (a.type()) {
    case QelBomDataValue::kIntDataValue:
      return Policy::ints(intValueOf(a), intValueOf(b));
    case QelBomDataValue::kDoubleDataValue:
      return Policy::reals(doubleValueOf(a), doubleValueOf(b));
    case QelBomDataValue::kStringDataValue:
      return Policy::texts(textValueOf(a), textValueOf(b));
    case QelBomDataValue::kUnkDataValueType:
      break;
  }
  return 0;
}

// The verdict of `token` on row `a` against row `b`, by the first tuple of
// each that carries the token (as getTupleAt finds it): 0 when neither does,
// -1 when only `b` does, 1 when only `a` does, else the order of the two
// values. A null row carries no token. Grouping (QelBomDataRow::compare) and
// sorting (key by key, each in its direction) both ask this.
inline int compareOnToken(const QelBomDataRow* a, const QelBomDataRow* b, const QelString& token) {
  const QelBomDataTuple* tupleA = a != nullptr ? a->getTupleAt(token) : nullptr;
  const QelBomDataTuple* tupleB = b != nullptr ? b->getTupleAt(token) : nullptr;
  if (tupleA == nullptr) return tupleB == nullptr ? 0 : -1;
  if (tupleB == nullptr) return 1;
  return compareValues<ValueOrder>(tupleA->value(), tupleB->value());
}

}  // namespace qel_bom_model

#endif  // QEL_BOM_COMPARISON_H_
