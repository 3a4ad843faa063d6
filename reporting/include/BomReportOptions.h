// The options of a report as typed values, and the parsers that read them
// from the texts a front end is given.
//
// Each parser takes the text alone and returns the value or throws
// OptionError with the reason; the reason names no option, since only the
// front end knows what it calls it ("--units" on the command line, `units`
// in Python). A front end puts its own name before the reason.
//
// Names are read by one case rule everywhere: ASCII letters in any case
// (sameName), so "PDF", "Natural" and "A3" are as good as "pdf", "natural"
// and "a3". Tokens and setting names are not names in this sense: they are
// matched exactly.
//
// Thread-safety: plain functions and values.
#ifndef BOM_REPORT_OPTIONS_H_
#define BOM_REPORT_OPTIONS_H_

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BomReportExport.h"

namespace bomreport {

// An option's text that names no value of it; what() is the reason alone.
class BOM_REPORT_API OptionError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// True when `a` and `b` are the same name, ASCII letters in any case.
BOM_REPORT_API bool sameName(std::string_view a, std::string_view b);

// How a parts file is read. kAuto: by the name's ending, else by the content.
enum class PartsFormat { kAuto, kCsv, kJson, kIfc };
// "csv", "json", "ifc"; "" is kAuto.
BOM_REPORT_API PartsFormat parsePartsFormat(std::string_view text);

// The field delimiter of CSV parts: one character, or "tab". A quote or a
// line break cannot separate fields.
BOM_REPORT_API char parseDelimiter(std::string_view text);
// Throws OptionError for a delimiter that cannot separate fields.
BOM_REPORT_API void checkDelimiter(char delimiter);

// How texts compare while a report is evaluated (sorting, grouping).
enum class Collation {
  kCodeUnits,  // by UTF-16 code units ("binary")
  kNatural     // as people read: "P2" before "P10", letters in any case ("natural")
};
// "binary" or "natural".
BOM_REPORT_API Collation parseCollation(std::string_view text);

// One KIND=UNIT of a units option.
struct UnitChoice {
  int tokenUnitType;   // the units table's kind: 1 length, 2 weight, 3 area, 4 angle
  int system;          // the units library's system of the kind
  std::string symbol;  // the unit, as the units library knows it: "mm", "t"
};
// "length=mm,weight=kg,area=m2,angle=deg": any of the four kinds, in any
// order; unit names as VRKUnit::fromSymbol knows them. "" is no choice.
BOM_REPORT_API std::vector<UnitChoice> parseUnits(std::string_view text);

// A stored setting, written before the units are bound.
struct StoredSetting {
  std::string name;
  int value;
};
// "NAME=INTEGER".
BOM_REPORT_API StoredSetting parseSetting(std::string_view text);

// "500M", "2G", "1000000": bytes, K, M, G and T being powers of 1024 (any
// case, with or without "B" or "iB"); not 0.
BOM_REPORT_API std::size_t parseByteSize(std::string_view text);

}  // namespace bomreport

#endif  // BOM_REPORT_OPTIONS_H_
