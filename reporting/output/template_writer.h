// The template file format's JSON of a tree of items, piece by piece: what
// writeTreeJson (BomTemplateFile.h) writes, for a writer that formats the
// items of a tree in blocks, each on a thread of its own, and writes them in
// order. Tree depth 0 is the root; its children are at depth 1.
#ifndef BOMREPORT_OUTPUT_TEMPLATE_WRITER_H_
#define BOMREPORT_OUTPUT_TEMPLATE_WRITER_H_

#include <string>

#include "BomTemplateFile.h"

namespace bomreport {

// Appends "{" and the members of `item` at tree depth `depth` (the object
// indented by 4 * depth). Leaves a "children" array open when the item has
// children, else closes the object (with the root's extra members).
void appendOpenItem(std::string& out, const QelBomTemplateItem& item, int depth, bool isRoot,
                    const TreeJsonOptions& options);

// What follows an item at tree depth `from` that the item at depth `to`
// follows in the tree's order (to = 0: none, the end of the tree): the
// children arrays and objects of the items that end between them closed, and
// a comma before a sibling. Closing the root writes its extra members.
void appendBetween(std::string& out, int from, int to, const TreeJsonOptions& options);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_TEMPLATE_WRITER_H_
