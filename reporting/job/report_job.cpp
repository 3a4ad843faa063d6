#include "BomReportJob.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <utility>

#include "BomReportErrors.h"
#include "VRKBomEngine.h"
#include "input/input_bytes.h"
#include "input/memory_budget.h"
#include "input/parts_builder.h"
#include "input/parts_file.h"
#include "input/parts_table.h"
#include "text/text_util.h"
#include "job/empty_report.h"
#include "job/handle_checks.h"
#include "job/engine_scope.h"
#include "job/host_tokens.h"
#include "job/input_units.h"
#include "job/column_checks.h"
#include "job/evaluation_checks.h"
#include "job/report_warnings.h"
#include "job/sum_checks.h"
#include "job/template_checks.h"
#include "job/units_option.h"

namespace bomreport {
namespace {

std::string displayName(const std::string& path, const char* builtIn) {
  if (path == "-") return InputBytes::kStandardInputName;
  return path.empty() ? builtIn : std::filesystem::path(path).filename().string();
}

// Throws InputError naming the option for a delimiter that cannot separate
// fields (a job's options may be set without the parsers).
PartsFileOptions partsFileOptions(const ReportJobOptions& options) {
  PartsFileOptions parts;
  parts.format = options.partsFormat;
  parts.ifcMap = options.ifcMapPath;
  try {
    checkDelimiter(options.delimiter);
  } catch (const OptionError& error) {
    throw InputError(optionReference("delimiter"), error.what());
  }
  parts.delimiter = options.delimiter;
  parts.limits.maxBytes = options.maxInputSize;
  return parts;
}

// Reads the parts of `options`, a table or a file, into `builder`. An IFC
// model's numbers come converted from its own units: --input-units would
// convert them twice.
void readParts(const ReportJobOptions& options, PartsBuilder& builder) {
  if (options.partsTable != nullptr) {
    readPartsTable(*options.partsTable, builder);
  } else if (readPartsFile(options.partsPath, builder, partsFileOptions(options)) ==
                 PartsFormat::kIfc &&
             !options.inputUnits.empty()) {
    throw InputError(optionReference("input-units"),
                     "an IFC model's numbers are read in its own units; " +
                         optionReference("input-units") + " is for CSV and JSON parts");
  }
}

template <typename T>
void append(std::vector<T>& to, std::vector<T> more) {
  to.insert(to.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

ReportWarning sampleDataWarning() {
  ReportWarning warning{WarningKind::kSampleData};
  warning.text =
      "no parts were given, so the report shows the engine's built-in sample data set (a "
      "preview of the layout, not of any figures)";
  warning.cure = "give the parts with " + optionReference("data") + " (or ask for the sample with " +
                 optionReference("preview") + ")";
  return warning;
}

// What the parts reader noted: what it left unread or could not fill, parts
// without an object type that the filter keeps (`filterTypes`: null for a
// filter that is no choice of the user's), and parts counted as no piece or
// fewer (when quantities count at all: the builder keeps `inputTokens`).
std::vector<ReportWarning> readWarnings(const PartsBuilder& builder,
                                        const std::vector<std::string>& inputTokens,
                                        const QelIntArray* filterTypes,
                                        const std::string& dataName) {
  std::vector<ReportWarning> warnings;
  for (const std::string& note : builder.warnings()) {
    ReportWarning read(WarningKind::kPartsRead);
    read.text = note;  // names the file itself
    warnings.push_back(std::move(read));
  }
  if (filterTypes != nullptr && builder.untypedKept() > 0) {
    warnings.push_back(untypedPartsWarning(builder.untypedKept(), *filterTypes, dataName));
  }
  if (builder.lowQuantities().parts > 0 &&
      std::find(inputTokens.begin(), inputTokens.end(), "%Quantity") != inputTokens.end()) {
    warnings.push_back(lowQuantityWarning(builder.lowQuantities(), dataName));
  }
  return warnings;
}

// How each real of the template's tokens that has a unit is shown: in its
// unit, with the fewer of the unit's decimals (what the engine compares) and
// its column's.
std::vector<DisplayPrecision> displayPrecisions(const QelArray<QelString>& trace,
                                                const ReportUnits& units,
                                                const ColumnStyles& columns) {
  std::vector<DisplayPrecision> precisions;
  for (const QelString& token : trace) {
    const DisplayUnit* unit = units.unitOf(token);
    if (unit == nullptr) continue;
    const std::string name = toUtf8(token);
    int decimals = unit->decimals;
    const ColumnStyle* style = columns.find(name);
    const int fixed = style != nullptr ? style->decimalsIn(unit) : -1;
    if (fixed >= 0 && fixed < decimals) decimals = fixed;
    const double factor = units.shownValue(token, 1.0);
    precisions.push_back({name, factor * std::pow(10.0, decimals), factor, unit->symbol});
  }
  return precisions;
}

// Releases the rows of `data` past the first `limit` (none when 0); returns
// how many.
long long cutParts(QelBomData& data, long long limit) {
  if (limit <= 0) return 0;
  QelBomItemBase* last = data.child();
  for (long long kept = 1; last != nullptr && kept < limit; ++kept) last = last->next();
  if (last == nullptr || last->next() == nullptr) return 0;
  QelBomDataRow rest;
  rest.setChild(last->next());
  last->setNext(nullptr);
  data.setChild(data.child());  // the last child is `last` again
  long long cut = 0;
  for (const QelBomItemBase* row = rest.child(); row != nullptr; row = row->next()) ++cut;
  rest.empty();
  return cut;
}

}  // namespace

EvaluatedReport::EvaluatedReport(TemplatePtr output, DataPtr data, ReportUnits units,
                                 std::string templateName, std::string dataName,
                                 std::vector<ReportWarning> warnings,
                                 std::vector<ReportLevel> levels)
    : output_(std::move(output)),
      data_(std::move(data)),
      units_(std::move(units)),
      templateName_(std::move(templateName)),
      dataName_(std::move(dataName)),
      warnings_(std::move(warnings)),
      levels_(std::move(levels)) {}

EvaluatedReport::~EvaluatedReport() {
  if (!keepUntilExit_) return;  // the handles release the trees
  static_cast<void>(output_.release());
  static_cast<void>(data_.release());
}

EvaluatedReport::EvaluatedReport(EvaluatedReport&& other) noexcept
    : output_(std::move(other.output_)),
      data_(std::move(other.data_)),
      units_(std::move(other.units_)),
      templateName_(std::move(other.templateName_)),
      dataName_(std::move(other.dataName_)),
      warnings_(std::move(other.warnings_)),
      levels_(std::move(other.levels_)),
      phases_(std::move(other.phases_)),
      columns_(std::move(other.columns_)),
      coverage_(std::move(other.coverage_)),
      keepUntilExit_(other.keepUntilExit_) {}

std::vector<EvaluatedReport::UsedRow> EvaluatedReport::usedRows() {
  QelArray<QelArray<QelString>> handles;
  QelArray<QelArray<QelString>> tokens;
  data_->getUsedHandlesAndTokens(handles, tokens);
  std::vector<UsedRow> rows;
  for (int i = 0; i < handles.count() && i < tokens.count(); ++i) {
    rows.emplace_back();
    for (const QelString& handle : handles[i]) rows.back().handles.push_back(handle.toUtf8());
    for (const QelString& token : tokens[i]) rows.back().tokens.push_back(token.toUtf8());
  }
  return rows;
}

Report EvaluatedReport::view(bool withUsed) {
  Report report{output_.get(), withUsed ? data_.get() : nullptr, templateName_, dataName_, &units_};
  report.rows = data_.get();
  report.levels = &levels_;
  report.warnings = &warnings_;
  report.columns = &columns_;
  report.coverage = &coverage_;
  return report;
}

struct ReportJob::EngineState {
  QelUnitsManager units;        // the display units the template is bound to
  QelArray<QelString> tokens;   // its token trace
  QelIntArray filterObjTypes;   // the object types its filter keeps
};

ReportJob::ReportJob(ReportJobOptions options)
    : options_(std::move(options)), engine_(std::make_unique<EngineState>()) {
  prepare();
}

ReportJob::ReportJob(LoadedTemplate templ, ReportJobOptions options)
    : options_(std::move(options)),
      engine_(std::make_unique<EngineState>()),
      template_(std::move(templ)) {
  prepare();
}

ReportJob::~ReportJob() = default;

// Steps 1 to 3. The options are checked before any file is read.
void ReportJob::prepare() {
  const EngineScope engine(options_.settings, options_.collation);
  warnings_ = engine.settingWarnings();
  partsFileOptions(options_);  // checked before any file is read
  applyUnits(options_.units, engine_->units);
  if (template_.root == nullptr && options_.templatePath.empty()) {
    template_ = defaultTemplate();
  } else if (template_.root == nullptr) {
    template_ = readTemplateFile(options_.templatePath);
    template_.name = options_.templatePath;  // as the caller wrote it
  }
  if (!template_.builtIn) {  // the engine's own template is as it is meant
    append(warnings_, templateWarnings(template_, template_.name));
  }
  template_.root->setUnitsForTokens(&engine_->units);
  template_.root->getTokenTrace(engine_->tokens);
  template_.root->getFilterObjTypes(engine_->filterObjTypes);
  for (const QelString& token : engine_->tokens) trace_.tokens.push_back(token.toUtf8());
  trace_.filterObjTypes.assign(engine_->filterObjTypes.begin(), engine_->filterObjTypes.end());
  append(warnings_, columnWarnings(template_, template_.name));
}

std::string ReportJob::templateName() const {
  if (template_.builtIn) return "built-in default template";
  return displayName(template_.name, "template");
}

std::string ReportJob::dataName() const {
  if (options_.partsTable != nullptr) return options_.partsTable->name;
  return displayName(options_.partsPath, "built-in sample data");
}

// Step 4: the host extracts only what the template uses, in internal units,
// and fills in what it derives.
DataPtr ReportJob::loadData(std::vector<ReportWarning>& warnings, PhaseTimes& phases,
                            ReportCoverage& coverage) const {
  const bool sample = options_.partsPath.empty() && options_.partsTable == nullptr;
  DataPtr data(sample ? QelBomData::createDefaultData() : new QelBomData());
  data->setTemplUsedTokensAndObjTypes(engine_->tokens, engine_->filterObjTypes);
  if (sample) {  // the sample set comes ready
    if (!options_.sampleDataWanted) warnings.push_back(sampleDataWarning());
    return data;
  }
  const std::vector<std::string> dataTokens = templateDataTokens(engine_->tokens);
  const ReportUnits shown(*template_.root->getBomTemplateUnits(), engine_->units);
  const HostTokens host(
      dataTokens, templateRowTokens(engine_->tokens),
      HostTokenOptions{options_.mergeEqualParts, options_.instanceTokens, options_.assemblyToken,
                       displayPrecisions(engine_->tokens, shown, template_.columns)});
  const std::vector<std::string> inputTokens = host.inputTokens();
  PartsBuilder builder(data.get(), options_.keepAllTokens, engine_->filterObjTypes.count() > 0,
                       inputTokens);
  builder.setMemoryBudget(memoryBudget(dataTokens.size() + inputTokens.size()));
  std::vector<std::string> watched = dataTokens;
  append(watched, inputTokens);
  builder.watchTokens(std::move(watched));
  phases.begin("read");
  readParts(options_, builder);
  const long long cut = cutParts(*data, options_.partsLimit);
  const bool builtIn = template_.builtIn;  // its filter is the engine's
  const QelIntArray* userFilter = builtIn ? nullptr : &engine_->filterObjTypes;
  append(warnings, readWarnings(builder, inputTokens, userFilter, dataName()));
  append(warnings, handleWarnings(*data, dataName()));
  phases.begin("merge");
  const PartsFileFacts facts{dataName(), &builder.namedTokens(), &builder.objectTypes(),
                             builder.partsRead(), builder.partsKept()};
  coverage = ReportCoverage{trace_.filterObjTypes,
                            builder.partsRead(), builder.partsKept(), cut,
                            std::vector<int>(builder.objectTypes().begin(),
                                             builder.objectTypes().end()),
                            true};
  std::vector<ReportWarning> partsWarnings =
      partsFileWarnings(dataTokens, host.derivedTokens(), engine_->filterObjTypes, facts);
  // A tuple already named as a misspelt directive is no missing token too.
  partsWarnings.erase(
      std::remove_if(partsWarnings.begin(), partsWarnings.end(),
                     [this](const ReportWarning& missing) {
                       return missing.kind == WarningKind::kTokenMissing &&
                              std::any_of(warnings_.begin(), warnings_.end(),
                                          [&missing](const ReportWarning& w) {
                                            return w.kind == WarningKind::kNotADirective &&
                                                   w.token == missing.token;
                                          });
                     }),
      partsWarnings.end());
  append(warnings, std::move(partsWarnings));
  InputUnits(options_.inputUnits).convert(*data, *template_.root->getBomTemplateUnits(), dataName());
  append(warnings, host.apply(*data, builder.namedTokens(), dataName()));
  return data;
}

// What the parts may need: a row of the tokens kept, a details line of the
// innermost level's tuples a part.
MemoryBudget ReportJob::memoryBudget(std::size_t rowTuples) const {
  MemoryBudget budget;
  budget.name = dataName();
  budget.given = options_.maxMemory > 0;
  budget.maxBytes = budget.given ? options_.maxMemory : availableMemory() / 10 * 9;
  const QelBomItemBase* details = template_.root.get();
  while (details->child() != nullptr) details = details->child();
  budget.bytesPerPart = bytesPerPart(rowTuples, static_cast<std::size_t>(details->getData().count()));
  return budget;
}

// Step 5.
EvaluatedReport ReportJob::evaluate() {
  const EngineScope engine(options_.settings, options_.collation);
  std::vector<ReportWarning> warnings = warnings_;
  PhaseTimes phases;
  ReportCoverage coverage;
  DataPtr data = loadData(warnings, phases, coverage);
  const std::vector<TemplateLevel> levels = templateLevels(*template_.root);
  // The engine's own template is a preview as it is meant: only what would
  // be wrong (a sum past 32 bits) stops it.
  const bool ownTemplate = template_.builtIn;
  std::vector<ReportWarning> sumWarnings = checkSums(
      SumContext{data.get(), &levels, &template_.lines, template_.name, dataName(),
                 options_.mergeEqualParts});
  if (!ownTemplate) append(warnings, std::move(sumWarnings));
  phases.begin("evaluate");
  TemplatePtr output(new QelBomTemplate());
  QelBomEvaluator2::evaluate(template_.root.get(), data.get(), output.get());
  headEmptyReport(*template_.root, coverage, *output);
  ReportUnits units(*template_.root->getBomTemplateUnits(), engine_->units);
  if (!ownTemplate) {
    append(warnings,
           evaluationWarnings(EvaluationContext{data.get(), &levels, &template_.lines,
                                                template_.name, &units,
                                                options_.mergeEqualParts}));
    append(warnings, decimalsWarnings(template_.columns, *data, units, template_.name));
  }
  phases.end();  // the evaluation with the checks of what it left
  std::vector<ReportLevel> reportLevels;
  for (const TemplateLevel& level : levels) reportLevels.push_back(level.report);
  EvaluatedReport report(std::move(output), std::move(data), std::move(units), templateName(),
                         dataName(), std::move(warnings), std::move(reportLevels));
  report.phases() = std::move(phases);
  report.columns() = template_.columns;
  report.coverage() = std::move(coverage);
  return report;
}

void checkParts(const ReportJobOptions& options) {
  if (options.partsPath.empty() && options.partsTable == nullptr) return;
  partsFileOptions(options);  // checked before any file is read
  DataPtr data(new QelBomData());
  // No token is required and the filter wants no type: every part is read in
  // full and checked, and nothing is kept but untyped parts' empty rows.
  data->setTemplUsedTokensAndObjTypes(QelArray<QelString>(), QelIntArray());
  PartsBuilder builder(data.get(), false, true);
  readParts(options, builder);
}

std::mutex& reportEngineMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace bomreport
