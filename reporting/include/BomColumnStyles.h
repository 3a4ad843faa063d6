// ColumnStyles: how people see a template's columns, from the template file's
// "columns" member:
//
//   "columns": {"%PNum": {"caption": "Pos."}, "%Weight": {"decimals": 2},
//               "%Length": {"decimals": {"mm": 0, "m": 3}}}
//
// A key is a token or a summing directive ("%SumBy:%Weight"); "caption"
// replaces the heading a format for people derives from the token ("Weight",
// the unit still added: "Weight/pc [kg]"), "decimals" fixes the digits after
// the point that a real of the column shows in formats for people and in the
// spreadsheet's number format. A number of decimals is meant for the units a
// report is shown in by default (mm, kg, m2, deg): in another unit of the
// same kind the column shows as many more (or fewer) as the unit is smaller
// (larger) by powers of ten, so that "decimals": 0 in mm is 3 in m, and 2 in
// kg is 5 in t. Decimals by unit fix them per unit symbol; a unit they do not
// name shows its own decimals (and the job warns). Formats for programs (CSV, JSON) keep tokens
// as keys; JSON names the captions.
//
// Thread-safety: plain values.
#ifndef BOM_COLUMN_STYLES_H_
#define BOM_COLUMN_STYLES_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "BomReportExport.h"
#include "BomReportUnits.h"

namespace bomreport {

constexpr int kMaxColumnDecimals = 15;  // all a double holds

struct BOM_REPORT_API ColumnStyle {
  std::string key;      // the token or summing directive, as written
  std::string caption;  // empty: the token's own heading
  int decimals = -1;    // 0..kMaxColumnDecimals; -1: as the column's values need
  // Decimals by unit symbol, in the template's order; empty: `decimals` holds.
  std::vector<std::pair<std::string, int>> unitDecimals;
  long long line = 0;   // of the key in the template file; 0 when unknown

  // The decimals a real of the column shows in `unit` (null: a value without
  // a unit); -1 when the style fixes none for it.
  int decimalsIn(const DisplayUnit* unit) const;
  // Whether the style fixes decimals by unit and names none for `unit`.
  bool lacksUnit(const DisplayUnit* unit) const;
};

class BOM_REPORT_API ColumnStyles {
 public:
  // The style of `key`, or null. A summing directive without a style of its
  // own takes that of the token it sums.
  const ColumnStyle* find(std::string_view key) const;
  const ColumnStyle* find(std::u16string_view key) const;
  // Adds or replaces the style of style.key, keeping the order of first entry.
  void set(ColumnStyle style);
  const std::vector<ColumnStyle>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

 private:
  std::vector<ColumnStyle> entries_;
};

// The "columns" member's value as JSON on one line: {"%PNum": {"caption": "Pos."}}.
BOM_REPORT_API std::string columnStylesJson(const ColumnStyles& styles);

}  // namespace bomreport

#endif  // BOM_COLUMN_STYLES_H_
