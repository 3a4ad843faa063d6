// Writes a tree of template items (a template, or an evaluated output tree) as
// JSON in the template file format (see template_reader.h), pretty-printed,
// each tuple list on one line. Walks the tree without recursion.
#ifndef BOMREPORT_TEMPLATE_WRITER_H_
#define BOMREPORT_TEMPLATE_WRITER_H_

#include <ostream>
#include <string>

#include "tree.h"

namespace bomreport {

struct TreeJsonOptions {
  const TokenUnitList* tokenUnits = nullptr;  // written as the root's "tokenUnits"
  bool withRows = false;  // write "row": the handle of each item's first data row
  // Further members of the root, already rendered (`"name": value` lines
  // indented by two spaces), written after its children.
  std::string extraRootMembers;
};

void writeTreeJson(std::ostream& out, const QelBomTemplateItem& root,
                   const TreeJsonOptions& options);

// A JSON string literal of `text`.
std::string jsonString(const QelString& text);
std::string jsonString(const std::string& utf8);
// A tuple value: integer, real, string or null.
std::string jsonValue(const QelBomDataValue& value);

}  // namespace bomreport

#endif  // BOMREPORT_TEMPLATE_WRITER_H_
