// ExactValues: the numbers behind an evaluated report's display texts.
//
// The engine turns every number of a report into the text people read: reals
// rounded to their unit's decimals, reals without a unit to six digits
// ("1.23457e+06"). The formats that programs read (JSON, CSV, XLSX cells)
// carry the value itself, in the unit the text shows it in:
//   - a tuple of an item that opened a group: the value of the group's first
//     row, as the engine copied it;
//   - a sum of a closing item: the sum over its group's rows that still count
//     in sums, added as the engine adds them, from the sum's starting value.
// A group is found again from the rows the evaluation left sorted: the rows
// from its opening item's first row on, as long as they agree on the grouping
// tokens of its level and the levels above it (the deepest level's groups
// are single rows). What has no exact value (a template's own value, a text)
// is left to its display text, but for a token ("%...") whose number the row
// lacks: kMissing, so that no format shows the template's "0" as a value.
//
// Thread-safety: const after construction; any number of threads may ask at
// once. The trees the report points into must outlive it.
#ifndef BOMREPORT_OUTPUT_EXACT_VALUES_H_
#define BOMREPORT_OUTPUT_EXACT_VALUES_H_

#include <string>
#include <vector>

#include "BomReportWriter.h"
#include "output/report_tree.h"

namespace bomreport {

struct ExactValue {
  // kMissing: a token's number that the row lacks, so that the text is the
  // template's placeholder ("0.00"), no value: shown blank, null in JSON.
  enum Kind { kUnknown, kInteger, kReal, kText, kMissing };
  Kind kind = kUnknown;
  long long integer = 0;  // kInteger
  double real = 0.0;      // kReal, in the unit shown, to 15 significant digits; finite

  bool isNumber() const { return kind == kInteger || kind == kReal; }
};

// The text a program reads for a number: the integer, or the real to 15
// significant digits (all a double holds exactly), shortest form ("4.2",
// "1234567.891", "1e+22").
std::string exactNumberText(const ExactValue& value);

class ExactValues {
 public:
  // Without the report's rows and levels every value is kUnknown.
  explicit ExactValues(const Report& report);

  // The exact value of each tuple of `line.item` into `out` (by index).
  // `opener` is the item that opened the group a closing item closes: the
  // item before it at its depth (see openerOf); ignored for other items.
  void valuesOf(const ReportLine& line, const QelBomTemplateItem* opener,
                std::vector<ExactValue>& out) const;

  // The item before lines[at] at the same depth, or null.
  static const QelBomTemplateItem* openerOf(const std::vector<ReportLine>& lines, std::size_t at);

 private:
  void sumsOf(const ReportLine& line, const QelBomTemplateItem* opener,
              std::vector<ExactValue>& out) const;
  ExactValue fromValue(const QelString& token, const QelBomDataValue* value) const;

  Report report_;  // a view: pointers into the trees
  bool enabled_;
  std::vector<QelArray<QelString>> groupingUpTo_;  // [d]: grouping tokens of levels 0..d
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_EXACT_VALUES_H_
