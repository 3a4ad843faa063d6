// How the formats for people show a column: its heading (a template's caption
// or the token's own, with the unit) and the decimals every real in it shows.
//
// By default a column of reals shows the most decimals any of its values
// shows, so that its points line up ("434.16", "741.60", "31.40"); a template
// fixes them with "decimals" (BomColumnStyles.h). Integers, numbers written
// with an exponent and texts are left as the engine wrote them.
#ifndef BOMREPORT_OUTPUT_COLUMN_STYLES_H_
#define BOMREPORT_OUTPUT_COLUMN_STYLES_H_

#include <string>
#include <string_view>

#include "BomColumnStyles.h"
#include "BomReportWriter.h"
#include "text/display_number.h"

namespace bomreport {

// The caption of `token` (a token or a summing directive) with the unit of
// its values, "Weight/pc [kg]"; tokenHeading without a caption. `styles` and
// `units` may be null.
std::string styledHeading(std::u16string_view token, const ColumnStyles* styles,
                          const ReportUnits* units);

// The label of a value standing apart (the text report): styledHeading, or
// for a sum "Σ " and the summed token's heading, unless the summing directive
// has a caption of its own.
std::string styledLabel(const QelBomDataToken& token, const ColumnStyles* styles,
                        const ReportUnits* units);

// Whether the catalogue makes `token`'s values texts (a sum: those of the
// token it sums), so that a value such as "8.8" stays a text.
bool isTextToken(std::u16string_view token);

// What one column's numbers look like, gathered over its cells.
class ColumnDecimals {
 public:
  // `fixed`: the template's decimals, -1 for none. `unit`: the unit of the
  // column's values when they are reals of a unit kind, else null.
  ColumnDecimals(int fixed, const DisplayUnit* unit)
      : fixed_(fixed), real_(unit != nullptr), unitDecimals_(unit != nullptr ? unit->decimals : -1) {}

  // Counts a display text that reads as `number`.
  void add(const DisplayNumber& number);
  // The decimals its reals show; -1 when it holds no reals.
  int decimals() const;

  // `text`, a number of this column, shown with decimals() digits after the
  // point. Fewer digits, or more than the unit shows, come from `exact` (the
  // value behind it, in the unit shown) when known, else from the text's own
  // value; the zeros the engine dropped within the unit's digits are put back
  // as zeros, so that the digits agree with the engine's rounding. Decimals
  // past the 15 significant digits a double holds show as zeros. Unchanged
  // when the text is no real of the column. Fills `number` for the text
  // returned.
  std::string show(const std::string& text, DisplayNumber& number, const double* exact) const;

 private:
  int fixed_;
  bool real_;
  int unitDecimals_;  // -1: no unit
  int most_ = 0;
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_COLUMN_STYLES_H_
