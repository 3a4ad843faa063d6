#include "output/template_writer.h"
#include "output/tree_walk.h"

#include <string>

#include "text/json_text.h"
#include "text/names.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

void indent(std::string& out, int spaces) {
  if (spaces > 0) out.append(static_cast<std::size_t>(spaces), ' ');
}

const QelBomTemplateItem* asItem(const QelBomItemBase* node) {
  return static_cast<const QelBomTemplateItem*>(node);
}

void appendTuples(std::string& out, const QelBomTemplateItem& item,
                  const TreeJsonOptions& options) {
  const QelArray<QelBomDataTuple>& tuples = item.getData();
  out += "\"tuples\": [";
  for (int i = 0; i < tuples.count(); ++i) {
    if (i > 0) out += ", ";
    out += '[';
    out += jsonString(tuples[i].token().token());
    out += ", ";
    out += options.tupleValue ? options.tupleValue(item, i) : jsonValue(tuples[i].value());
    out += ']';
  }
  out += ']';
}

void appendTokenUnits(std::string& out, const TokenUnitList& units) {
  out += "\"tokenUnits\": [";
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (i > 0) out += ", ";
    out += '[' + jsonString(units[i].token) + ", \"" + unitTypeName(units[i].unitType) + "\"]";
  }
  out += ']';
}

void appendCloseItem(std::string& out, int depth, bool isRoot, const TreeJsonOptions& options) {
  out += '\n';
  indent(out, 4 * depth + 2);
  out += ']';
  if (isRoot && !options.extraRootMembers.empty()) out += ",\n" + options.extraRootMembers;
  out += '\n';
  indent(out, 4 * depth);
  out += '}';
}

}  // namespace

void appendOpenItem(std::string& out, const QelBomTemplateItem& item, int depth, bool isRoot,
                    const TreeJsonOptions& options) {
  const int inner = 4 * depth + 2;
  indent(out, 4 * depth);
  out += "{\n";
  indent(out, inner);
  const char* typeName = sectionTypeName(item.type());
  out += "\"type\": \"";
  out += typeName != nullptr ? typeName : "kUnkTemplateItemType";
  out += '"';
  if (options.withRows && item.getFirstDataRow() != nullptr) {
    out += ",\n";
    indent(out, inner);
    out += "\"row\": " + jsonString(item.getFirstDataRow()->objectHandle());
  }
  if (isRoot && options.tokenUnits != nullptr && !options.tokenUnits->empty()) {
    out += ",\n";
    indent(out, inner);
    appendTokenUnits(out, *options.tokenUnits);
  }
  if (isRoot && options.columns != nullptr && !options.columns->empty()) {
    out += ",\n";
    indent(out, inner);
    out += "\"columns\": " + columnStylesJson(*options.columns);
  }
  if (item.getData().count() > 0) {
    out += ",\n";
    indent(out, inner);
    appendTuples(out, item, options);
  }
  if (item.child() != nullptr) {
    out += ",\n";
    indent(out, inner);
    out += "\"children\": [\n";
    return;
  }
  if (isRoot && !options.extraRootMembers.empty()) out += ",\n" + options.extraRootMembers;
  out += '\n';
  indent(out, 4 * depth);
  out += '}';
}

void appendBetween(std::string& out, int from, int to, const TreeJsonOptions& options) {
  if (to > from) return;  // the children of the item before
  for (int depth = from - 1; depth >= to && depth >= 0; --depth) {
    appendCloseItem(out, depth, depth == 0, options);
  }
  if (to > 0) out += ",\n";
}

void writeTreeJson(std::ostream& out, const QelBomTemplateItem& root,
                   const TreeJsonOptions& options) {
  std::string text;
  appendOpenItem(text, root, 0, true, options);
  walkDescendants(
      root,
      [&](const QelBomItemBase* node, int depth) {
        if (options.onItem) options.onItem(*asItem(node), depth - 1);
        appendOpenItem(text, *asItem(node), depth, false, options);
        if (text.size() >= (1u << 16)) {
          out.write(text.data(), static_cast<std::streamsize>(text.size()));
          text.clear();
        }
      },
      [&] { text += ",\n"; }, [&](int depth) { appendCloseItem(text, depth, depth == 0, options); });
  text += '\n';
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void writeTreeJson(std::ostream& out, const QelBomTemplate& root, const TreeJsonOptions& options) {
  writeTreeJson(out, static_cast<const QelBomTemplateItem&>(root), options);
}

}  // namespace bomreport
