#include "parts.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <optional>

#include "conversions.h"
#include "engine_lock.h"
#include "errors.h"
#include "records.h"

namespace vrkbom {

namespace py = pybind11;

namespace {

using SourcePtr = std::shared_ptr<PartsSource>;

void check(const PartsSource& source) {
  bomreport::ReportJobOptions options;
  source.applyTo(options);
  withEngine([&] { bomreport::checkParts(options); });
}

SourcePtr loadParts(const py::object& path, const std::optional<std::string>& format,
                    const std::string& delimiter, const py::object& ifcMap) {
  auto source = std::make_shared<PartsSource>();
  source->path = pathArgument(path, "path");
  if (source->path == "-") {
    throw py::value_error("Parts.load reads files; give standard input's parts as records");
  }
  source->format =
      parsedOption("format", [&] { return bomreport::parsePartsFormat(format.value_or("")); });
  if (!ifcMap.is_none()) source->ifcMap = pathArgument(ifcMap, "ifc_map");
  source->delimiter =
      parsedOption("delimiter", [&] { return bomreport::parseDelimiter(delimiter); });
  check(*source);
  return source;
}

SourcePtr partsFromRecords(const py::object& records, std::string name) {
  auto source = std::make_shared<PartsSource>();
  source->table = tableFromRecords(records, std::move(name), &source->skipped);
  check(*source);
  return source;
}

bool isPath(const py::object& value) {
  return py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value) ||
         py::hasattr(value, "__fspath__");
}

py::str displayName(const PartsSource& source) {
  return systemText(source.table != nullptr ? source.table->name : source.path);
}

}  // namespace

void PartsSource::checkTokens(const std::vector<std::string>& tokens) const {
  for (const auto& column : skipped) {
    if (std::find(tokens.begin(), tokens.end(), column.first) != tokens.end()) {
      throw py::type_error("the template uses column \"" + column.first + "\" of " +
                           (table != nullptr ? table->name : path) + ", whose values are " +
                           column.second + ", which no token takes; convert the column to str, "
                           "int or float (DataFrame.astype)");
    }
  }
}

SourcePtr partsArgument(const py::object& parts) {
  if (py::isinstance<PartsSource>(parts)) return parts.cast<SourcePtr>();
  if (isPath(parts)) return loadParts(parts, std::nullopt, ",", py::none());
  if (py::isinstance<py::dict>(parts) || !py::isinstance<py::iterable>(parts)) {
    throw py::type_error("parts is a vrkbom.Parts, a parts file's path, a pandas DataFrame or "
                         "a list of dicts, not " + typeName(parts));
  }
  return partsFromRecords(parts, "records");
}

void PartsSource::applyTo(bomreport::ReportJobOptions& options) const {
  options.partsPath = path;
  options.partsFormat = format;
  options.delimiter = delimiter;
  options.ifcMapPath = ifcMap;
  options.partsTable = table;
}

void bindParts(py::module_& module) {
  py::class_<PartsSource, std::shared_ptr<PartsSource>>(
      module, "Parts",
      "The parts a report is evaluated over: a parts file, or parts held in memory.\n"
      "Immutable; one Parts serves any number of evaluations, also on several threads.")
      .def(py::init([](const py::object& source, const std::string& name) {
             if (isPath(source)) return loadParts(source, std::nullopt, ",", py::none());
             return partsFromRecords(source, name);
           }),
           py::arg("source"), py::kw_only(), py::arg("name") = "records",
           "Parts from a parts file's path (as load) or from records: a pandas DataFrame or\n"
           "an iterable of dicts (as from_records, named `name`).")
      .def_static(
          "load", &loadParts, py::arg("path"), py::kw_only(), py::arg("format") = py::none(),
          py::arg("delimiter") = ",", py::arg("ifc_map") = py::none(),
          "A parts file, CSV, JSON or an IFC model as bomreport reads it: `format` \"csv\",\n"
          "\"json\" or \"ifc\", or None to go by the name's ending, else by the content;\n"
          "`delimiter` separates CSV fields; `ifc_map` is a mapping file over the default\n"
          "mapping of an IFC model's elements and tokens (bomreport --ifc-map). The file is read and checked now (InputError with its file, line and\n"
          "column) and read again by every evaluation, which thus sees it as it is then.")
      .def_static(
          "from_records", &partsFromRecords, py::arg("records"), py::kw_only(),
          py::arg("name") = "records",
          "Parts from an iterable of dicts or a pandas DataFrame. A record's keys are\n"
          "tokens (\"%Weight\") and the optional \"handle\" (str or int; default the part's\n"
          "number from 1), \"type\" (the object type, an int) and \"equal\" (the handles of\n"
          "equal parts: a list, or a str separated by ';' or spaces); \"#handle\", \"#type\"\n"
          "and \"#equal\" as the CSV columns are named, too. A value is a str, int or float;\n"
          "None, NaN and pandas.NA are no value. A token of the engine's catalogue takes its\n"
          "type (2.0 for an integer token, a number for a text token, a str that is a\n"
          "number for a number token); other tokens keep the type given. Raises TypeError\n"
          "for another type of value, InputError for a value the token cannot take.\n"
          "`name` names the parts in reports and messages.")
      .def_property_readonly("name", &displayName,
                             "The parts file's path, or the name of parts held in memory.")
      .def("__repr__", [](const PartsSource& source) {
        return py::str("<vrkbom.Parts {}>").format(displayName(source));
      });
}

}  // namespace vrkbom
