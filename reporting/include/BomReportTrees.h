// The engine's trees as the reporting library hands them out.
//
// A tree's links do not own, so a root is released by emptying it (which
// deletes every descendant) and then deleting it; TemplatePtr and DataPtr do
// exactly that.
#ifndef BOM_REPORT_TREES_H_
#define BOM_REPORT_TREES_H_

#include <memory>
#include <string>
#include <vector>

#include "BomEngineHandles.h"
#include "BomReportExport.h"

namespace bomreport {

struct BOM_REPORT_API TreeDeleter {
  // Empties `root` and deletes it; nothing for null.
  void operator()(QelBomItemBase* root) const;
  void operator()(QelBomTemplate* root) const;
  void operator()(QelBomData* root) const;
};

using TemplatePtr = std::unique_ptr<QelBomTemplate, TreeDeleter>;
using DataPtr = std::unique_ptr<QelBomData, TreeDeleter>;

// A token unit type a template enters with AddTokenType.
struct TokenUnit {
  std::string token;  // "%Length"
  int unitType;       // the units table's kind: 1 length, 2 weight, 3 area, 4 angle
};
// Those of one template, in order.
using TokenUnitList = std::vector<TokenUnit>;

}  // namespace bomreport

#endif  // BOM_REPORT_TREES_H_
