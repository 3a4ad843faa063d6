// Parts files in JSON: an array of parts, each an object with
//   "handle": the object handle (a string or an integer; default: the part's
//             number in the file, from 1)
//   "equal":  the handles of its equal parts, an array of strings or integers
//   "type":   its object type, an integer
//   "tuples": its values, an array of [token, value] pairs in order
// all optional. A value is an integer, a number, a string or null (no value:
// the pair is skipped). A catalogue token's value must be of the catalogue's
// type (an integer is accepted for a real token); other values keep the JSON
// type, an integer beyond 32 bits becoming a real.
#ifndef BOMREPORT_INPUT_PARTS_JSON_H_
#define BOMREPORT_INPUT_PARTS_JSON_H_

#include <string>
#include <string_view>

#include "input/input_bytes.h"
#include "input/parts_builder.h"

namespace bomreport {

// Throws InputError "NAME:LINE:COL: reason".
void readPartsJson(const InputBytes& input, PartsBuilder& builder);
// The same over `text`, named `name` in messages.
void readPartsJson(std::string_view text, const std::string& name, PartsBuilder& builder);
void readPartsJson(const std::string& path, PartsBuilder& builder);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_JSON_H_
