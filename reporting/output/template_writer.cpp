#include "BomTemplateFile.h"

#include <vector>

#include "text/json_text.h"
#include "text/names.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

void indent(std::ostream& out, int spaces) {
  static const std::string kSpaces(64, ' ');
  while (spaces > 0) {
    const int n = spaces < 64 ? spaces : 64;
    out.write(kSpaces.data(), n);
    spaces -= n;
  }
}

const QelBomTemplateItem* asItem(const QelBomItemBase* node) {
  return static_cast<const QelBomTemplateItem*>(node);
}

void writeTuples(std::ostream& out, const QelBomTemplateItem& item,
                 const TreeJsonOptions& options) {
  const QelArray<QelBomDataTuple>& tuples = item.getData();
  out << "\"tuples\": [";
  for (int i = 0; i < tuples.count(); ++i) {
    if (i > 0) out << ", ";
    out << '[' << jsonString(tuples[i].token().token()) << ", "
        << (options.tupleValue ? options.tupleValue(item, i) : jsonValue(tuples[i].value()))
        << ']';
  }
  out << ']';
}

void writeTokenUnits(std::ostream& out, const TokenUnitList& units) {
  out << "\"tokenUnits\": [";
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (i > 0) out << ", ";
    out << '[' << jsonString(units[i].first) << ", \"" << unitTypeName(units[i].second) << "\"]";
  }
  out << ']';
}

// Writes "{" and the members of `item` at nesting `depth` (the object indented
// by 4 * depth). Leaves a "children" array open when the item has children,
// else closes the object.
void openItem(std::ostream& out, const QelBomTemplateItem& item, int depth, bool isRoot,
              const TreeJsonOptions& options) {
  const int inner = 4 * depth + 2;
  indent(out, 4 * depth);
  out << "{\n";
  indent(out, inner);
  const char* typeName = sectionTypeName(item.type());
  out << "\"type\": \"" << (typeName != nullptr ? typeName : "kUnkTemplateItemType") << '"';
  if (options.withRows && item.getFirstDataRow() != nullptr) {
    out << ",\n";
    indent(out, inner);
    out << "\"row\": " << jsonString(item.getFirstDataRow()->objectHandle());
  }
  if (isRoot && options.tokenUnits != nullptr && !options.tokenUnits->empty()) {
    out << ",\n";
    indent(out, inner);
    writeTokenUnits(out, *options.tokenUnits);
  }
  if (isRoot && options.columns != nullptr && !options.columns->empty()) {
    out << ",\n";
    indent(out, inner);
    out << "\"columns\": " << columnStylesJson(*options.columns);
  }
  if (item.getData().count() > 0) {
    out << ",\n";
    indent(out, inner);
    writeTuples(out, item, options);
  }
  if (item.child() != nullptr) {
    out << ",\n";
    indent(out, inner);
    out << "\"children\": [\n";
    return;
  }
  if (isRoot && !options.extraRootMembers.empty()) out << ",\n" << options.extraRootMembers;
  out << '\n';
  indent(out, 4 * depth);
  out << '}';
}

void closeItem(std::ostream& out, int depth, bool isRoot, const TreeJsonOptions& options) {
  out << '\n';
  indent(out, 4 * depth + 2);
  out << ']';
  if (isRoot && !options.extraRootMembers.empty()) out << ",\n" << options.extraRootMembers;
  out << '\n';
  indent(out, 4 * depth);
  out << '}';
}

}  // namespace

void writeTreeJson(std::ostream& out, const QelBomTemplateItem& root,
                   const TreeJsonOptions& options) {
  openItem(out, root, 0, true, options);
  walkDescendants(
      root,
      [&](const QelBomItemBase* node, int depth) {
        if (options.onItem) options.onItem(*asItem(node), depth - 1);
        openItem(out, *asItem(node), depth, false, options);
      },
      [&] { out << ",\n"; }, [&](int depth) { closeItem(out, depth, depth == 0, options); });
  out << '\n';
}

}  // namespace bomreport
