// Template files: a report template as JSON, read and written.
//
//   {
//     "type": "kBomTemplate",                          optional
//     "tokenUnits": [["%Weight", "kWeightUnit"], ...], optional, AddTokenType in order
//     "tuples": [[token, value], ...],                 optional, the root's own tuples
//     "children": [ SECTION, ... ]                     optional
//     "columns": {TOKEN: {"caption": TEXT, "decimals": 0..15}, ...}
//                                                      optional, BomColumnStyles.h
//   }
//   SECTION = { "type": "kGroupHeader", "tuples": [...], "children": [SECTION, ...] }
//
// Sections are nested as the engine sees them: a section's "children" in
// sibling order, the first being the next level in and the second its closing
// section. A tuple value is an integer (JSON integer within 32 bits), a real
// (a JSON number with a fraction or exponent), a text (string) or no value
// (null). Types are spelled by enumerator name. Unknown keys, unknown type
// names and sections nested deeper than kMaxSectionDepth are errors.
//
// Thread-safety: the functions keep no state; distinct trees may be read and
// written on distinct threads.
#ifndef BOM_TEMPLATE_FILE_H_
#define BOM_TEMPLATE_FILE_H_

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "BomColumnStyles.h"
#include "BomReportExport.h"
#include "BomReportTrees.h"

namespace bomreport {

constexpr int kMaxSectionDepth = 1000;

// Where a template file holds its sections and tuples, for messages. Keyed by
// the sections of the tree it was read with.
struct BOM_REPORT_API TemplateLines {
  // The line of each section's "{" (the root's included).
  std::unordered_map<const QelBomItemBase*, long long> sections;
  // The line of each tuple's "[", by section, in the order of its tuples.
  std::unordered_map<const QelBomItemBase*, std::vector<long long>> tuples;

  // 0 where unknown (a template not read from a file).
  long long sectionLine(const QelBomItemBase* section) const;
  long long tupleLine(const QelBomItemBase* section, int index) const;
};

// A template as a file gives it.
struct LoadedTemplate {
  TemplatePtr root;  // owns the whole section tree
  // The token unit types the template enters (already entered into its units
  // object); kept to write the template back.
  TokenUnitList tokenUnits;
  // Where its sections and tuples stand in the file; empty for the default
  // template.
  TemplateLines lines;
  // How people see its columns ("columns"); each with the line of its key.
  ColumnStyles columns;
  // The engine's default template (defaultTemplate()): its filter and sums are
  // the engine's own, so a job checks none of them. Any other template is
  // checked, whatever names it.
  bool builtIn = false;
  // How reports and warnings name it: the path or the name it was read under;
  // empty for the built-in template.
  std::string name;
};

// Where a section of a loaded template stands, for a front end that shows the
// tree beside its file.
struct SectionPlace {
  std::vector<int> path;              // child indices from the root: {0, 1}
  long long line = 0;                 // of its "{"; 0 where unknown
  std::vector<long long> tupleLines;  // of each of its tuples' "["
};
// Every section below `loaded`'s root, in document order. REQUIRES: root is
// non-null.
BOM_REPORT_API std::vector<SectionPlace> sectionPlaces(const LoadedTemplate& loaded);

// Throws InputError "FILE:LINE:COL: reason".
BOM_REPORT_API LoadedTemplate readTemplateFile(const std::string& path);
// `fileName` names the text in messages.
BOM_REPORT_API LoadedTemplate readTemplateText(const std::string& fileName, std::string_view text);
// The text of a template file as readTemplateFile reads it: readTemplateText
// of it names the file's own lines. Throws InputError for a file that cannot
// be read.
BOM_REPORT_API std::string readTemplateFileText(const std::string& path);

// QelBomTemplate::createDefaultTemplate() with the token unit types it enters
// (those of a type other than kUnkTokenUnitType among the tokens it uses).
BOM_REPORT_API LoadedTemplate defaultTemplate();

struct TreeJsonOptions {
  const TokenUnitList* tokenUnits = nullptr;  // written as the root's "tokenUnits"
  bool withRows = false;  // write "row": the handle of each item's first data row
  // Further members of the root, already rendered (`"name": value` lines
  // indented by two spaces), written after its children.
  std::string extraRootMembers;
  // Written as the root's "columns" when not empty.
  const ColumnStyles* columns = nullptr;
  // Called for every item below the root before it is written, in the order
  // they are written; `depth` is 0 for the root's children.
  std::function<void(const QelBomTemplateItem& item, int depth)> onItem;
  // What follows the token of tuple `index` of `item` in its array, rendered
  // (`4.2` or `4.2, {"text": "4.20"}`). Empty: the value as its type gives it.
  std::function<std::string(const QelBomTemplateItem& item, int index)> tupleValue;
};

// Writes a tree of template items (a template, or an evaluated output tree) in
// the format above, pretty-printed, each tuple list on one line. Any depth of
// nesting is safe. Stream failures are left in `out`'s state.
BOM_REPORT_API void writeTreeJson(std::ostream& out, const QelBomTemplateItem& root,
                                  const TreeJsonOptions& options);
// The same for a whole template (a LoadedTemplate's root, ReportJob::templ()).
BOM_REPORT_API void writeTreeJson(std::ostream& out, const QelBomTemplate& root,
                                  const TreeJsonOptions& options);

}  // namespace bomreport

#endif  // BOM_TEMPLATE_FILE_H_
