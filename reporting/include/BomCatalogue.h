// What this system knows by name: the engine's token catalogue and the object
// types of the parts its readers make, for front ends that offer them to
// choose from (a template designer's field list and type filter) or suggest
// one for a slip.
//
// Thread-safety: constant lists, made on first use.
#ifndef BOM_CATALOGUE_H_
#define BOM_CATALOGUE_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "BomReportExport.h"

namespace bomreport {

// The catalogue's token names: texts first, then integers, then reals, as
// the catalogue lists them.
BOM_REPORT_API const std::vector<std::string>& catalogueTokenNames();

// The kind of value the catalogue gives a token.
enum class TokenType { kUnknown, kInteger, kReal, kText };
// That of `token`, as the engine types it; a sum's ("%SumBy:%Weight") is
// that of the token it sums. kUnknown for a token the catalogue lacks.
BOM_REPORT_API TokenType catalogueTokenType(std::string_view token);

// The object types the default IFC mapping gives its elements, by code, with
// the name of the first element kind of each ({3, "plate"},
// {4, "mechanical fastener"}); ascending by code.
BOM_REPORT_API const std::vector<std::pair<int, std::string>>& objectTypeNames();

// The unit kinds a template's "tokenUnits" may give a token, as the template
// file spells them ("kDistanceUnit", "kWeightUnit", "kAreaUnit", "kAngleUnit").
BOM_REPORT_API const std::vector<std::string>& tokenUnitTypeNames();

}  // namespace bomreport

#endif  // BOM_CATALOGUE_H_
