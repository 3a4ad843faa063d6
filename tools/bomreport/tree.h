// Ownership of the engine's trees in the tool. A tree's links do not own, so a
// root is released by emptying it (which deletes every descendant) and then
// deleting it; these handles do exactly that.
#ifndef BOMREPORT_TREE_H_
#define BOMREPORT_TREE_H_

#include <memory>
#include <utility>
#include <vector>

#include "VRKBomEngine.h"

namespace bomreport {

struct TreeDeleter {
  void operator()(QelBomItemBase* root) const {
    if (root != nullptr) {
      root->empty();
      delete root;
    }
  }
};

using TemplatePtr = std::unique_ptr<QelBomTemplate, TreeDeleter>;
using DataPtr = std::unique_ptr<QelBomData, TreeDeleter>;

// Token unit types a template enters with AddTokenType, in order.
using TokenUnitList = std::vector<std::pair<QelString, QelBomTemplateUnits::eTokenUnitType>>;

}  // namespace bomreport

#endif  // BOMREPORT_TREE_H_
