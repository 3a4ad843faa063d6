// ReportJob: one report from a template and parts, the way a host makes it.
//
// A job takes the steps of the engine's road that a host performs:
//   1. the template: read from a template file, given loaded, or the engine's
//      default template;
//   2. units: the stored settings are written, then the template is bound to
//      the display units (setUnitsForTokens);
//   3. trace: the token trace and the filter object types;
//   4. data: a data set given both lists and filled from a parts file (only
//      the parts whose object type the template wants, only the tokens it
//      requires), its numbers converted from the file's units, equal parts
//      merged and the quantity tokens a host fills derived (see
//      ReportJobOptions); or the engine's sample data set;
//   5. evaluation into a new output template, under the chosen collation.
// Steps 1 to 3 happen when the job is made, 4 and 5 in evaluate(). What it
// returns, an EvaluatedReport, is read by the writers (step 6, see
// BomReportWriter.h) and releases its trees when it is destroyed (step 7).
//
// Errors: bad input (a template or parts file, an option value) throws
// InputError with the file, line, column and reason; running out of memory
// throws std::bad_alloc. Nothing is left half-made: a job or report that
// throws while being made releases what it had built.
//
// Warnings: what does not stop a report but makes its figures suspect (a
// template token that no part carries, a filter that keeps no part, an
// unknown setting) is collected as one line of text each, for the front end
// to show: ReportJob::warnings() after steps 1 to 3, EvaluatedReport::
// warnings() with those of steps 4 and 5 added.
//
// Thread-safety: the engine evaluates one report at a time per process, and
// the stored settings and the string collation are process-wide. A job takes
// care of both itself: its construction and each evaluate() hold the
// library's engine lock, write the job's settings and collation, and put them
// back when they return. Jobs may thus be made and evaluated on any threads
// (they run one at a time); an EvaluatedReport may be written on any one
// thread.
#ifndef BOM_REPORT_JOB_H_
#define BOM_REPORT_JOB_H_

#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "BomPartsTable.h"
#include "BomPhaseTimes.h"
#include "BomReportExport.h"
#include "BomReportOptions.h"
#include "BomReportTrees.h"
#include "BomReportWarnings.h"
#include "BomReportWriter.h"
#include "BomTemplateFile.h"

namespace bomreport {

struct MemoryBudget;  // what the parts may need (the library's own)

struct ReportJobOptions {
  // The template file (JSON) the job reads when it is given none loaded; its
  // name in reports and warnings as written here. Empty: the engine's default
  // template. A template given loaded is named by LoadedTemplate::name, and
  // this is not read.
  std::string templatePath;
  // The parts file, "-" for standard input; it may be gzip-compressed. Empty:
  // the engine's sample data set (unless partsTable is given).
  std::string partsPath;
  // Parts held in memory, read instead of a parts file (partsPath is then not
  // read); shared with the caller, never changed by the job.
  std::shared_ptr<const PartsTable> partsTable;
  // kAuto: by the name's ending (".csv", ".json", ".ifc", also before ".gz",
  // and ".ifczip"), else IFC when the text starts with "ISO-10303-21;" or is
  // a zip archive, JSON when it starts with '[' or '{', CSV otherwise.
  PartsFormat partsFormat = PartsFormat::kAuto;
  // IFC parts: a mapping file read over the default mapping (which elements
  // become parts, where each token's value comes from). Empty: the default.
  std::string ifcMapPath;
  // The field delimiter of CSV parts (',' ';' or a tab are common; see
  // checkDelimiter).
  char delimiter = ',';
  // The most bytes a parts file may bring into memory when it is read from
  // standard input or a pipe, or decompressed; 0: a quarter of the machine's
  // physical memory (at least 1 GiB). Regular files are mapped, not copied.
  std::size_t maxInputSize = 0;
  // The most memory the parts' rows and the report's lines may need, as the
  // job estimates them while the parts are read (parts × their bytes a part;
  // docs/performance.md); more is refused with the estimate before memory
  // runs out. 0: 90% of the memory this machine has available when the parts
  // are read.
  std::size_t maxMemory = 0;
  // The display units (parseUnits); kinds not named: the units library's
  // current units.
  std::vector<UnitChoice> units;
  // Stored settings "NAME=INTEGER", written before the units are bound and
  // before the evaluation, and put back as they were after each (a job's
  // settings never outlive its steps).
  std::vector<StoredSetting> settings;
  // No parts are given on purpose: the engine's sample data set is wanted as a
  // preview. Otherwise a job without parts warns that it shows the sample.
  bool sampleDataWanted = false;
  // A preview: evaluate only the first N parts the filter keeps (in the
  // file's order); the coverage counts the rest as cut. 0: every part.
  long long partsLimit = 0;
  // Keep every token of the parts file, not only those the template uses.
  bool keepAllTokens = false;
  // The units the parts file's numbers are in (parseUnits); kinds not named:
  // the internal units (mm, kg, mm2, rad). Numbers of every token with a unit
  // kind are converted as they are read.
  std::vector<UnitChoice> inputUnits;
  // Merge the parts that agree on every token the template uses, labels
  // included (less the instance tokens and the derived quantity tokens), into
  // one row with equal parts, whose %Quantity is the sum of theirs.
  bool mergeEqualParts = false;
  // Tokens each part has its own value of: never matched, and left out of
  // merged rows.
  std::vector<std::string> instanceTokens{"%ElementID"};
  // The parts file's column that names the assembly a part belongs to; the
  // distinct values per assembly mark give %MQuantity.
  std::string assemblyToken = "Assembly";
  // How texts compare while the report is evaluated (sorting, grouping).
  Collation collation = Collation::kCodeUnits;
};

// What the template asks of the data (step 3).
struct TokenTrace {
  std::vector<std::string> tokens;  // every token it uses, directives included (getTokenTrace)
  std::vector<int> filterObjTypes;  // the object types its filter keeps (getFilterObjTypes)
};

// `trace` as text:
//   Token trace:
//   %PosNum
//   ...
//   Filter object types: 1 2          ("(none)" when there are none)
BOM_REPORT_API void writeTokenTrace(std::ostream& out, const TokenTrace& trace);

// An evaluated report. Owns the output tree and the data set it was evaluated
// over (the output's items name their first rows in it); both are released
// with the report. Movable, not copyable.
class BOM_REPORT_API EvaluatedReport {
 public:
  EvaluatedReport(TemplatePtr output, DataPtr data, ReportUnits units, std::string templateName,
                  std::string dataName, std::vector<ReportWarning> warnings = {},
                  std::vector<ReportLevel> levels = {});
  // Releases both trees node by node, unless they are kept until the end of
  // the process.
  ~EvaluatedReport();
  EvaluatedReport(EvaluatedReport&&) noexcept;
  EvaluatedReport& operator=(EvaluatedReport&&) = delete;

