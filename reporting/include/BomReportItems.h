// The items of an evaluated report as a program reads them: in report order,
// each with its depth, its section type, the row that opened it and the
// tuples a reader sees, every value with its display text and, where that
// text reads as a number, the number the JSON report writes for it.
//
// Thread-safety: reads the tree only; see BomReportJob.h for the engine's
// rules.
#ifndef BOM_REPORT_ITEMS_H_
#define BOM_REPORT_ITEMS_H_

#include <optional>
#include <string>
#include <vector>

#include "BomReportExport.h"
#include "BomEngineHandles.h"
#include "BomReportWriter.h"

namespace bomreport {

// The kind of section an item was evaluated from, in the order (and with the
// numbers, from 0) of the engine's template item types.
enum class SectionType {
  kUnknown, kBomTemplate, kReportHeader, kPageHeader, kGroupHeader,
  kDetails, kGroupFooter, kPageFooter, kReportFooter
};

// One visible tuple of an evaluated item.
struct ReportValue {
  enum class Kind {
    kNone,     // the tuple has no value
    kText,     // a text that does not read as a number
    kInteger,  // a number written without a point or an exponent ("5400")
    kReal      // any other number ("4.20", "1e+11")
  };
  std::string token;  // as written: "%Weight", "%SumBy:%Weight", "Title"
  std::string text;   // the display text, as the text, CSV and table formats show it
  Kind kind = Kind::kNone;
  // kInteger, kReal: the number in the unit shown (4.2 for "4.20"; 4.196 for
  // "4.20" when the rows hold 4.196).
  double number = 0.0;
};

struct ReportItem {
  int depth = 0;  // 0 for the items directly below the output template
  SectionType type = SectionType::kUnknown;
  std::string typeName;  // the enumerator's name: "kGroupHeader"
  // The handle of the row that opened the item's group; none for an item
  // without one.
  std::optional<std::string> row;
  // The tuples a reader sees, in order: grouping, sorting and filter
  // directives are left out, as every format for people and CSV leave them.
  std::vector<ReportValue> values;
};

// Every item of `report` in report order (each item before its children). A
// number is the exact value behind its display text where the report's rows
// give it (as the JSON report writes it: the row's value, a group's sum), else
// the number the text shows. Any depth of nesting is safe.
BOM_REPORT_API std::vector<ReportItem> reportItems(const Report& report);
// The same with the numbers the display texts show.
BOM_REPORT_API std::vector<ReportItem> reportItems(const QelBomTemplateItem& output);
BOM_REPORT_API std::vector<ReportItem> reportItems(const QelBomTemplate& output);

// A token of the rows a report was evaluated over.
struct RowToken {
  std::string token;
  long long rows = 0;  // the rows that carry it
  bool real = false;   // some row holds a real
  bool text = false;   // some row holds a text
};
// Every token of `report`'s rows (report.rows), ordered by token; how many
// rows there are. None for a report without rows.
BOM_REPORT_API std::vector<RowToken> rowTokens(const Report& report, long long* rowCount);

}  // namespace bomreport

#endif  // BOM_REPORT_ITEMS_H_
