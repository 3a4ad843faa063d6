// The engine's trees as the reporting library hands them out.
//
// A tree's links do not own, so a root is released by emptying it (which
// deletes every descendant) and then deleting it; TemplatePtr and DataPtr do
// exactly that. walkDescendants visits a tree without recursion, so any depth
// of nesting is safe.
#ifndef BOM_REPORT_TREES_H_
#define BOM_REPORT_TREES_H_

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

// Walks the descendants of `root` in document order without recursion:
//   enter(node, depth)  on reaching a node (the root's children have depth 1);
//   sibling()           before going on to a node's next sibling;
//   leave(depth)        once the children of the node at `depth` are all done,
//                       for the root too (depth 0).
template <class Enter, class Sibling, class Leave>
void walkDescendants(const QelBomItemBase& root, Enter enter, Sibling sibling, Leave leave) {
  std::vector<const QelBomItemBase*> path;  // path[i]: the node at depth i + 1
  if (root.child() != nullptr) path.push_back(root.child());
  while (!path.empty()) {
    const QelBomItemBase* node = path.back();
    enter(node, static_cast<int>(path.size()));
    if (node->child() != nullptr) {
      path.push_back(node->child());
      continue;
    }
    while (!path.empty()) {
      const QelBomItemBase* done = path.back();
      if (done->next() != nullptr) {
        sibling();
        path.back() = done->next();
        break;
      }
      path.pop_back();
      leave(static_cast<int>(path.size()));
    }
  }
}

// Token unit types a template enters with AddTokenType, in order.
using TokenUnitList = std::vector<std::pair<QelString, QelBomTemplateUnits::eTokenUnitType>>;

}  // namespace bomreport

#endif  // BOM_REPORT_TREES_H_
