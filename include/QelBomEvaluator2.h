// QelBomEvaluator2: evaluates a traced report template over a data set.
//
// evaluate(templ, data, output) flattens the template into one level per
// section on the chain of first children (each with its next sibling as
// closing section), sorts the rows of `data` in place by the sorting tokens of
// all levels, feeds every row through the levels (opening, joining and closing
// groups), and links the evaluated items below `output` in report order. The
// template's grouping and sorting tokens must be current
// (QelBomTemplate::getTokenTrace); the evaluator never rebuilds them.
//
// What an evaluation leaves behind: the rows of `data` in sorted order, used
// marks on the row tuples whose values were copied, sums flag 0 on rows whose
// details line was dropped as a repetition, and the last sort keys in the
// static arrays.
//
// Thread-safety: none. The sort keys live in static arrays shared by the whole
// process and the evaluation writes into its input, so only one evaluation or
// sort may run at a time in the process.
//
// Choices of this implementation:
//   - a null `data` is evaluated as a data set without rows (returns 1, no
//     items);
//   - with a null `output` the evaluation runs through (sorting, marks on the
//     rows) and the level-0 items, with everything below them, are deleted
//     before evaluate returns;
//   - rows equal on every sort key keep their input order (stable sort);
//   - the rows handed to a closing section are a copy of the group's rows;
//   - running out of memory propagates as std::bad_alloc: items already linked
//     stay in the output, unlinked ones are deleted, the stack is released.
#ifndef QEL_BOM_EVALUATOR2_H_
#define QEL_BOM_EVALUATOR2_H_

#include "QelArray.h"
#include "QelBomData.h"
#include "QelBomItems.h"
#include "QelBomTemplate.h"
#include "QelBomTemplateItem.h"
#include "QelBomTemplateUnits.h"
#include "QelGenericString.h"
#include "QelString.h"
#include "VRKBomEngineExport.h"

// One level of the evaluator's stack. Owns nothing its pointers name; its
// destructor releases only the row array's storage.
class VRK_BOM_ENGINE_API QelBomEngineState {
 public:
  QelBomEngineState();  // all null, closed, rows empty with grow step 2000
  QelBomEngineState(const QelBomEngineState& other) = default;
  QelBomEngineState& operator=(const QelBomEngineState& other) = default;
  ~QelBomEngineState() = default;

  QelBomTemplateItem* m_pTemplateItem;       // the level's section
  QelBomTemplateItem* m_pNextTemplateItem;   // its closing section, may be null
  QelArray<QelBomDataRow*> m_arrGroupRows;   // rows of the open group, in order
  QelBomTemplateItem* m_pEvaluatedItem;      // section evaluated for the open group
  QelBomTemplateItem* m_pEvaluatedNextItem;  // closing section of the group last closed
  QelBomTemplateItem* m_pOutputParent;       // level 0 only: receives the items
  int m_groupOpen;                           // 1 while a group is open
};

// A header item and the closing item that follows it, moved together when a
// chain of evaluated items is sorted. Owns neither.
class VRK_BOM_ENGINE_API QelHeaderFooterSortingStruct {
 public:
  QelHeaderFooterSortingStruct() : m_pHeader(nullptr), m_pFooter(nullptr) {}

  QelBomTemplateItem* m_pHeader;
  QelBomTemplateItem* m_pFooter;  // may be null
};

class QelBomEvaluator2TestPeer;

class VRK_BOM_ENGINE_API QelBomEvaluator2 {
 public:
  QelBomEvaluator2& operator=(const QelBomEvaluator2&) { return *this; }

  // Evaluates `templ` over `data` below `output`. Returns 0 and changes
  // nothing when `templ` is null or has no child section; else 1.
  static int evaluate(QelBomTemplate* templ, QelBomData* data, QelBomTemplate* output);

 private:
  friend class QelBomEvaluator2TestPeer;
  using EngineStack = QelArray<QelBomEngineState>;
  using RowArray = QelArray<QelBomDataRow*>;

  // Stack building and the driver's level operations. evaluate() calls them
  // all: evaluateData() tests each row against an open group with
  // dataMatchGroup and appends a joining row with addedInGroup.
  static EngineStack getTemplateStack(QelBomTemplate* templ);
  static int evaluateData(QelBomDataRow* row, EngineStack& stack, const QelBomTemplateUnits* units);
  static int beginGroup(QelBomDataRow* row, EngineStack& stack, int level);
  static int addedInGroup(QelBomDataRow* row, EngineStack& stack, int level);
  static int endGroup(EngineStack& stack, int level, const QelBomTemplateUnits* units);
  static int dataMatchGroup(QelBomDataRow* row, QelBomEngineState& state);
  static int groupIsCompleted(EngineStack& stack, int level, const QelBomTemplateUnits* units);

  // Evaluated items. Both `process` forms return a new item owned by the
  // caller (null for a null section); the list form consumes `rows`.
  static QelBomTemplateItem* process(QelBomTemplateItem* section, QelBomDataRow* row);
  static QelBomTemplateItem* process(QelBomTemplateItem* section, RowArray rows);
  static void applyUnitsForData(const QelBomTemplateUnits* units,
                                QelArray<QelBomDataTuple>& tuples);
  static int isEqualAsEvaluated(QelBomTemplateItem* a, QelBomTemplateItem* b);
  // Adds every tuple of `row` to `out`. Offered with the class; evaluate()
  // does not call it.
  static void fillGenericString(QelGenericString& out, const QelBomDataRow* row);

  // Sorting. evaluate() sorts the input rows with sortInpuDataBySortingTokens,
  // which orders them by the same verdicts as compareDataRow without calling
  // it.
  static int sortInpuDataBySortingTokens(QelBomData* data, EngineStack& stack);
  // Offered with the class; evaluate() does not call it.
  static int compareDataRow(const void* a, const void* b);
  // Sorting a chain of evaluated items (sortItemList, with the comparator
  // compareEvaluatedItems), and every level of an evaluated tree
  // (sortSubGroupsOnLevels, which calls sortItemList). Offered with the class;
  // evaluate() does not call them.
  static int sortItemList(QelBomTemplateItem*& first, const QelArray<QelString>& sortingTokens);
  static int compareEvaluatedItems(const void* a, const void* b);
  static int sortSubGroupsOnLevels(QelBomTemplateItem* item, EngineStack& stack, int level);

  // Sort keys of the last sort, most significant first, and their directions
  // (1 ascending, 0 descending).
  static QelArray<QelString> m_arrTokensToSortDataRow;
  static QelIntArray m_arrSortOrderForDataRow;
  static QelArray<QelString> m_arrTokensToSortEvaluatedItems;
  static QelIntArray m_arrSortOrderForEvaluatedItems;
};

#endif  // QEL_BOM_EVALUATOR2_H_
