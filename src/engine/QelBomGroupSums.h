// Sums of closing sections: adding a row's summed values into a closing item,
// and RunningSums, which adds each row into the closing items of the outer
// levels as the row arrives instead of going over a group's rows again when
// the group closes. Not exported.
//
// A closing item's sums are the section's starting values plus the summed
// values of the group's rows that count in sums, in row order. A row's sums
// flag is final once the row has passed the deepest level (only the details
// line the row makes there can take it out of the sums), so adding each row
// then, in row order, gives the very sums the closing section would give over
// the group's rows.
#ifndef QEL_BOM_GROUP_SUMS_H_
#define QEL_BOM_GROUP_SUMS_H_

#include <memory>
#include <vector>

#include "QelBomEvaluator2.h"
#include "QelBomItems.h"
#include "QelBomTemplateItem.h"
#include "engine/QelBomEngineInternal.h"

namespace qel_bom_engine {

// Adds the values of `row` that `section` sums into `sums`, a copy of
// `section`'s tuples, unless the row is out of sums.
void addRowToSums(const QelBomTemplateItem& section, const QelBomDataRow& row,
                  QelArray<QelBomDataTuple>& sums);

// A new item copied from `section` (type, tuples, lists, first data row)
// without links. The caller owns it.
std::unique_ptr<QelBomTemplateItem> copySection(const QelBomTemplateItem& section);

class RunningSums : public StackRecord<RunningSums> {
 public:
  // Sums for the levels of `stack` above the deepest that have a closing
  // section, for the evaluation of `stack` in progress on this thread. The
  // closing items not taken are deleted with the record.
  explicit RunningSums(const QelArray<QelBomEngineState>& stack);

  // Whether `level`'s closing item is summed here.
  bool covers(int level) const { return m_levels[static_cast<size_t>(level)].section != nullptr; }
  // A group opens at `level` (REQUIRES: covers(level)): its closing item
  // starts as a copy of the closing section.
  void open(int level);
  // `row` has passed every level: it counts in every open group it belongs to.
  void add(const QelBomDataRow& row);
  // The closing item of `level`'s group, which the caller takes over
  // (REQUIRES: covers(level) and a group was opened).
  QelBomTemplateItem* take(int level);

 private:
  struct Level {
    const QelBomTemplateItem* section = nullptr;  // the closing section, when covered
    bool sums = false;                            // it has a "%SumBy:" tuple
    std::unique_ptr<QelBomTemplateItem> item;     // the open group's closing item
  };
  std::vector<Level> m_levels;
};

}  // namespace qel_bom_engine

#endif  // QEL_BOM_GROUP_SUMS_H_
