// Recognising, from the row values alone, a details line that would repeat
// the last line under its parent, so that the driver can drop it without
// making it (the driver drops it as it drops any repeated line). Not
// exported.
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

// Leaves on `row` the used marks that making the line of `section` from it
// would leave: on the first tuple of each section token that has a value.
void markCopiedTuplesUsed(QelBomDataRow& row, const QelBomTemplateItem& section);

}  // namespace qel_bom_engine

#endif  // QEL_BOM_REPEATED_LINE_H_
