#include "evaluate.h"

#include <pybind11/stl.h>

#include <algorithm>

#include "conversions.h"
#include "engine_lock.h"
#include "errors.h"
#include "parts.h"
#include "report.h"
#include "revisions.h"
#include "template.h"

namespace vrkbom {

namespace py = pybind11;

namespace {

// What evaluate() takes besides the template and the parts.
struct EvaluateOptions {
  py::object units;
  py::object inputUnits;
  py::object settings;
  bool mergeEqual = false;
  std::optional<std::vector<std::string>> instanceTokens;
  std::string assemblyToken;
  std::string collation;
  bool allTokens = false;
  bool strict = false;
};

std::string checkedName(py::handle name, const char* argument, const char* refused) {
  if (!py::isinstance<py::str>(name)) {
    throw py::type_error(std::string(argument) + ": a name is a str, not " + typeName(name));
  }
  const std::string text = name.cast<std::string>();
  if (text.find_first_of(refused) != std::string::npos) {
    throw py::value_error(std::string(argument) + ": \"" + text + "\" is not a name");
  }
  return text;
}

// {"length": "m", "weight": "t"} (or the option's text "length=m,weight=t") as
// the units of a job; None: none chosen.
std::vector<bomreport::UnitChoice> unitsOption(py::handle units, const char* argument) {
  if (units.is_none()) return {};
  if (py::isinstance<py::str>(units)) {
    return parsedOption(argument, [&] { return bomreport::parseUnits(units.cast<std::string>()); });
  }
  if (!py::isinstance<py::dict>(units)) {
    throw py::type_error(std::string(argument) + " is a dict such as {\"length\": \"m\"}, not " +
                         typeName(units));
  }
  std::string option;
  for (const auto& item : units.cast<py::dict>()) {
    option += option.empty() ? "" : ",";
    option +=
        checkedName(item.first, argument, ",=") + '=' + checkedName(item.second, argument, ",=");
  }
  return parsedOption(argument, [&] { return bomreport::parseUnits(option); });
}

// {"C0_BOMSuppressLastZeros": 0} (or a list of "NAME=INT") as stored settings.
std::vector<bomreport::StoredSetting> settingsOption(py::handle settings) {
  std::vector<bomreport::StoredSetting> option;
  if (settings.is_none()) return option;
  if (!py::isinstance<py::dict>(settings)) {
    std::vector<std::string> texts;
    try {
      texts = settings.cast<std::vector<std::string>>();
    } catch (const py::cast_error&) {
      throw py::type_error(
          "settings is a dict such as {\"C0_BOMSuppressLastZeros\": 0} or a "
          "list of \"NAME=INT\", not " +
          typeName(settings));
    }
    for (const std::string& text : texts) {
      option.push_back(parsedOption("settings", [&] { return bomreport::parseSetting(text); }));
    }
    return option;
  }
  for (const auto& item : settings.cast<py::dict>()) {
    if (!py::isinstance<py::int_>(item.second) || py::isinstance<py::bool_>(item.second)) {
      throw py::type_error("settings: a setting's value is an int, not " + typeName(item.second));
    }
    const std::string text =
        checkedName(item.first, "settings", "=") + '=' + py::str(item.second).cast<std::string>();
    option.push_back(parsedOption("settings", [&] { return bomreport::parseSetting(text); }));
  }
  return option;
}

bomreport::Collation collationOption(const std::string& collation) {
  return parsedOption("collation", [&] { return bomreport::parseCollation(collation); });
}

bomreport::ReportJobOptions jobOptions(const TemplateSource* templ, const PartsSource* parts,
                                       const EvaluateOptions& given) {
  bomreport::ReportJobOptions options;
  if (parts != nullptr) parts->applyTo(options);
  options.units = unitsOption(given.units, "units");
  options.inputUnits = unitsOption(given.inputUnits, "input_units");
  options.settings = settingsOption(given.settings);
  options.mergeEqualParts = given.mergeEqual;
  if (given.instanceTokens) options.instanceTokens = *given.instanceTokens;
  options.assemblyToken = given.assemblyToken;
  options.collation = collationOption(given.collation);
  options.keepAllTokens = given.allTokens;
  options.sampleDataWanted = templ == nullptr && parts == nullptr;
  return options;
}

TraceInfo traceOf(const bomreport::TokenTrace& trace) {
  TraceInfo info;
  info.tokens = trace.tokens;
  info.filterObjectTypes.assign(trace.filterObjTypes.begin(), trace.filterObjTypes.end());
  return info;
}

std::vector<std::string> inputPaths(const TemplateSource* templ, const PartsSource* parts) {
  std::vector<std::string> paths;
  if (templ != nullptr && !templ->path.empty()) paths.push_back(templ->path);
  if (parts != nullptr && !parts->path.empty()) paths.push_back(parts->path);
  return paths;
}

std::unique_ptr<ReportObject> evaluate(const TemplateSource* templ, const PartsSource* parts,
                                       const EvaluateOptions& given) {
  const bomreport::ReportJobOptions options = jobOptions(templ, parts, given);
  std::unique_ptr<bomreport::EvaluatedReport> evaluated;
  TraceInfo trace;
  withEngine([&] {
    const std::unique_ptr<bomreport::ReportJob> job =
        templ != nullptr && !templ->builtIn
            ? std::make_unique<bomreport::ReportJob>(templ->load(), options)
            : std::make_unique<bomreport::ReportJob>(options);
    trace = traceOf(job->trace());
    if (parts != nullptr) parts->checkTokens(trace.tokens);  // touches no Python object
    evaluated = std::make_unique<bomreport::EvaluatedReport>(job->evaluate());
  });
  const std::vector<bomreport::ReportWarning>& warnings = evaluated->warnings();
  if (given.strict && !warnings.empty()) raiseStrict(warnings);
  auto report = std::make_unique<ReportObject>(std::move(evaluated), std::move(trace),
                                               inputPaths(templ, parts), given.strict);
  for (const bomreport::ReportWarning& warning : report->report().warnings()) warn(warning);
  return report;
}

// vrkbom.diff: both revisions evaluated under one template, compared.
std::unique_ptr<RevisionsObject> diff(const py::object& templ, const py::object& before,
                                      const py::object& after, const EvaluateOptions& given,
                                      bomreport::RevisionOptions compare) {
  bomreport::ReportJobOptions options = jobOptions(nullptr, nullptr, given);
  options.sampleDataWanted = false;
  auto made = std::make_unique<RevisionsObject>();
  if (!templ.is_none()) options.templatePath = pathArgument(templ, "template");
  const std::string old = pathArgument(before, "before");
  const std::string now = pathArgument(after, "after");
  made->inputs = {options.templatePath, old, now};
  withEngine([&] { made->revisions = bomreport::diffRevisions(options, old, now, compare); });
  if (given.strict && !made->revisions.warnings.empty()) raiseStrict(made->revisions.warnings);
  for (const bomreport::ReportWarning& warning : made->revisions.warnings) warn(warning);
  return made;
}

}  // namespace

void bindEvaluate(py::module_& module) {
  module.def(
      "diff",
      [](const py::object& templ, const py::object& before, const py::object& after,
         py::object units, py::object inputUnits, py::object settings, bool mergeEqual,
         std::optional<std::vector<std::string>> instanceTokens, std::string assemblyToken,
         std::string collation, std::vector<std::string> key, bool all, bool byHandle,
         bool strict) {
        return diff(templ, before, after,
                    EvaluateOptions{std::move(units), std::move(inputUnits), std::move(settings),
                                    mergeEqual, std::move(instanceTokens),
                                    std::move(assemblyToken), std::move(collation), false, strict},
                    bomreport::RevisionOptions{std::move(key), all, byHandle});
      },
      py::arg("template"), py::arg("before"), py::arg("after"), py::kw_only(),
      py::arg("units") = py::none(), py::arg("input_units") = py::none(),
      py::arg("settings") = py::none(), py::arg("merge_equal") = false,
      py::arg("instance_tokens") = py::none(), py::arg("assembly_token") = "Assembly",
      py::arg("collation") = "binary", py::arg("key") = std::vector<std::string>(),
      py::arg("all") = false, py::arg("by_handle") = false, py::arg("strict") = false,
      "diff(template, before, after, *, key=[], all=False, by_handle=False, and the options of\n"
      "evaluate) -> Revisions\n\n"
      "Evaluates the template file over the parts files `before` and `after` as evaluate\n"
      "does and compares the reports line by line: a line is known by its group keys\n"
      "and its details section's sort tokens (or `key`). `all` lists unchanged lines\n"
      "too; `by_handle` also lists the parts that moved to another line.");
  // The arguments' real types, which pybind11 would show as "object".
  py::options options;
  options.disable_function_signatures();
  module.def(
      "evaluate",
      [](const py::object& templArgument, const py::object& partsArgument_, py::object units,
         py::object inputUnits, py::object settings, bool mergeEqual,
         std::optional<std::vector<std::string>> instanceTokens, std::string assemblyToken,
         std::string collation, bool allTokens, bool strict) {
        const std::shared_ptr<TemplateSource> templ =
            templArgument.is_none() ? nullptr : templateArgument(templArgument);
        const std::shared_ptr<PartsSource> parts =
            partsArgument_.is_none() ? nullptr : partsArgument(partsArgument_);
        return evaluate(templ.get(), parts.get(),
                        EvaluateOptions{std::move(units), std::move(inputUnits),
                                        std::move(settings), mergeEqual, std::move(instanceTokens),
                                        std::move(assemblyToken), std::move(collation), allTokens,
                                        strict});
      },
      py::arg("template") = py::none(), py::arg("parts") = py::none(), py::kw_only(),
      py::arg("units") = py::none(), py::arg("input_units") = py::none(),
      py::arg("settings") = py::none(), py::arg("merge_equal") = false,
      py::arg("instance_tokens") = py::none(), py::arg("assembly_token") = "Assembly",
      py::arg("collation") = "binary", py::arg("all_tokens") = false, py::arg("strict") = false,
      "evaluate(template: Template | str | os.PathLike | Mapping[str, Any] | None = None,\n"
      "         parts: Parts | str | os.PathLike | pandas.DataFrame | Iterable[Mapping] | None"
      " = None,\n"
      "         *, units: Mapping[str, str] | str | None = None,\n"
      "         input_units: Mapping[str, str] | str | None = None,\n"
      "         settings: Mapping[str, int] | Sequence[str] | None = None,\n"
      "         merge_equal: bool = False, instance_tokens: Sequence[str] | None = None,\n"
      "         assembly_token: str = 'Assembly', collation: str = 'binary',\n"
      "         all_tokens: bool = False, strict: bool = False) -> Report\n\n"
      "Evaluates `template` (None: the built-in default template) over `parts` (None:\n"
      "the built-in sample data set) as bomreport does, and returns the Report.\n"
      "`template` is a Template, a template file's path or a dict in the template file\n"
      "format; `parts` is a Parts, a parts file's path, a pandas DataFrame or a list of\n"
      "records (dicts), as Parts takes them.\n\n"
      "units: the display units, e.g. {\"length\": \"m\", \"weight\": \"t\"} (kinds length,\n"
      "    weight, area, angle; units m cm mm in ft, kg t lb, mm2 cm2 m2 ft2, deg rad).\n"
      "input_units: the units the parts' numbers are in (default mm, kg, mm2, rad).\n"
      "settings: stored settings for this evaluation, e.g. {\"C0_BOMSuppressLastZeros\": 0};\n"
      "    put back as they were afterwards.\n"
      "merge_equal: merge the parts equal on every token the template uses into one row\n"
      "    with their quantity; instance_tokens (default [\"%ElementID\"]) are each part's\n"
      "    own; assembly_token names the column of a part's assembly, for %MQuantity.\n"
      "collation: \"binary\" (UTF-16 code units) or \"natural\" (P2 before P10).\n"
      "all_tokens: keep every token of the parts, not only those the template uses.\n"
      "strict: any warning raises ReportWarning (with every warning's words) and no\n"
      "report is returned, as bomreport --strict refuses to write one.\n\n"
      "Warnings are issued as ReportWarning (a warnings filter \"error\" makes them\n"
      "errors too) and kept in Report.warnings. Bad input raises InputError. Evaluations are serialised process-wide; the GIL is released while\n"
      "one runs.");
}

}  // namespace vrkbom
