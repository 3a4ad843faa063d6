#include "report.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <sstream>

#include "conversions.h"
#include "engine_lock.h"
#include "errors.h"
#include "pandas_layout.h"

namespace vrkbom {

namespace py = pybind11;

using bomreport::ReportItem;
using bomreport::ReportValue;

ReportObject::ReportObject(std::unique_ptr<bomreport::EvaluatedReport> report, TraceInfo trace,
                           std::vector<std::string> inputPaths, bool strict)
    : report_(std::move(report)),
      trace_(std::move(trace)),
      inputPaths_(std::move(inputPaths)),
      strict_(strict) {}

const std::vector<ReportItem>& ReportObject::items() {
  std::call_once(itemsMade_, [this] { items_ = bomreport::reportItems(report_->view(false)); });
  return items_;
}

std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> ReportObject::used() {
  const std::lock_guard<std::mutex> lock(marking_);
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> rows;
  for (bomreport::EvaluatedReport::UsedRow& row : report_->usedRows()) {
    rows.emplace_back(std::move(row.handles), std::move(row.tokens));
  }
  return rows;
}

std::vector<bomreport::ReportWarning> ReportObject::write(std::ostream& out,
                                                         const bomreport::ReportWriter& writer,
                                                         const bomreport::WriterOptions& options,
                                                         bool used) {
  const std::lock_guard<std::mutex> lock(marking_);
  bomreport::Report view = report_->view(used);
  view.options = &options;
  std::vector<bomreport::ReportWarning> cut;
  view.writerWarnings = &cut;
  writer.write(out, view);
  return cut;
}

std::optional<std::string> ReportObject::unitOf(const std::string& token) const {
  const bomreport::DisplayUnit* unit = report_->units().unitOf(std::string_view(token));
  if (unit == nullptr) return std::nullopt;
  return unit->symbol;
}

namespace {

// A value as Python reads it: an int or float where the display text reads as
// a number (the JSON report's rule), else the text; None for no value.
py::object pythonValue(const ReportValue& value) {
  switch (value.kind) {
    case ReportValue::Kind::kNone:
      return py::none();
    case ReportValue::Kind::kText:
      return py::str(value.text);
    case ReportValue::Kind::kInteger:
      return py::int_(static_cast<long long>(value.number));
    case ReportValue::Kind::kReal:
      return py::float_(value.number);
  }
  return py::none();
}

py::list tuplesOf(const ReportItem& item) {
  py::list tuples;
  for (const ReportValue& value : item.values)
    tuples.append(py::make_tuple(value.token, value.text));
  return tuples;
}

// Token to value; of a token that occurs twice in the item, the first.
void addValues(const ReportItem& item, py::dict& values) {
  for (const ReportValue& value : item.values) {
    const py::str token(value.token);
    if (!values.contains(token)) values[token] = pythonValue(value);
  }
}

py::dict valuesOf(const ReportItem& item) {
  py::dict values;
  addValues(item, values);
  return values;
}

py::dict recordOf(const ReportItem& item) {
  py::dict record;
  record["depth"] = item.depth;
  record["type"] = item.typeName;
  record["row"] = item.row ? py::object(py::str(*item.row)) : py::object(py::none());
  addValues(item, record);
  return record;
}

std::string itemRepr(const ReportItem& item) {
  std::string text = "Item(depth=" + std::to_string(item.depth) + ", type=" + item.typeName;
  text += ", row=" + item.row.value_or("None") + ",";
  for (const ReportValue& value : item.values) text += ' ' + value.token + '=' + value.text;
  return text + ')';
}

const bomreport::ReportWriter& writerFor(const std::string& format) {
  const bomreport::ReportWriter* writer = bomreport::findReportWriter(format);
  if (writer != nullptr) return *writer;
  std::string names;
  for (const std::string& name : bomreport::reportFormatNames()) {
    names += (names.empty() ? "" : ", ") + name;
  }
  throw py::value_error("unknown format \"" + format + "\" (vrkbom.formats: " + names + ")");
}

bomreport::WriterOptions writerOptions(std::string paper, bool landscape, bool csvSumsUnderToken,
                                       bool csvRaw, const std::optional<std::string>& date) {
  bomreport::WriterOptions options;
  options.paper = parsedOption("paper", [&] { return bomreport::parsePaper(paper); });
  options.landscape = landscape;
  options.csvSumsUnderToken = csvSumsUnderToken;
  options.csvRaw = csvRaw;
  options.date = date.value_or("");
  options.spelling = pythonSpelling;
  return options;
}

py::bytes toBytes(ReportObject& self, const std::string& format, const std::string& paper,
                  bool landscape, bool csvSumsUnderToken, bool csvRaw, bool used,
                  const std::optional<std::string>& date);

// What a document shows less than whole: Python warnings, or under strict the
// ReportWarning that refuses the document.
void passWriterWarnings(const ReportObject& self,
                        const std::vector<bomreport::ReportWarning>& warnings) {
  if (self.strict() && !warnings.empty()) raiseStrict(warnings);
  for (const bomreport::ReportWarning& warning : warnings) warn(warning);
}

// Writes all of `document` to a file object, as many calls as it takes: a raw
// file, pipe or socket may write fewer bytes than given and says how many. A
// write that says nothing was written (None: it would block; 0; not a count)
// is an OSError, never a report cut short without a word.
void writeAll(const py::object& file, const py::bytes& document) {
  const py::object view = py::module_::import("builtins").attr("memoryview")(document);
  const auto size = static_cast<long long>(py::len(document));
  for (long long done = 0; done < size;) {
    const py::object wrote = file.attr("write")(view[py::slice(done, size, 1)]);
    if (!py::isinstance<py::int_>(wrote) || wrote.cast<long long>() <= 0) {
      const std::string message =
          "Report.write: the file object's write() returned " + py::repr(wrote).cast<std::string>() +
          " after " + std::to_string(done) + " of " + std::to_string(size) +
          " bytes: the report was not written whole (a non-blocking stream? write to a path or "
          "to a blocking file)";
      PyErr_SetString(PyExc_OSError, message.c_str());
      throw py::error_already_set();
    }
    done += wrote.cast<long long>();
  }
}

// A binary file object (it has write(), and is no text stream): the document
// written to it in `format`, or in the format its name's extension says.
bool writeToFileObject(ReportObject& self, const py::object& file,
                       const std::optional<std::string>& format, const std::string& paper,
                       bool landscape, bool csvSumsUnderToken, bool csvRaw, bool used,
                       const std::optional<std::string>& date) {
  if (!py::hasattr(file, "write") || py::isinstance<py::str>(file)) return false;
  if (py::isinstance(file, py::module_::import("io").attr("TextIOBase"))) {
    throw py::type_error("Report.write writes bytes: open the file in binary mode (\"wb\"), "
                         "or give a path");
  }
  std::optional<std::string> named = format;
  if (!named && py::hasattr(file, "name") && py::isinstance<py::str>(file.attr("name"))) {
    named = bomreport::formatForOutputPath(file.attr("name").cast<std::string>());
  }
  if (!named || named->empty()) {
    throw py::value_error("Report.write to a file object needs format= (one of vrkbom.formats)");
  }
  writeAll(file, toBytes(self, *named, paper, landscape, csvSumsUnderToken, csvRaw, used, date));
  return true;
}

void writeFile(ReportObject& self, const py::object& path, const std::optional<std::string>& format,
               const std::string& paper, bool landscape, bool csvSumsUnderToken, bool csvRaw,
               bool used, const std::optional<std::string>& date) {
  if (writeToFileObject(self, path, format, paper, landscape, csvSumsUnderToken, csvRaw, used,
                        date)) {
    return;
  }
  const std::string file = pathArgument(path, "path");
  const std::string named = format.value_or(bomreport::formatForOutputPath(file));
  if (named.empty()) {
    std::string names;
    for (const std::string& name : bomreport::reportFormatNames()) {
      names += (names.empty() ? "" : ", ") + name;
    }
    throw py::value_error(file + ": its extension names no report format (" +
                          bomreport::reportFormatExtensions() + "); name one with format= (" +
                          names + ")");
  }
  const bomreport::ReportWriter& writer = writerFor(named);
  const bomreport::WriterOptions options =
      writerOptions(paper, landscape, csvSumsUnderToken, csvRaw, date);
  const std::vector<bomreport::ReportWarning> cut = withEngine([&] {
    bomreport::checkOutputIsNoInput(file, self.inputPaths());
    bomreport::OutputTarget target(file);
    std::vector<bomreport::ReportWarning> warnings =
        self.write(target.stream(), writer, options, used);
    if (!self.strict() || warnings.empty()) target.commit();
    return warnings;
  });
  passWriterWarnings(self, cut);
}

py::bytes toBytes(ReportObject& self, const std::string& format, const std::string& paper,
                  bool landscape, bool csvSumsUnderToken, bool csvRaw, bool used,
                  const std::optional<std::string>& date) {
  const bomreport::ReportWriter& writer = writerFor(format);
  const bomreport::WriterOptions options =
      writerOptions(paper, landscape, csvSumsUnderToken, csvRaw, date);
  std::vector<bomreport::ReportWarning> cut;
  const std::string document = withEngine([&] {
    std::ostringstream out;
    cut = self.write(out, writer, options, used);
    return std::move(out).str();
  });
  passWriterWarnings(self, cut);
  return py::bytes(document);
}

std::vector<ReportItem> itemsOf(ReportObject& self) {
  return withEngine([&] { return self.items(); });
}

py::list toRecords(ReportObject& self) {
  py::list records;
  for (const ReportItem& item : itemsOf(self)) records.append(recordOf(item));
  return records;
}

py::object toPandas(ReportObject& self, const std::string& layout, bool captions) {
  if (layout == "parts") {
    return partsFrame(itemsOf(self), self.report().columns(), captions);
  }
  if (layout != "report") {
    throw py::value_error("layout must be \"parts\" or \"report\", not \"" + layout + '"');
  }
  py::module_ pandas = importPandas("Report.to_pandas");
  return pandas.attr("DataFrame")(toRecords(self));
}

ReportItem itemAt(ReportObject& self, long long index) {
  return withEngine([&] {
    const std::vector<ReportItem>& items = self.items();
    const auto count = static_cast<long long>(items.size());
    if (index < 0) index += count;
    if (index < 0 || index >= count) throw py::index_error("report item index out of range");
    return items[static_cast<std::size_t>(index)];
  });
}

py::list warningsOf(const ReportObject& self) {
  py::list warnings;
  for (const bomreport::ReportWarning& warning : self.report().warnings()) {
    warnings.append(systemText(pythonWords(warning)));
  }
  return warnings;
}

const char kWriteOptionsDoc[] =
    "`paper` (\"a4\", \"a3\", \"letter\") and `landscape`: the PDF's pages and the page\n"
    "HTML and XLSX ask their printers for; `csv_sums_under_token`: CSV puts a sum in the\n"
    "column of the token it sums; `csv_raw`: CSV writes texts as they are, even those a\n"
    "spreadsheet would run as formulas (by default they get a quote before them); `used`:\n"
    "the used handles and tokens follow the report\n"
    "(text, list, csv, json, html); `date`: the date a PDF's running head shows (default\n"
    "today's).";

void bindItem(py::module_& module) {
  py::class_<ReportItem>(module, "Item",
                         "One evaluated item of a report: a copy of a template section filled "
                         "with a row's values or a group's sums.")
      .def_readonly("depth", &ReportItem::depth,
                    "0 for the items directly below the report, 1 for those inside them, ...")
      .def_readonly("type", &ReportItem::typeName,
                    "The section type by enumerator name: \"kGroupHeader\", \"kDetails\", ...")
      .def_readonly("row", &ReportItem::row,
                    "The handle of the row that opened the item's group; None for sums.")
      .def_property_readonly("tuples", &tuplesOf,
                             "The visible tuples as (token, display text), in order: grouping, "
                             "sorting and filter directives are left out.")
      .def_property_readonly(
          "values", &valuesOf,
          "Token to value: an int or float where the display text reads as a number (as the\n"
          "JSON report writes it; in the unit shown), else the text. Of a token that occurs\n"
          "twice in the item, the first.")
      .def("__repr__", &itemRepr);
}

void bindTrace(py::module_& module) {
  py::class_<TraceInfo>(module, "Trace", "What a template asks of the data.")
      .def_readonly("tokens", &TraceInfo::tokens,
                    "The template's token trace: every token it uses, directives included.")
      .def_readonly("filter_object_types", &TraceInfo::filterObjectTypes,
                    "The object types its filters keep; empty when it does not filter.")
      .def("__repr__", [](const TraceInfo& trace) {
        return py::str("Trace(tokens={!r}, filter_object_types={!r})")
            .format(trace.tokens, trace.filterObjectTypes);
      });
}

}  // namespace

void bindReport(py::module_& module) {
  bindItem(module);
  bindTrace(module);
  py::class_<ReportObject>(
      module, "Report",
      "An evaluated report: its items in report order (iterate, index, len), and every\n"
      "format of bomreport. Holds the evaluated trees until it is released.")
      .def("__len__",
           [](ReportObject& self) { return withEngine([&] { return self.items().size(); }); })
      .def("__getitem__", &itemAt, py::arg("index"))
      .def("__iter__", [](ReportObject& self) { return py::iter(py::cast(itemsOf(self))); })
      .def("write", &writeFile, py::arg("path"), py::arg("format") = py::none(), py::kw_only(),
           py::arg("paper") = "a4", py::arg("landscape") = false,
           py::arg("csv_sums_under_token") = false, py::arg("csv_raw") = false,
           py::arg("used") = false, py::arg("date") = py::none(),
           (std::string("Writes the report to `path` (atomically: a failed write leaves no\n"
                        "file). `format` is one of vrkbom.formats, in any case; None: as the\n"
                        "path's extension says (" + bomreport::reportFormatExtensions() + ";\n"
                        "text without one; ValueError for any other). Raises OutputError when\n"
                        "it cannot be written, and InputError for a path that names an input\n"
                        "of the report.\n") +
            kWriteOptionsDoc)
               .c_str())
      .def(
          "to_bytes", &toBytes, py::arg("format") = "text", py::kw_only(), py::arg("paper") = "a4",
          py::arg("landscape") = false, py::arg("csv_sums_under_token") = false,
          py::arg("csv_raw") = false, py::arg("used") = false, py::arg("date") = py::none(),
          (std::string("The document `write` would write, as bytes.\n") + kWriteOptionsDoc).c_str())
      .def("to_records", &toRecords,
           "One dict per item: \"depth\", \"type\", \"row\", then token to value as in\n"
           "Item.values.")
      .def("to_pandas", &toPandas, py::arg("layout") = "parts", py::kw_only(),
           py::arg("captions") = false,
           "The report as a pandas DataFrame. layout=\"parts\": one row per details line,\n"
           "the group keys of its headers repeated, numbers as exact floats (ints in Int64\n"
           "columns for integer tokens) in the units shown, columns named by token without\n"
           "\"%\" (captions=True: by the template's captions). layout=\"report\": the records\n"
           "of to_records, a column per key. Raises ImportError without pandas.")
      .def(
          "totals",
          [](ReportObject& self, bool captions) {
            return totalsFrames(itemsOf(self), self.report().columns(), captions);
          },
          py::kw_only(), py::arg("captions") = false,
          "The sums: a dict from a footer's depth (0: the report's totals) to a DataFrame\n"
          "with a row per footer, the keys of the group it closes and its sums, named as\n"
          "to_pandas names them.")
      .def(
          "used", [](ReportObject& self) { return withEngine([&] { return self.used(); }); },
          "Per row whose values reached the report: (handles, tokens), the row's handle\n"
          "and its equal parts' handles, and the tokens used.")
      .def(
          "unit_of",
          [](const ReportObject& self, const std::string& token) {
            return withEngine([&] { return self.unitOf(token); });
          },
          py::arg("token"),
          "The unit symbol `token`'s numbers are shown in (\"mm\", \"kg\"; a sum in its\n"
          "token's), or None.")
      .def_property_readonly(
          "trace", [](const ReportObject& self) { return self.trace(); },
          "The template's token trace and filter object types (a Trace).")
      .def_property_readonly("warnings", &warningsOf,
                             "The warnings of the evaluation, also issued as ReportWarning.")
      .def_property_readonly(
          "template_name",
          [](const ReportObject& self) { return systemText(self.report().templateName()); },
          "How the report names its template.")
      .def_property_readonly(
          "data_name",
          [](const ReportObject& self) { return systemText(self.report().dataName()); },
          "How the report names its parts.")
      .def("__repr__", [](const ReportObject& self) {
        return py::str("<vrkbom.Report {} over {}>")
            .format(systemText(self.report().templateName()), systemText(self.report().dataName()));
      });
}

}  // namespace vrkbom
