// ColumnStyles: how people see a template's columns, from the template file's
// "columns" member:
//
//   "columns": {"%PNum": {"caption": "Pos."}, "%Weight": {"decimals": 2}}
//
// A key is a token or a summing directive ("%SumBy:%Weight"); "caption"
// replaces the heading a format for people derives from the token ("Weight",
// the unit still added: "Weight/pc [kg]"), "decimals" fixes the digits after
// the point that a real of the column shows in formats for people and in the
// spreadsheet's number format. Formats for programs (CSV, JSON) keep tokens
// as keys; JSON names the captions.
//
// Thread-safety: plain values.
#ifndef BOM_COLUMN_STYLES_H_
#define BOM_COLUMN_STYLES_H_

#include <string>
#include <string_view>
#include <vector>

#include "BomReportExport.h"

namespace bomreport {

constexpr int kMaxColumnDecimals = 15;  // all a double holds

struct ColumnStyle {
  std::string key;      // the token or summing directive, as written
  std::string caption;  // empty: the token's own heading
  int decimals = -1;    // 0..kMaxColumnDecimals; -1: as the column's values need
  long long line = 0;   // of the key in the template file; 0 when unknown
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
