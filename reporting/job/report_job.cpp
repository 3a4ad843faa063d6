#include "BomReportJob.h"

#include <filesystem>
#include <iterator>
#include <utility>

#include "BomReportErrors.h"
#include "input/input_bytes.h"
#include "input/parts_builder.h"
#include "input/parts_file.h"
#include "input/parts_table.h"
#include "input/text_util.h"
#include "job/equal_parts.h"
#include "job/input_units.h"
#include "job/report_warnings.h"
#include "job/units_option.h"

namespace bomreport {
namespace {

std::string displayName(const std::string& path, const char* builtIn) {
  if (path == "-") return InputBytes::kStandardInputName;
  return path.empty() ? builtIn : std::filesystem::path(path).filename().string();
}

PartsFileOptions partsFileOptions(const ReportJobOptions& options) {
  PartsFileOptions parts;
  if (options.partsFormat == "csv") {
    parts.format = PartsFormat::kCsv;
  } else if (options.partsFormat == "json") {
    parts.format = PartsFormat::kJson;
  } else if (!options.partsFormat.empty()) {
    throw InputError("--data-format", quoteForMessage(options.partsFormat) + " is not csv or json");
  }
  const char d = options.delimiter;
  if (d == '"' || d == '\r' || d == '\n' || d == '\0') {
    throw InputError("--delimiter", "a quote or a line break cannot separate fields");
  }
  parts.delimiter = d;
  return parts;
}

// Sets the string collation for the life of the object.
class CollationScope {
 public:
  explicit CollationScope(QelString::Collation collation) : previous_(QelString::collation()) {
    QelString::setCollation(collation);
  }
  ~CollationScope() { QelString::setCollation(previous_); }
  CollationScope(const CollationScope&) = delete;
  CollationScope& operator=(const CollationScope&) = delete;

 private:
  QelString::Collation previous_;
};

// Reads the parts of `options`, a table or a file, into `builder`.
void readParts(const ReportJobOptions& options, PartsBuilder& builder) {
  if (options.partsTable != nullptr) {
    readPartsTable(*options.partsTable, builder);
  } else {
    readPartsFile(options.partsPath, builder, partsFileOptions(options));
  }
}

void append(std::vector<std::string>& to, std::vector<std::string> more) {
  to.insert(to.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

}  // namespace

EvaluatedReport::EvaluatedReport(TemplatePtr output, DataPtr data, ReportUnits units,
                                 std::string templateName, std::string dataName,
                                 std::vector<std::string> warnings)
    : output_(std::move(output)),
      data_(std::move(data)),
      units_(std::move(units)),
      templateName_(std::move(templateName)),
      dataName_(std::move(dataName)),
      warnings_(std::move(warnings)) {}

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
      phases_(std::move(other.phases_)),
      keepUntilExit_(other.keepUntilExit_) {}

Report EvaluatedReport::view(bool withUsed) {
  return Report{output_.get(), withUsed ? data_.get() : nullptr, templateName_, dataName_, &units_};
}

ReportJob::ReportJob(ReportJobOptions options) : options_(std::move(options)) { prepare(); }

ReportJob::ReportJob(LoadedTemplate templ, ReportJobOptions options)
    : options_(std::move(options)), template_(std::move(templ)) {
  prepare();
}

ReportJob::~ReportJob() = default;

// Steps 1 to 3. The options are checked before any file is read.
void ReportJob::prepare() {
  warnings_ = applySettings(options_.settings);
  partsFileOptions(options_);  // checked before any file is read
  if (!options_.units.empty()) applyUnitsOption(options_.units, units_);
  InputUnits checked(options_.inputUnits);  // refused before any file is read
  if (template_.root == nullptr) {
    template_ =
        options_.templatePath.empty() ? defaultTemplate() : readTemplateFile(options_.templatePath);
  }
  template_.root->setUnitsForTokens(&units_);
  template_.root->getTokenTrace(trace_.tokens);
  template_.root->getFilterObjTypes(trace_.filterObjTypes);
}

std::string ReportJob::templateName() const {
  return displayName(options_.templatePath, "built-in default template");
}

std::string ReportJob::dataName() const {
  if (options_.partsTable != nullptr) return options_.partsTable->name;
  return displayName(options_.partsPath, "built-in sample data");
}

// Step 4: the host extracts only what the template uses, in internal units,
// and fills in what it derives.
DataPtr ReportJob::loadData(std::vector<std::string>& warnings, PhaseTimes& phases) const {
  const bool sample = options_.partsPath.empty() && options_.partsTable == nullptr;
  DataPtr data(sample ? QelBomData::createDefaultData() : new QelBomData());
  data->setTemplUsedTokensAndObjTypes(trace_.tokens, trace_.filterObjTypes);
  if (sample) return data;  // the sample set comes ready
  const std::vector<std::string> dataTokens = templateDataTokens(trace_.tokens);
  const HostTokens host(
      dataTokens,
      HostTokenOptions{options_.mergeEqualParts, options_.instanceTokens, options_.assemblyToken});
  PartsBuilder builder(data.get(), options_.keepAllTokens, trace_.filterObjTypes.count() > 0,
                       host.inputTokens());
  std::vector<std::string> watched = dataTokens;
  append(watched, host.inputTokens());
  builder.watchTokens(std::move(watched));
  phases.begin("read");
  readParts(options_, builder);
  phases.begin("merge");
  const PartsFileFacts facts{dataName(), &builder.namedTokens(), &builder.objectTypes(),
                             builder.partsRead(), builder.partsKept()};
  append(warnings,
         partsFileWarnings(dataTokens, host.derivedTokens(), trace_.filterObjTypes, facts));
  InputUnits(options_.inputUnits).convert(*data, *template_.root->getBomTemplateUnits());
  append(warnings, host.apply(*data, builder.namedTokens(), dataName()));
  return data;
}

// Step 5.
EvaluatedReport ReportJob::evaluate() {
  std::vector<std::string> warnings = warnings_;
  PhaseTimes phases;
  DataPtr data = loadData(warnings, phases);
  phases.begin("evaluate");
  TemplatePtr output(new QelBomTemplate());
  {
    const CollationScope collation(options_.collation);
    QelBomEvaluator2::evaluate(template_.root.get(), data.get(), output.get());
  }
  phases.end();
  ReportUnits units(*template_.root->getBomTemplateUnits(), units_);
  EvaluatedReport report(std::move(output), std::move(data), std::move(units), templateName(),
                         dataName(), std::move(warnings));
  report.phases() = std::move(phases);
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