  const QelBomTemplate& output() const { return *output_; }
  // The rows in the evaluated order, with the marks the evaluation left.
  QelBomData& data() { return *data_; }
  // The units the numbers are shown in.
  const ReportUnits& units() const { return units_; }
  const std::string& templateName() const { return templateName_; }
  const std::string& dataName() const { return dataName_; }
  // The warnings of the job and of this evaluation, in the order they arose.
  const std::vector<ReportWarning>& warnings() const { return warnings_; }
  // The phases read, merge and evaluate as they went; a front end adds write.
  PhaseTimes& phases() { return phases_; }
  // The template's captions and decimals, and what the parts file gave, for
  // the writers (view() points at them).
  ColumnStyles& columns() { return columns_; }
  ReportCoverage& coverage() { return coverage_; }
  const ColumnStyles& columns() const { return columns_; }

  // A row the report was evaluated over that reached it: the handles of its
  // parts and the tokens of it the report used.
  struct UsedRow {
    std::vector<std::string> handles;
    std::vector<std::string> tokens;
  };
  // Every such row, in the evaluated order (getUsedHandlesAndTokens, which
  // marks the rows as it reads them: not const, and not beside a writer).
  std::vector<UsedRow> usedRows();

  // What a writer reads; with `withUsed` the used handles and tokens follow the
  // report. Valid while this report lives.
  Report view(bool withUsed);

  // Leaves the trees to the end of the process: destroying the report then
  // releases nothing, and the system takes their memory back at once when the
  // process exits. For a front end that exits once the report is written;
  // releasing a million parts node by node takes about as long as reading
  // them. Leak checkers report the trees as lost.
  void keepUntilExit() { keepUntilExit_ = true; }

 private:
  TemplatePtr output_;
  DataPtr data_;
  ReportUnits units_;
  std::string templateName_;
  std::string dataName_;
  std::vector<ReportWarning> warnings_;
  std::vector<ReportLevel> levels_;  // of the evaluated template, for exact sums
  PhaseTimes phases_;
  ColumnStyles columns_;
  ReportCoverage coverage_;
  bool keepUntilExit_ = false;
};

class BOM_REPORT_API ReportJob {
 public:
  // Steps 1 to 3 with the template of options.templatePath (or the default).
  // Throws InputError.
  explicit ReportJob(ReportJobOptions options);
  // Steps 1 to 3 with a template already loaded; the job takes it over.
  // REQUIRES: templ.root is non-null.
  ReportJob(LoadedTemplate templ, ReportJobOptions options);
  ~ReportJob();
  ReportJob(const ReportJob&) = delete;
  ReportJob& operator=(const ReportJob&) = delete;

  const ReportJobOptions& options() const { return options_; }
  // The template, bound to its units and traced.
  const QelBomTemplate& templ() const { return *template_.root; }
  // The token unit types the template entered, for writing it back.
  const TokenUnitList& tokenUnits() const { return template_.tokenUnits; }
  // Its captions and decimals, for writing it back.
  const ColumnStyles& columns() const { return template_.columns; }
  const TokenTrace& trace() const { return trace_; }
  // How reports name the template and the parts ("steel.json", the table's
  // name, or "built-in default template").
  std::string templateName() const;
  std::string dataName() const;
  // The warnings of steps 1 to 3 (the options).
  const std::vector<ReportWarning>& warnings() const { return warnings_; }

  // Steps 4 and 5: reads the parts anew and evaluates the template over them.
  // Throws InputError for a bad parts file.
  EvaluatedReport evaluate();

 private:
  void prepare();
  MemoryBudget memoryBudget(std::size_t rowTuples) const;
  DataPtr loadData(std::vector<ReportWarning>& warnings, PhaseTimes& phases,
                   ReportCoverage& coverage) const;

  // The display units the template is bound to and its trace as the engine
  // lists them; the engine's own types (report_job.cpp).
  struct EngineState;

  ReportJobOptions options_;
  std::vector<ReportWarning> warnings_;
  std::unique_ptr<EngineState> engine_;
  LoadedTemplate template_;
  TokenTrace trace_;
};

// Reads the parts that `options` names (its parts file or table) in full,
// keeping none, and throws InputError where evaluate() would refuse them:
// whether parts are valid does not depend on the template. Checks nothing for
// the sample data set.
BOM_REPORT_API void checkParts(const ReportJobOptions& options);

// A mutex per process that front ends written for earlier versions held
// around each job. Jobs now serialise themselves on a lock of their own (see
// "Thread-safety" above), so holding this one is harmless and unneeded.
BOM_REPORT_API std::mutex& reportEngineMutex();

}  // namespace bomreport

#endif  // BOM_REPORT_JOB_H_
