#include "output/report_model.h"

#include <atomic>
#include <string>

namespace bomreport {

namespace {

std::atomic<unsigned long long> modelsMade{0};

// The shapes of items a LineCells keeps, at most.
constexpr std::size_t kShapesKept = 32;

bool sameTokens(const std::vector<const char16_t*>& tokens,
                const QelArray<QelBomDataTuple>& tuples) {
  if (tokens.size() != static_cast<std::size_t>(tuples.count())) return false;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i] != tuples[static_cast<int>(i)].token().token().getStringW()) return false;
  }
  return true;
}

}  // namespace

ReportModel::ReportModel(const QelBomTemplateItem& output, const Report& report)
    : id_(++modelsMade), lines_(collectLines(output)), exact_(report, lines_) {}

const std::vector<char>& ReportModel::visibleOf(const QelArray<QelBomDataTuple>& tuples,
                                                LineCells& out) {
  for (const LineCells::Shape& shape : out.shapes_) {
    if (sameTokens(shape.tokens, tuples)) return shape.visible;
  }
  if (out.shapes_.size() == kShapesKept) out.shapes_.pop_back();
  out.shapes_.emplace_back();
  LineCells::Shape& shape = out.shapes_.back();
  for (const QelBomDataTuple& tuple : tuples) {
    shape.tokens.push_back(tuple.token().token().getStringW());
    shape.visible.push_back(isVisible(tuple) ? 1 : 0);
  }
  return shape.visible;
}

void ReportModel::cellsOf(std::size_t at, LineCells& out) const {
  const ReportLine& line = lines_[at];
  if (out.model_ != id_) {
    out.shapes_.clear();
    out.model_ = id_;
  }
  const QelArray<QelBomDataTuple>& tuples = line.item->getData();
  const auto count = static_cast<std::size_t>(tuples.count());
  const std::vector<char>& visible = visibleOf(tuples, out);
  exact_.valuesOf(at, line, visible, out.exact_, out.scratch_);
  out.cells_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    ReportCell& cell = out.cells_[i];
    cell.tuple = &tuples[static_cast<int>(i)];
    const QelBomDataValue& value = cell.tuple->value();
    if (value.type() == QelBomDataValue::kStringDataValue) {
      cell.text_ = &textValueOf(value);
    } else {
      cell.converted_ = value.asString();
      cell.text_ = &cell.converted_;
    }
    cell.visible = visible[i] != 0;
    cell.exact = out.exact_[i];
    cell.read_ = -1;
    // A number no row gave: the text is the template's own ("0.00").
    if (cell.exact.kind == ExactValue::kAbsent) {
      cell.exact.kind = cell.isNumber() ? ExactValue::kMissing : ExactValue::kUnknown;
    }
  }
}

ReportCell& ReportCell::operator=(const ReportCell& other) {
  tuple = other.tuple;
  visible = other.visible;
  exact = other.exact;
  converted_ = other.converted_;
  text_ = other.text_ == &other.converted_ ? &converted_ : other.text_;
  read_ = other.read_;
  shown_ = other.shown_;
  return *this;
}

bool ReportCell::isNumber() const {
  if (read_ < 0) {
    shown_ = DisplayNumber();
    read_ = readDisplayNumber(text(), shown_) ? 1 : 0;
  }
  return read_ == 1;
}

const DisplayNumber& ReportCell::shown() const { return shown_; }

bool readsAsNumber(std::string_view text) {
  DisplayNumber number;
  return readDisplayNumber(text, number);
}

}  // namespace bomreport
