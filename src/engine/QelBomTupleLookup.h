// TupleLookup: where a section's tokens stand among a row's tuples, found once
// per layout of row tokens instead of searching every row.
//
// The rows of one data set nearly always carry their tokens in the same order,
// as copies of the same texts. A plan records, for a section and one row
// layout, the index of the first row tuple equal to each section token (the
// same tuple getTupleAt finds) and to each summed token. It is reused while
// the section's and the row's token texts are equal to those it was made for
// (the very same texts are equal at once, without reading them); the plan
// holds copies of them.
//
// Plans live per thread and are dropped by clear() (at the end of every
// evaluation).
#ifndef QEL_BOM_TUPLE_LOOKUP_H_
#define QEL_BOM_TUPLE_LOOKUP_H_

#include <vector>

#include "QelBomItems.h"
#include "QelBomTemplateItem.h"
#include "QelString.h"

namespace qel_bom_engine {

struct TupleLookupPlan {
  // Per section tuple: the index of the first row tuple with the same token,
  // or -1.
  std::vector<int> valueIndex;
  // Per section tuple that sums ("%SumBy:"): the index of the first row tuple
  // with the summed token, or -1; -1 for the other tuples.
  std::vector<int> sumIndex;
};

class TupleLookup {
 public:
  // The plan of `section` for the layout of `row`.
  static const TupleLookupPlan& planFor(const QelBomTemplateItem& section,
                                        const QelBomDataRow& row);
  // Drops every plan of this thread.
  static void clear();
};

}  // namespace qel_bom_engine

#endif  // QEL_BOM_TUPLE_LOOKUP_H_
