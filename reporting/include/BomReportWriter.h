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

#include "BomColumnStyles.h"
#include "BomReportExport.h"
#include "BomReportUnits.h"
#include "BomEngineHandles.h"
#include "BomReportWarnings.h"

namespace bomreport {

// The paper a paginated format (PDF) prints on, and the page that HTML and
// XLSX ask their printers for.
enum class Paper { kA4, kA3, kLetter };
// "a4", "a3" or "letter", in any case; throws OptionError (BomReportOptions.h).
BOM_REPORT_API Paper parsePaper(std::string_view text);

// What some formats let the caller choose; every member has a default.
struct WriterOptions {
  Paper paper = Paper::kA4;
  bool landscape = false;
  // CSV: a sum ("%SumBy:%Weight") in the column of the token it sums, as HTML,
  // XLSX and PDF place it, instead of a column of its own.
  bool csvSumsUnderToken = false;
  // CSV: every text as it is. By default a text that a spreadsheet would take
  // for a formula (it begins with = + - @, a tab or a carriage return, and is
  // no number) is written with a quote before it, so that it stays a text.
  bool csvRaw = false;
  // The date a PDF's running head shows, as it is to be printed; empty: today's,
  // as YYYY-MM-DD.
  std::string date;
  // How the document's words for warnings (JSON's "message") name options:
  // in the vocabulary of the front end that asked for it.
  OptionSpelling spelling = commandLineSpelling;
};

// One level of an evaluated report (a section on the template's chain of first
// children): its grouping tokens and the sums of its closing section, from
// which writers for programs take exact sums. The library's own, opaque here.
struct ReportLevel;

// What a report covers of its parts file, for the formats for people to say.
struct ReportCoverage {
  std::vector<int> objectTypes;  // the object types the filter keeps; empty: every type
  long long partsRead = 0;       // parts in the file
  long long partsKept = 0;       // of them, those the filter kept
  // Of the kept parts, those past ReportJobOptions::partsLimit: not evaluated.
  long long partsCut = 0;
  std::vector<int> typesInFile;  // the object types the file's parts have, ascending
  bool known = false;            // false: a report not made from parts (the sample data)
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
  // The rows the report was evaluated over, in their evaluated order with the
  // marks the evaluation left, and the template's levels: where a writer for
  // programs takes exact numbers from. Null: the display texts are all there is.
  const QelBomData* rows = nullptr;
  const std::vector<ReportLevel>* levels = nullptr;
  // What the report left out or finds suspect; null for none.
  const std::vector<ReportWarning>* warnings = nullptr;
  // The template's captions and decimals; null for none.
  const ColumnStyles* columns = nullptr;
  // What the parts file gave; null when unknown.
  const ReportCoverage* coverage = nullptr;
  // Non-null: where the writer appends what its document shows of the report
  // less than whole (a PDF's texts cut to fit their columns), for the front
  // end to warn of, or with --strict to refuse the document.
  std::vector<ReportWarning>* writerWarnings = nullptr;
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

// A report format as its writer's file declares it (output/report_format.h).
struct ReportFormat {
  const char* name;         // "csv": what --format and Report.write call it
  const char* extensions;   // output file endings that choose it, space-separated
  const char* description;  // one line, for help texts
  int rank;                 // listings go by rank; the lowest is the default
  bool binary;              // its documents are bytes, not text (no terminal shows them)
  unsigned reads;           // the WriterOptions its documents show: Option bits
  void (*write)(std::ostream& out, const Report& report);
  enum Kind { kText, kBinary };  // how a format's file declares `binary`
  enum Option : unsigned {
    kPaper = 1u << 0,              // WriterOptions::paper
    kLandscape = 1u << 1,          // landscape
    kDate = 1u << 2,               // date
    kCsvSumsUnderToken = 1u << 3,  // csvSumsUnderToken
    kCsvRaw = 1u << 4,             // csvRaw
  };
};

// A kOptionIgnored warning for each option of `options` that is not at its
// default and that a document of `format` does not show (a paper for CSV).
// The writers of findReportWriter add these to Report::writerWarnings.
BOM_REPORT_API std::vector<ReportWarning> ignoredWriterOptions(const ReportFormat& format,
                                                               const WriterOptions& options);

// The format `name`, in any case; null for a name no format has.
BOM_REPORT_API const ReportFormat* findReportFormat(std::string_view name);

// Every format, by rank: text, list, csv, json, html, xlsx, pdf.
BOM_REPORT_API const std::vector<ReportFormat>& reportFormats();

// The writer of the format `name`, in any case; null for a name no format has.
BOM_REPORT_API const ReportWriter* findReportWriter(std::string_view name);

// Every format's name, by rank (the first is the default).
BOM_REPORT_API std::vector<std::string> reportFormatNames();

// Every extension that chooses a format, by rank: ".txt, .csv, .json, ...".
BOM_REPORT_API std::string reportFormatExtensions();

// The format an output file's extension names, in any case (".txt" text,
// ".htm" html, ...); "text" for an empty path (standard output) and a name
// without an extension; an empty string for an extension no format has
// (".xls"), which a front end refuses.
BOM_REPORT_API std::string formatForOutputPath(const std::string& outputPath);

}  // namespace bomreport

#endif  // BOM_REPORT_WRITER_H_
