// PartsTable: parts held in memory, for a front end whose parts come from a
// program (a list of records, a data frame) rather than from a file.
//
// A ReportJob reads a table (ReportJobOptions::partsTable) the way it reads a
// parts file: only the parts whose object type the template's filter wants,
// only the tokens it uses, numbers converted from the input units, equal parts
// merged, the same warnings. Values are kept as the program gave them, a text,
// an integer or a real, and typed as they are read:
//
//   - a token of the engine's catalogue takes the catalogue's type:
//       integer token  an integer within 32 bits, a real that is one (2.0: how
//                      a table library keeps integers in a column with gaps),
//                      or a text that is one as a CSV cell ("7", "+7");
//       real token     an integer or a real, or a text that is a number as a
//                      CSV cell ("434.16");
//       text token     a text, or a number as its shortest text (7 -> "7",
//                      2.5 -> "2.5");
//   - any other token keeps the type given: a text stays a text ("007" is not
//     a number), an integer beyond 32 bits becomes a real.
//
// Every text (token, handle, value) must be UTF-8 without NUL characters and
// at most 2147483646 bytes; a real must be finite. A bad value is an InputError
// "NAME:PART: reason (TOKEN)", PART being the part's number from 1.
//
// Thread-safety: a table is plain data; any number of jobs may read one at
// once while nobody changes it.
#ifndef BOM_PARTS_TABLE_H_
#define BOM_PARTS_TABLE_H_

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "BomReportExport.h"

namespace bomreport {

struct PartsTable {
  // A text, an integer or a real, as given.
  using Value = std::variant<std::string, long long, double>;

  struct Tuple {
    int token;  // index into PartsTable::tokens
    Value value;
  };

  struct Part {
    // The object handle; none: the part's number in the table, from 1.
    std::optional<std::string> handle;
    // The object type; none: the part is kept whatever the template filters.
    std::optional<int> type;
    // The handles of its equal parts. Each entry is split at ';' and white
    // space, as the "#equal" column of a CSV file is.
    std::vector<std::string> equal;
    // The part's values in order; a token the part lacks has no tuple.
    std::vector<Tuple> tuples;
  };

  // How reports and messages name the table (as a parts file by its name).
  std::string name = "parts table";
  // The tokens the tuples name, as written: "%Weight" and "Weight" differ.
  std::vector<std::string> tokens;
  std::vector<Part> parts;
};

// The keys a part has besides its tokens, spelled the same in every reader:
// CSV columns "#handle", "#equal", "#type"; JSON members "handle", "equal",
// "type"; records in either spelling.
enum class PartKey { kToken, kHandle, kEqual, kType };
// The reserved key `name` (without its '#') names; kToken for any other name.
BOM_REPORT_API PartKey reservedPartKey(std::string_view name);

}  // namespace bomreport

#endif  // BOM_PARTS_TABLE_H_
