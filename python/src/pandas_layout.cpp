#include "pandas_layout.h"

#include <map>
#include <string>
#include <unordered_map>
#include <utility>

namespace vrkbom {

namespace py = pybind11;

using bomreport::ReportItem;
using bomreport::ReportValue;
using bomreport::SectionType;
using bomreport::TokenType;

namespace {

enum class Kind { kHeader, kDetails, kFooter, kPage };

Kind kindOf(SectionType type) {
  switch (type) {
    case SectionType::kReportHeader:
    case SectionType::kGroupHeader:
      return Kind::kHeader;
    case SectionType::kGroupFooter:
    case SectionType::kReportFooter:
      return Kind::kFooter;
    case SectionType::kPageHeader:
    case SectionType::kPageFooter:
      return Kind::kPage;
    default:
      return Kind::kDetails;
  }
}

// Columns filled row by row; a row leaves the columns it lacks empty.
class FrameBuilder {
 public:
  FrameBuilder(const bomreport::ColumnStyles& styles, bool captions)
      : styles_(styles), captions_(captions) {}

  void set(const ReportValue& value) {
    const std::size_t c = columnOf(value.token);
    Column& column = columns_[c];
    column.values.resize(rows_ + 1, py::none());
    column.values[rows_] = pythonValue(value, column);
  }
  void endRow() { ++rows_; }

  py::object frame(py::module_& pandas) {
    py::dict data;
    py::list order;
    for (Column& column : columns_) {
      column.values.resize(rows_, py::none());
      py::list values;
      for (const py::object& value : column.values) values.append(value);
      data[py::str(column.name)] = values;
      order.append(py::str(column.name));
    }
    py::object frame = pandas.attr("DataFrame")(data, py::arg("columns") = order);
    for (const Column& column : columns_) {
      if (column.integers) {
        frame[py::str(column.name)] = frame[py::str(column.name)].attr("astype")("Int64");
      }
    }
    return frame;
  }

 private:
  struct Column {
    std::string name;
    TokenType type;
    bool integers = true;  // no value yet that is no integer
    std::vector<py::object> values;
  };

  std::string nameOf(const std::string& token) const {
    std::string key = token;
    const std::string sum = "%SumBy:";
    if (key.compare(0, sum.size(), sum) == 0) key = key.substr(sum.size());
    const bomreport::ColumnStyle* style = captions_ ? styles_.find(key) : nullptr;
    if (style != nullptr && !style->caption.empty()) return style->caption;
    return !key.empty() && key[0] == '%' ? key.substr(1) : key;
  }

  std::size_t columnOf(const std::string& token) {
    const std::string name = nameOf(token);
    const auto found = index_.find(name);
    if (found != index_.end()) return found->second;
    Column column;
    column.name = name;
    column.type = bomreport::catalogueTokenType(token);
    column.integers = column.type == TokenType::kInteger ||
                      column.type == TokenType::kUnknown;
    columns_.push_back(std::move(column));
    index_.emplace(name, columns_.size() - 1);
    return columns_.size() - 1;
  }

  static py::object pythonValue(const ReportValue& value, Column& column) {
    const bool text = column.type == TokenType::kText ||
                      value.kind == ReportValue::Kind::kText;
    if (value.kind == ReportValue::Kind::kNone) return py::none();
    if (text) {
      column.integers = false;
      return py::str(value.text);
    }
    if (value.kind == ReportValue::Kind::kInteger &&
        column.type != TokenType::kReal) {
      return py::int_(static_cast<long long>(value.number));
    }
    column.integers = false;
    return py::float_(value.number);
  }

  const bomreport::ColumnStyles& styles_;
  bool captions_;
  std::vector<Column> columns_;
  std::unordered_map<std::string, std::size_t> index_;
  std::size_t rows_ = 0;
};

// The header items around the current item, with their depths.
class OpenHeaders {
 public:
  // Drops the headers at `depth` and deeper (`closing`: only deeper, for a
  // footer, which lies in the group it closes).
  void reach(int depth, bool closing) {
    while (!open_.empty() && (open_.back()->depth > depth ||
                              (!closing && open_.back()->depth == depth))) {
      open_.pop_back();
    }
  }
  void open(const ReportItem& header) { open_.push_back(&header); }
  // The group keys: the header values of tokens with "%".
  void keysInto(FrameBuilder& builder) const {
    for (const ReportItem* header : open_) {
      for (const ReportValue& value : header->values) {
        if (!value.token.empty() && value.token[0] == '%') builder.set(value);
      }
    }
  }

 private:
  std::vector<const ReportItem*> open_;
};

}  // namespace

py::module_ importPandas(const char* caller) {
  try {
    return py::module_::import("pandas");
  } catch (py::error_already_set& missing) {
    if (!missing.matches(PyExc_ImportError)) throw;
    py::raise_from(missing, PyExc_ImportError,
                   (std::string(caller) + " needs pandas (Debian: python3-pandas)").c_str());
    throw py::error_already_set();
  }
}

namespace {

// Calls add(builder) for every item of kind `wanted`, after the group keys of
// the headers around it have gone into the builder that pick(item) gives.
template <class Pick>
void addRows(const std::vector<ReportItem>& items, Kind wanted, Pick pick) {
  OpenHeaders headers;
  for (const ReportItem& item : items) {
    const Kind kind = kindOf(item.type);
    if (kind == Kind::kPage) continue;
    headers.reach(item.depth, kind == Kind::kFooter);
    if (kind == Kind::kHeader) headers.open(item);
    if (kind != wanted) continue;
    FrameBuilder& builder = pick(item);
    headers.keysInto(builder);
    for (const ReportValue& value : item.values) builder.set(value);
    builder.endRow();
  }
}

}  // namespace

py::object partsFrame(const std::vector<ReportItem>& items, const bomreport::ColumnStyles& styles,
                      bool captions) {
  py::module_ pandas = importPandas("Report.to_pandas");
  FrameBuilder builder(styles, captions);
  addRows(items, Kind::kDetails, [&builder](const ReportItem&) -> FrameBuilder& { return builder; });
  return builder.frame(pandas);
}

py::dict totalsFrames(const std::vector<ReportItem>& items, const bomreport::ColumnStyles& styles,
                      bool captions) {
  py::module_ pandas = importPandas("Report.totals");
  std::map<int, FrameBuilder> levels;
  addRows(items, Kind::kFooter, [&](const ReportItem& item) -> FrameBuilder& {
    return levels.try_emplace(item.depth, styles, captions).first->second;
  });
  py::dict frames;
  for (auto& level : levels) frames[py::int_(level.first)] = level.second.frame(pandas);
  return frames;
}

}  // namespace vrkbom
