// ReportWriter: one report format. A writer reads an evaluated output tree and
// writes one complete document; the formats are registered by name.
//
// Writers are stateless static objects: they are never deleted, and any number
// of threads may use one at once (each on its own tree and stream).
#ifndef BOM_REPORT_WRITER_H_
#define BOM_REPORT_WRITER_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "BomReportExport.h"
#include "VRKBomEngine.h"

namespace bomreport {

// The unit one kind of quantity is shown in.
struct DisplayUnit {
  std::string symbol;  // "mm", "kg", "m2", "deg"
  int decimals = 0;    // digits after the point, before trailing zeros are dropped
};

// The units of a report's numbers: which kind of quantity a token holds (as
// the template's units table says) and the unit each kind is shown in.
// Copyable; keeps its own copy of the table.
class BOM_REPORT_API ReportUnits {
 public:
  // No token has a unit.
  ReportUnits();
  // The kinds of `table`, shown in the units of `units` (those the template
  // was bound to with setUnitsForTokens).
  ReportUnits(const QelBomTemplateUnits& table, const QelUnitsManager& units);

  // The unit the values of `token` are shown in, null for a token without
  // one. A sum ("%SumBy:%Weight") is shown in the unit of the token it sums.
  const DisplayUnit* unitOf(const QelString& token) const;
  // Whether display texts drop trailing zeros ("C0_BOMSuppressLastZeros").
  bool suppressLastZeros() const { return suppressLastZeros_; }

 private:
  QelBomTemplateUnits table_;
  DisplayUnit units_[5];  // by QelBomTemplateUnits::eTokenUnitType; [0] unused
  bool suppressLastZeros_;
};

// The paper a paginated format (PDF) prints on, and the page that HTML and
// XLSX ask their printers for.
enum class Paper { kA4, kA3, kLetter };

// What some formats let the caller choose; every member has a default.
struct WriterOptions {
  Paper paper = Paper::kA4;
  bool landscape = false;
  // CSV: a sum ("%SumBy:%Weight") in the column of the token it sums, as HTML,
  // XLSX and PDF place it, instead of a column of its own.
  bool csvSumsUnderToken = false;
  // The date a PDF's running head shows, as it is to be printed; empty: today's,
  // as YYYY-MM-DD.
  std::string date;
};

// What a writer reads. Nothing here is owned; everything must outlive write().
struct Report {
  const QelBomTemplate* output;  // the evaluated tree
  // Non-null: after the report, the handles and tokens that reached it, as
  // QelBomData::getUsedHandlesAndTokens gives them (which is why it is not const).
  QelBomData* used;
  std::string templateName;  // for the document's caption
  std::string dataName;
  const ReportUnits* units = nullptr;      // null: no token has a unit
  const WriterOptions* options = nullptr;  // null: the defaults
};

class BOM_REPORT_API ReportWriter {
 public:
  virtual ~ReportWriter();
  // Writes the whole document to `out`. Stream failures are left in `out`'s
  // state for the caller (OutputTarget::commit reports them). Throws
  // OutputError when the format cannot hold the report (a spreadsheet cell of
  // more than 32767 characters) or its scratch files fail.
  // REQUIRES: report.output is non-null.
  virtual void write(std::ostream& out, const Report& report) const = 0;
};

// The writer of the format `name` ("text", "list", "csv", "json", "html",
// "xlsx", "pdf"); null for a name no format has.
BOM_REPORT_API const ReportWriter* findReportWriter(std::string_view name);

// Every format's name, in the order the formats are registered (the first is
// the default).
BOM_REPORT_API std::vector<std::string> reportFormatNames();

// The format an output file's extension names, in any case: ".txt" text,
// ".csv", ".json", ".html" and ".htm", ".xlsx", ".pdf"; "text" for an empty
// path (standard output) and for an extension no format has.
BOM_REPORT_API std::string formatForOutputPath(const std::string& outputPath);

// The token trace and filter object types of a template as text:
//   Token trace:
//   %PosNum
//   ...
//   Filter object types: 1 2          ("(none)" when there are none)
BOM_REPORT_API void writeTokenTrace(std::ostream& out, const QelArray<QelString>& tokens,
                                    const QelIntArray& filterObjTypes);

}  // namespace bomreport

#endif  // BOM_REPORT_WRITER_H_
