// QelBomData: the input of one evaluation. Its children are the data rows; it
// also holds the tokens and object types a template uses, sorted, so the host
// can ask what to extract. Like every node it never deletes its rows: release
// it with empty() and then delete. Not thread-safe.
#ifndef QEL_BOM_DATA_H_
#define QEL_BOM_DATA_H_

#include "QelArray.h"
#include "QelBomItems.h"
#include "QelString.h"
#include "VRKBomEngineExport.h"

class VRK_BOM_ENGINE_API QelBomData : public QelBomItemBase {
 public:
  // The host's object-type codes, carried as ints by filter directives. The
  // engine gives no code a meaning of its own.
  enum eSteelObjects : int {};

  QelBomData();
  QelBomData(const QelBomData& other);
  QelBomData& operator=(const QelBomData& other);
  ~QelBomData() override;

  // A new data set of 112 sample rows (12 fixed, 100 random, seeded from the
  // calendar time). The caller owns it and its rows.
  static QelBomData* createDefaultData();

  // The deepest nesting of rows: rows directly below are level 1. A data set
  // without rows gives 0. Walks sibling chains in loops.
  int depthLevel();

  // Appends, for each direct row with at least one tuple whose used mark is
  // exactly 1, the handle list (handle, then equal-part handles) to `handles`
  // and the used tokens (tuple order) to `tokens`. Returns 1.
  int getUsedHandlesAndTokens(QelArray<QelArray<QelString>>& handles,
                              QelArray<QelArray<QelString>>& tokens);

  // Replaces both sets (duplicates kept) and sorts them: tokens without regard
  // to case, object types ascending.
  void setTemplUsedTokensAndObjTypes(const QelArray<QelString>& tokens,
                                     const QelIntArray& objTypes);
  // One binary search each.
  bool isTokenRequired(const QelString& token);
  bool isItemPresent(eSteelObjects type);

 private:
  int getDepthLevel(QelBomItemBase* node, int level, int& maxLevel);

  QelArray<QelString> m_arrTemplUsedTokens;
  QelIntArray m_arrTemplUsedObjTypes;
};

#endif  // QEL_BOM_DATA_H_
