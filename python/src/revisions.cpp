#include "revisions.h"

#include <pybind11/stl.h>

#include <sstream>

#include "conversions.h"
#include "engine_lock.h"

namespace vrkbom {

namespace py = pybind11;

namespace {

py::object pythonValue(const std::optional<bomreport::ReportValue>& value) {
  using Kind = bomreport::ReportValue::Kind;
  if (!value || value->kind == Kind::kNone) return py::none();
  if (value->kind == Kind::kText) return py::str(value->text);
  if (value->kind == Kind::kInteger) return py::int_(static_cast<long long>(value->number));
  return py::float_(value->number);
}

std::string groupsText(const bomreport::RevisionLine& line) {
  std::string text;
  for (const std::string& group : line.groups) text += (text.empty() ? "" : " / ") + group;
  return text;
}

bool isFooter(const bomreport::RevisionLine& line) {
  return line.type == bomreport::SectionType::kGroupFooter ||
         line.type == bomreport::SectionType::kReportFooter;
}

// A record per line, as the CSV revision list has its rows.
py::list records(const RevisionsObject& self) {
  py::list rows;
  for (const bomreport::RevisionLine& line : self.revisions.lines) {
    py::dict row;
    row["change"] = isFooter(line) ? "sum" : bomreport::revisionChangeName(line.change);
    row["groups"] = groupsText(line);
    row["key"] = line.key;
    for (const bomreport::RevisionValue& value : line.values) {
      row[py::str(value.token + " before")] = pythonValue(value.before);
      row[py::str(value.token + " after")] = pythonValue(value.after);
      const std::optional<double> difference = value.difference();
      if (difference) row[py::str(value.token + " difference")] = *difference;
    }
    rows.append(row);
  }
  return rows;
}

py::bytes toBytes(const RevisionsObject& self, const std::string& format) {
  std::ostringstream out;
  withEngine([&] { bomreport::writeRevisions(out, self.revisions, format); });
  return py::bytes(out.str());
}

}  // namespace

void bindRevisions(py::module_& module) {
  py::class_<RevisionsObject>(module, "Revisions",
                              "What changed between two revisions of the parts, line by line of "
                              "the template's report (vrkbom.diff).")
      .def_property_readonly("counts",
                             [](const RevisionsObject& self) {
                               const bomreport::Revisions& r = self.revisions;
                               py::dict counts;
                               counts["added"] = r.added;
                               counts["removed"] = r.removed;
                               counts["changed"] = r.changed;
                               counts["unchanged"] = r.unchanged;
                               return counts;
                             })
      .def_property_readonly("moves",
                             [](const RevisionsObject& self) {
                               py::list moves;
                               for (const bomreport::RevisionMove& m : self.revisions.moves) {
                                 moves.append(py::make_tuple(m.handle, m.from, m.to));
                               }
                               return moves;
                             })
      .def("to_records", &records, "A dict per line: change, groups, key, and TOKEN before/after/difference.")
      .def(
          "to_pandas",
          [](const RevisionsObject& self) {
            return py::module_::import("pandas").attr("DataFrame")(records(self));
          },
          "The records as a pandas DataFrame.")
      .def("to_bytes", &toBytes, py::arg("format") = "text",
           "The revision list in a format: text, csv, json, html, xlsx or pdf.")
      .def(
          "write",
          [](const RevisionsObject& self, const py::object& path, std::optional<std::string> format) {
            const std::string file = pathArgument(path, "path");
            const std::string named = format.value_or(bomreport::formatForOutputPath(file));
            withEngine([&] {
              bomreport::checkOutputIsNoInput(file, self.inputs);
              bomreport::OutputTarget target(file);
              bomreport::writeRevisions(target.stream(), self.revisions, named.empty() ? "text" : named);
              target.commit();
            });
          },
          py::arg("path"), py::arg("format") = py::none(),
          "Writes the revision list to `path` atomically, in `format` or as its extension says.");
}

}  // namespace vrkbom
