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
// are single rows). Every group's sums are added up when the values are made,
// in one walk of the rows for all levels at once: each row is added to the
// sums of every group it lies in, in row order, as the engine adds them. What
// has no exact value (a template's own value, a text) is left to its display
// text; a token ("%...") whose number the row lacks is kAbsent, which the
// report model (report_model.h) tells from the template's own text.
//
// Thread-safety: const after construction; any number of threads may ask at
// once. The trees the report points into must outlive it.
#ifndef BOMREPORT_OUTPUT_EXACT_VALUES_H_
#define BOMREPORT_OUTPUT_EXACT_VALUES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "BomReportWriter.h"
#include "output/report_level.h"
#include "output/report_tree.h"

namespace bomreport {

struct ExactValue {
  // kMissing: a token's number that the row lacks, so that the text is the
  // template's placeholder ("0.00"), no value: shown blank, null in JSON.
  // kAbsent: the row lacks the token's number (ExactValues only; the report
  // model makes it kMissing or kUnknown by the display text).
  enum Kind { kUnknown, kInteger, kReal, kText, kMissing, kAbsent };
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
  // `lines`: every item below the output template in report order
  // (collectLines); the sums of its closing items are added up here. Without
  // the report's rows and levels every value is kUnknown.
  ExactValues(const Report& report, const std::vector<ReportLine>& lines);

  // What valuesOf keeps between the lines one thread asks for: where the
  // rows held each tuple's token, by depth (the lines of a depth are of one
  // section).
  // What was found of the token whose text was seen last at one place (a
  // tuple of a line shape, a sum of a level): the items of a section share
  // their tokens' texts, so the same text is the same token.
  struct TokenSeen {
    const void* text = nullptr;
    int value = 0;
  };

  struct Scratch {
    std::vector<std::vector<int>> guesses;  // [depth][tuple]
    std::vector<std::vector<TokenSeen>> units;  // [depth][tuple]: the token's unit type
  };

  // The exact value of each tuple of `line` = lines[at] of the lines given
  // to the constructor into `out`, by index; kUnknown where `visible` (by
  // index) is 0: a grouping, sorting or filter directive.
  void valuesOf(std::size_t at, const ReportLine& line, const std::vector<char>& visible,
                std::vector<ExactValue>& out, Scratch& scratch) const;

 private:
  // A sum as the engine adds it up, from the template's starting value.
  struct RunningSum {
    explicit RunningSum(const QelBomDataValue& start);
    double asDouble() const;
    void add(const QelBomDataValue& value);

    // Sixteen bytes: a report holds one per sum of every closing item.
    double real;
    int integer;
    QelBomDataValue::eBomDataValueType type : 8;
    bool added = false;  // a value was added: a sum that adds nothing has no value
    // Once added up (finish): whether its closing item's tuple is a sum, and
    // the exact value's kind, `real` in the unit shown.
    bool isSum = false;
    ExactValue::Kind kind : 8;
  };
  static_assert(sizeof(RunningSum) <= 16, "a report holds one per sum of every closing item");
  struct Group;       // a closing item's sums as they are added up
  struct Additions;   // every group's, side by side
  static constexpr std::uint32_t kNoSums = 0xFFFFFFFF;

  void addUpGroups(const std::vector<ReportLine>& lines);
  void walkRows(Additions& additions) const;
  void walkFrom(Additions& additions, Group& group) const;
  // Makes each of the sums of `group` (whose closing item is `item`) its exact value.
  void finish(Additions& additions, const Group& group, const QelBomTemplateItem& item) const;
  // `find(token)`, or what `seen` holds when it was found for the same text.
  template <typename Find>
  static int remembered(TokenSeen& seen, const QelString& token, Find find) {
    if (seen.text != token.getStringW()) seen = TokenSeen{token.getStringW(), find(token)};
    return seen.value;
  }
  static bool asksForSum(const QelString& token);
  static ExactValue integerValue(int integer);
  static ExactValue textValue();
  // In the unit shown, given by its unit type (ReportUnits::unitTypeOf).
  ExactValue realValue(int unitType, double real) const;
  ExactValue fromValue(int unitType, const QelBomDataValue& value) const;
  int unitTypeOf(const QelString& token) const;  // 0 without units
  // The unit type of `token`, the tuple `at` of lines of depth `depth`.
  int unitTypeOf(const QelString& token, std::size_t depth, std::size_t at,
                 Scratch& scratch) const;

  Report report_;  // a view: pointers into the trees
  bool enabled_;
  std::vector<QelArray<QelString>> groupingUpTo_;  // [d]: grouping tokens of levels 0..d
  std::vector<std::vector<int>> sumUnits_;          // [level][sum]: the summed token's unit type
  // By line: where a closing item's sums start in sums_, one per sum of its
  // level; kNoSums for the other lines. Empty without closing items.
  std::vector<std::uint32_t> sumsAt_;
  std::vector<RunningSum> sums_;
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_EXACT_VALUES_H_
