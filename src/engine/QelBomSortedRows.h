// SortedRows: the rows of the data set in the order the row sort leaves them,
// kept for the evaluation of one stack on this thread, so that the evaluation
// can ask for the memory of rows a few places ahead of the row it is at (after
// the sort, rows follow each other in an order unrelated to where they lie in
// memory). Not exported.
#ifndef QEL_BOM_SORTED_ROWS_H_
#define QEL_BOM_SORTED_ROWS_H_

#include <vector>

#include "QelBomEvaluator2.h"

namespace qel_bom_engine {

class SortedRows {
 public:
  explicit SortedRows(const QelArray<QelBomEngineState>& stack);
  SortedRows(const SortedRows&) = delete;
  SortedRows& operator=(const SortedRows&) = delete;
  ~SortedRows();

  // The record of `stack`, or null when no evaluation of it is in progress.
  static SortedRows* of(const QelArray<QelBomEngineState>& stack);

  // The rows in their new order when the sort reordered them, else empty.
  std::vector<QelBomDataRow*>& rows() { return m_rows; }

 private:
  static SortedRows*& current();

  const QelArray<QelBomEngineState>& m_stack;
  std::vector<QelBomDataRow*> m_rows;
  SortedRows* m_outer;
};

}  // namespace qel_bom_engine

#endif  // QEL_BOM_SORTED_ROWS_H_
