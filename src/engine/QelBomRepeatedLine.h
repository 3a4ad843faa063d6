// Recognising, from the row values alone, a details line that would repeat
// the last line under its parent, so that the driver can drop it without
// making it. Not exported.
#ifndef QEL_BOM_REPEATED_LINE_H_
#define QEL_BOM_REPEATED_LINE_H_

#include "QelArray.h"
#include "QelBomEvaluator2.h"
#include "QelBomItems.h"

namespace qel_bom_engine {

// Whether the details line `row` would make at the deepest `level` repeats
// the last line under its parent, known without making it. That holds when
// the level has no closing section (so the parent's children are all lines of
// this section) and the section takes exactly the same values from `row` as
// from the row that made the last line (reals bit for bit): the same section
// filled alike shows the same texts. False leaves the decision to the full
// comparison of display texts.
bool repeatsLastLine(const QelBomDataRow& row, const QelArray<QelBomEngineState>& stack, int level);

// Leaves what making, comparing and dropping the repeated line of `row`
// leaves: the used marks of the tuples it would have copied, the row out of
// the sums, and the level closed without an item.
void dropRepeatedLine(QelBomDataRow& row, QelBomEngineState& state);

}  // namespace qel_bom_engine

#endif  // QEL_BOM_REPEATED_LINE_H_
