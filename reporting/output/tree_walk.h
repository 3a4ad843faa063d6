// Walking an engine tree without recursion, so that any depth of nesting is
// safe.
#ifndef BOMREPORT_OUTPUT_TREE_WALK_H_
#define BOMREPORT_OUTPUT_TREE_WALK_H_

#include <vector>

#include "VRKBomEngine.h"

namespace bomreport {

// Walks the descendants of `root` in document order:
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

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_TREE_WALK_H_
