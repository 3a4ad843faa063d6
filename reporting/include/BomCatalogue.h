// What this system knows by name: the engine's token catalogue and the object
// types of the parts its readers make, for front ends that offer them to
// choose from (a template designer's field list and type filter) or suggest
// one for a slip.
//
// Thread-safety: constant lists, made on first use.
#ifndef BOM_CATALOGUE_H_
#define BOM_CATALOGUE_H_

#include <string>
#include <utility>
#include <vector>

#include "BomReportExport.h"

namespace bomreport {

// The catalogue's token names: texts first, then integers, then reals, as
// the catalogue lists them. Each one's value type is
// QelBomDataToken::getTokenType's.
BOM_REPORT_API const std::vector<std::string>& catalogueTokenNames();

// The object types the default IFC mapping gives its elements, by code, with
// the name of the first element kind of each ({3, "plate"},
// {4, "mechanical fastener"}); ascending by code.
BOM_REPORT_API const std::vector<std::pair<int, std::string>>& objectTypeNames();

// The unit kinds a template's "tokenUnits" may give a token, as the template
// file spells them ("kDistanceUnit", "kWeightUnit", "kAreaUnit", "kAngleUnit").
BOM_REPORT_API const std::vector<std::string>& tokenUnitTypeNames();

}  // namespace bomreport

#endif  // BOM_CATALOGUE_H_
