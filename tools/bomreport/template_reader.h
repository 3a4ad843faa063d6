// Template files: a report template as JSON.
//
//   {
//     "type": "kBomTemplate",                          optional
//     "tokenUnits": [["%Weight", "kWeightUnit"], ...], optional, AddTokenType in order
//     "tuples": [[token, value], ...],                 optional, the root's own tuples
//     "children": [ SECTION, ... ]                     optional
//   }
//   SECTION = { "type": "kGroupHeader", "tuples": [...], "children": [SECTION, ...] }
//
// Sections are nested as the engine sees them: a section's "children" in
// sibling order, the first being the next level in and the second its closing
// section. A tuple value is an integer (JSON integer within 32 bits), a real
// (a JSON number with a fraction or exponent), a text (string) or no value
// (null). Types are spelled by enumerator name. Unknown keys, unknown type
// names and sections nested deeper than kMaxSectionDepth are errors.
#ifndef BOMREPORT_TEMPLATE_READER_H_
#define BOMREPORT_TEMPLATE_READER_H_

#include <string>
#include <string_view>

#include "tree.h"

namespace bomreport {

constexpr int kMaxSectionDepth = 1000;

struct LoadedTemplate {
  TemplatePtr root;
  // The token unit types the template enters (already entered into its units
  // object); kept to write the template back.
  TokenUnitList tokenUnits;
};

// Throws InputError "FILE:LINE:COL: reason".
LoadedTemplate readTemplateFile(const std::string& path);
LoadedTemplate readTemplateText(const std::string& fileName, std::string_view text);

// QelBomTemplate::createDefaultTemplate() with the token unit types it enters
// (those of a type other than kUnkTokenUnitType among the tokens it uses).
LoadedTemplate defaultTemplate();

}  // namespace bomreport

#endif  // BOMREPORT_TEMPLATE_READER_H_
