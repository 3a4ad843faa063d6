#include "records.h"

#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "BomReportErrors.h"
#include "conversions.h"

namespace vrkbom {

namespace py = pybind11;

namespace {

using bomreport::PartsTable;

enum class Field { kToken, kHandle, kType, kEqual };

// The values that stand for "no value": None, NaN, and pandas' NA and NaT when
// pandas has been imported (a DataFrame's gaps).
class Missing {
 public:
  Missing() {
    const py::dict modules = py::module_::import("sys").attr("modules");
    if (!modules.contains("pandas")) return;
    const py::handle pandas = modules["pandas"];
    na_ = py::getattr(pandas, "NA", py::none());
    nat_ = py::getattr(pandas, "NaT", py::none());
  }

  bool operator()(PyObject* value) const {
    if (value == Py_None) return true;
    if (PyFloat_Check(value)) return std::isnan(PyFloat_AS_DOUBLE(value));
    return value == na_.ptr() || value == nat_.ptr();
  }

 private:
  py::object na_ = py::none();
  py::object nat_ = py::none();
};

// The UTF-8 of a str; none for one that holds a lone surrogate (a str can,
// UTF-8 cannot), the Python error cleared for the caller to name the record.
std::optional<std::string_view> utf8Text(PyObject* text) {
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_AsUTF8AndSize(text, &size);
  if (bytes == nullptr) {
    PyErr_Clear();
    return std::nullopt;
  }
  return std::string_view(bytes, static_cast<std::size_t>(size));
}

bool isInteger(PyObject* value) {
  return !PyBool_Check(value) && (PyLong_Check(value) || PyIndex_Check(value));
}

// An int, or anything with __index__ (numpy's integers), as a Python int.
py::object asInt(PyObject* value) {
  PyObject* integer = PyNumber_Index(value);
  if (integer == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(integer);
}

// A Python int as a value: an integer, or a real beyond 64 bits.
PartsTable::Value integerValue(PyObject* value) {
  const py::object integer = asInt(value);
  int overflow = 0;
  const long long small = PyLong_AsLongLongAndOverflow(integer.ptr(), &overflow);
  if (overflow == 0) return small;
  const double real = PyLong_AsDouble(integer.ptr());
  if (real == -1.0 && PyErr_Occurred() != nullptr) throw py::error_already_set();
  return real;
}

// A float, or anything else with __float__ (numpy's floats, Decimal); none for
// NaN.
std::optional<double> realValue(PyObject* value) {
  const double real = PyFloat_AsDouble(value);
  if (real == -1.0 && PyErr_Occurred() != nullptr) throw py::error_already_set();
  if (std::isnan(real)) return std::nullopt;
  return real;
}

bool hasFloat(PyObject* value) {
  const PyNumberMethods* number = Py_TYPE(value)->tp_as_number;
  return !PyBool_Check(value) && number != nullptr && number->nb_float != nullptr;
}

class TableBuilder {
 public:
  explicit TableBuilder(std::string name) : table_(std::make_shared<PartsTable>()) {
    table_->name = std::move(name);
  }

  // Appends the part of one dict.
  void addRecord(py::handle record) {
    const long long number = static_cast<long long>(table_->parts.size()) + 1;
    if (!PyDict_Check(record.ptr())) {
      throw py::type_error(where(number) + "a record is a dict, not " + typeName(record));
    }
    PartsTable::Part part;
    unsigned seen = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    Py_ssize_t position = 0;
    while (PyDict_Next(record.ptr(), &position, &key, &value)) {
      const Field field = fieldOf(key, number, seen);
      setField(part, field, key, value, number);
    }
    table_->parts.push_back(std::move(part));
  }

  // Appends a part per row of a DataFrame, read column by column; a token
  // column of values no token takes is passed over into `skipped`.
  void addFrame(py::handle frame, SkippedColumns* skipped) {
    const std::size_t first = table_->parts.size();
    const std::size_t rows = py::len(frame);
    table_->parts.resize(first + rows);
    const py::list columns(frame.attr("columns"));
    const py::object all = py::module_::import("builtins").attr("slice")(py::none());
    unsigned seen = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      PyObject* key = columns[c].ptr();
      const Field field = fieldOf(key, 0, seen);
      const py::list values = frame.attr("iloc")[py::make_tuple(all, c)].attr("tolist")();
      if (field == Field::kToken && skipped != nullptr) {
        const PyObject* bad = firstUntakable(values);
        if (bad != nullptr) {
          skipped->emplace_back(std::string(utf8Of(key, 0, "a column's name")),
                                typeName(py::handle(const_cast<PyObject*>(bad))));
          continue;
        }
      }
      for (std::size_t r = 0; r < rows; ++r) {
        setField(table_->parts[first + r], field, key, values[r].ptr(),
                 static_cast<long long>(first + r) + 1);
      }
    }
  }

  std::shared_ptr<PartsTable> take() { return std::move(table_); }

 private:
  // The first value of `values` that no token takes (a bool, a datetime), or null.
  const PyObject* firstUntakable(const py::list& values) const {
    for (const py::handle value : values) {
      PyObject* v = value.ptr();
      if (missing_(v) || PyUnicode_Check(v) || PyFloat_Check(v) || isInteger(v) || hasFloat(v)) {
        continue;
      }
      return v;
    }
    return nullptr;
  }

  // "records:3: " for part 3; "records: " when no part is meant.
  std::string where(long long number) const {
    return table_->name + (number > 0 ? ':' + std::to_string(number) : std::string()) + ": ";
  }

  [[noreturn]] void fail(long long number, const std::string& reason) const {
    throw bomreport::InputError(table_->name, number, 0, reason);
  }

  // `text` (a key or value of part `number`: `what`) as UTF-8.
  std::string_view utf8Of(PyObject* text, long long number, const std::string& what) const {
    const std::optional<std::string_view> utf8 = utf8Text(text);
    if (!utf8) {
      fail(number, what + " holds a lone surrogate (U+D800 to U+DFFF), which no UTF-8 text "
                          "can hold: " + py::repr(py::handle(text)).cast<std::string>());
    }
    return *utf8;
  }

  [[noreturn]] void wrongType(long long number, const std::string& what, const char* expected,
                              py::handle value) const {
    throw py::type_error(where(number) + what + " is " + expected + ", not " + typeName(value));
  }

  // What a key names. A reserved key may come once (in either spelling).
  Field fieldOf(PyObject* key, long long number, unsigned& seen) const {
    if (!PyUnicode_Check(key)) {
      wrongType(number, "a key", "a str (a token, handle, type or equal)", key);
    }
    const std::string_view name = utf8Of(key, number, "a key");
    const std::string_view bare = !name.empty() && name.front() == '#' ? name.substr(1) : name;
    Field field = Field::kToken;
    const bomreport::PartKey reserved = bomreport::reservedPartKey(bare);
    if (reserved == bomreport::PartKey::kHandle) {
      field = Field::kHandle;
    } else if (reserved == bomreport::PartKey::kType) {
      field = Field::kType;
    } else if (reserved == bomreport::PartKey::kEqual) {
      field = Field::kEqual;
    } else if (bare.size() != name.size()) {
      fail(number,
           "unknown reserved key \"" + std::string(name) + "\" (reserved: handle, type, equal)");
    }
    if (field == Field::kToken) return field;
    const unsigned bit = 1u << static_cast<unsigned>(field);
    if ((seen & bit) != 0) fail(number, "\"" + std::string(bare) + "\" given twice");
    seen |= bit;
    return field;
  }

  int tokenIndex(std::string_view token) {
    auto found = tokens_.find(std::string(token));
    if (found != tokens_.end()) return found->second;
    const int index = static_cast<int>(table_->tokens.size());
    table_->tokens.emplace_back(token);
    tokens_.emplace(std::string(token), index);
    return index;
  }

  void setField(PartsTable::Part& part, Field field, PyObject* key, PyObject* value,
                long long number) {
    if (missing_(value)) return;
    switch (field) {
      case Field::kToken:
        addValue(part, utf8Of(key, number, "a key"), value, number);
        break;
      case Field::kHandle:
        part.handle = handleOf(value, number, "the handle");
        break;
      case Field::kType:
        part.type = typeOf(value, number);
        break;
      case Field::kEqual:
        part.equal = equalOf(value, number);
        break;
    }
  }

  void addValue(PartsTable::Part& part, std::string_view token, PyObject* value, long long number) {
    if (PyUnicode_Check(value)) {
      part.tuples.push_back(
          {tokenIndex(token), std::string(utf8Of(value, number, "the value of " + std::string(token)))});
    } else if (PyFloat_Check(value)) {
      part.tuples.push_back({tokenIndex(token), PyFloat_AS_DOUBLE(value)});
    } else if (isInteger(value)) {
      part.tuples.push_back({tokenIndex(token), integerValue(value)});
    } else if (hasFloat(value)) {
      const std::optional<double> real = realValue(value);
      if (real) part.tuples.push_back({tokenIndex(token), *real});
    } else {
      wrongType(number, "the value of " + std::string(token), "a str, int or float", value);
    }
  }

  std::string handleOf(PyObject* value, long long number, const char* what) const {
    if (PyUnicode_Check(value)) return std::string(utf8Of(value, number, what));
    if (isInteger(value)) return py::str(asInt(value)).cast<std::string>();
    if (PyFloat_Check(value)) {  // a numeric column with gaps
      const double real = PyFloat_AS_DOUBLE(value);
      if (std::trunc(real) == real && std::abs(real) < 1e15) {
        return std::to_string(static_cast<long long>(real));
      }
    }
    wrongType(number, what, "a str or an int", value);
  }

  int typeOf(PyObject* value, long long number) const {
    long long type = 0;
    if (isInteger(value)) {
      int overflow = 0;
      type = PyLong_AsLongLongAndOverflow(asInt(value).ptr(), &overflow);
      if (overflow != 0) type = std::numeric_limits<long long>::max();
    } else if (PyFloat_Check(value) &&
               std::trunc(PyFloat_AS_DOUBLE(value)) == PyFloat_AS_DOUBLE(value)) {
      const double real = PyFloat_AS_DOUBLE(value);
      type = std::abs(real) < 1e18 ? static_cast<long long>(real)
                                   : std::numeric_limits<long long>::max();
    } else if (PyUnicode_Check(value)) {
      PyObject* parsed = PyLong_FromUnicodeObject(value, 10);
      if (parsed == nullptr) {
        PyErr_Clear();
        fail(number, "\"" + std::string(utf8Of(value, number, "the type")) + "\" is not an object type (an integer)");
      }
      return typeOf(py::reinterpret_steal<py::object>(parsed).ptr(), number);
    } else {
      wrongType(number, "the object type", "an int", value);
    }
    if (type < std::numeric_limits<int>::min() || type > std::numeric_limits<int>::max()) {
      fail(number, "the object type must be a 32-bit integer");
    }
    return static_cast<int>(type);
  }

  std::vector<std::string> equalOf(PyObject* value, long long number) const {
    if (PyUnicode_Check(value)) return {std::string(utf8Of(value, number, "the equal parts"))};
    if (!PyList_Check(value) && !PyTuple_Check(value)) {
      wrongType(number, "equal", "a list of handles or a str", value);
    }
    std::vector<std::string> handles;
    for (const py::handle handle : py::reinterpret_borrow<py::sequence>(value)) {
      handles.push_back(handleOf(handle.ptr(), number, "a handle of an equal part"));
    }
    return handles;
  }

  Missing missing_;
  std::unordered_map<std::string, int> tokens_;
  std::shared_ptr<PartsTable> table_;
};

bool isDataFrame(py::handle records) {
  return py::hasattr(records, "columns") && py::hasattr(records, "iloc");
}

}  // namespace

std::shared_ptr<PartsTable> tableFromRecords(py::handle records, std::string name,
                                             SkippedColumns* skipped) {
  TableBuilder builder(std::move(name));
  if (isDataFrame(records)) {
    py::object frame = py::reinterpret_borrow<py::object>(records);
    const py::list indexNames(frame.attr("index").attr("names"));
    bool named = true;
    for (const py::handle level : indexNames) named = named && !level.is_none();
    if (named) frame = frame.attr("reset_index")();  // a named index is a column
    builder.addFrame(frame, skipped);
  } else if (py::isinstance<py::iterable>(records) && !py::isinstance<py::str>(records) &&
             !py::isinstance<py::dict>(records)) {
    for (const py::handle record : records) builder.addRecord(record);
  } else {
    throw py::type_error("records must be an iterable of dicts or a pandas DataFrame, not " +
                         typeName(records));
  }
  return builder.take();
}

}  // namespace vrkbom
