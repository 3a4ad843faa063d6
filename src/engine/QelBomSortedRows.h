// SortedRows: the rows of the data set in the order the row sort leaves them,
// kept for the evaluation of one stack on this thread, so that the evaluation
// can ask for the memory of rows a few places ahead of the row it is at (after
// the sort, rows follow each other in an order unrelated to where they lie in
// memory). Not exported.
#ifndef QEL_BOM_SORTED_ROWS_H_
#define QEL_BOM_SORTED_ROWS_H_

#include <vector>

#include "QelBomEvaluator2.h"
#include "engine/QelBomEngineInternal.h"

namespace qel_bom_engine {

class SortedRows : public StackRecord<SortedRows> {
 public:
  explicit SortedRows(const QelArray<QelBomEngineState>& stack) : StackRecord(stack) {}

  // The rows in their new order when the sort reordered them, else empty.
  std::vector<QelBomDataRow*>& rows() { return m_rows; }

 private:
  std::vector<QelBomDataRow*> m_rows;
};

}  // namespace qel_bom_engine

#endif  // QEL_BOM_SORTED_ROWS_H_
