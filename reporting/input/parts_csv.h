// Parts files in CSV.
//
// The first record names the columns. A column named by a token (as written:
// "%Weight" and "Weight" are different tokens, and the template must spell
// them the same way) gives each part that token's value. Three reserved
// columns carry the part itself:
//   #handle  the object handle (default: the part's number in the file, from 1)
//   #equal   the handles of its equal parts, separated by ';' or spaces
//   #type    its object type, a 32-bit integer (empty: no type)
// Any other name starting with '#' is an error, and so is a repeated name.
// An empty cell means the part lacks that token. A catalogue token's cell must
// parse as the catalogue's type; other cells are integers when they are 32-bit
// integers, reals when they are numbers, texts otherwise. Cells must be UTF-8.
//
// A large file is read in parts by several threads, each part starting at a
// record boundary; the rows, their order and every message are those of
// reading it from start to end.
#ifndef BOMREPORT_INPUT_PARTS_CSV_H_
#define BOMREPORT_INPUT_PARTS_CSV_H_

#include <string>
#include <string_view>

#include "input/input_bytes.h"
#include "input/parts_builder.h"

namespace bomreport {

// Throws InputError "NAME:LINE[:COL]: reason" (COL is the field's number).
// REQUIRES: `delimiter` is none of '"', '\r', '\n', '\0'.
void readPartsCsv(const InputBytes& input, PartsBuilder& builder, char delimiter = ',');
// The same over `text`, named `name` in messages.
void readPartsCsv(std::string_view text, const std::string& name, PartsBuilder& builder,
                  char delimiter);
void readPartsCsv(const std::string& path, PartsBuilder& builder);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_CSV_H_
