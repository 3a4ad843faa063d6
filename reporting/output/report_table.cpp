#include "output/report_table.h"

#include <algorithm>

#include "text/text_util.h"
#include "output/column_styles.h"
#include "output/report_labels.h"

namespace bomreport {
namespace {

using Item = QelBomTemplateItem;

RowKind kindOf(int type) {
  switch (type) {
    case Item::kReportHeader:
    case Item::kPageHeader:
    case Item::kGroupHeader:
      return RowKind::kHeader;
    case Item::kGroupFooter:
    case Item::kPageFooter:
    case Item::kReportFooter:
      return RowKind::kFooter;
    default:
      return RowKind::kDetails;
  }
}

bool isSum(const QelBomDataToken& token) {
  const std::u16string_view prefix = view(QelBomDataToken::kSumPrefix);
  return view(token.token()).substr(0, prefix.size()) == prefix;
}

std::string headingOf(const ColumnIndex::Column& column, const ColumnStyles* styles,
                      const ReportUnits* units) {
  std::string heading = styledHeading(column.token, styles, units);
  if (column.occurrence > 0) heading += " (" + std::to_string(column.occurrence + 1) + ')';
  return heading;
}

// "Σ" and the texts of the header a footer closes: "Σ B1 BEAM".
std::string footerLabel(const TableRow& header) {
  std::string label = "\xCE\xA3";
  for (const TableCell& cell : header.cells) {
    if (!cell.text.empty()) label += ' ' + cell.text;
  }
  return label;
}

}  // namespace

std::string joinLabelled(const std::vector<LabelledText>& texts, std::string_view separator) {
  std::string line;
  for (const LabelledText& text : texts) {
    if (!line.empty()) line += separator;
    line += text.label + ": " + text.text;
  }
  return line;
}

int TableRow::firstFilled() const {
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (!cells[c].text.empty()) return static_cast<int>(c);
  }
  return -1;
}

int TableRow::lastFilled() const {
  for (std::size_t c = cells.size(); c > 0; --c) {
    if (!cells[c - 1].text.empty()) return static_cast<int>(c - 1);
  }
  return -1;
}

ReportTable::ReportTable(const Report& report, const TextMeasure* measure)
    : units_(report.units),
      styles_(report.columns),
      model_(report),
      lines_(model_.lines()),
      title_("Bill of materials") {
  titleLine_ = pageHeaderLine_ = pageFooterLine_ = lines_.size();
  for (std::size_t l = 0; l < lines_.size(); ++l) {
    const int type = lines_[l].item->type();
    if (type == Item::kReportHeader && lines_[l].depth == 0 && titleLine_ == lines_.size()) {
      titleLine_ = l;
    } else if (type == Item::kPageHeader && pageHeaderLine_ == lines_.size()) {
      pageHeaderLine_ = l;
    } else if (type == Item::kPageFooter && pageFooterLine_ == lines_.size()) {
      pageFooterLine_ = l;
    }
  }
  if (titleLine_ < lines_.size()) splitTitle(texts(titleLine_));
  if (pageHeaderLine_ < lines_.size()) pageHeader_ = texts(pageHeaderLine_);
  if (pageFooterLine_ < lines_.size()) pageFooter_ = texts(pageFooterLine_);
  readTree(measure);
}

void ReportTable::splitTitle(std::vector<LabelledText> block) {
  const auto first = std::find_if(block.begin(), block.end(),
                                  [](const LabelledText& line) { return !line.text.empty(); });
  if (first != block.end()) {
    title_ = first->text;
    block.erase(first);
  }
  titleDetails_ = std::move(block);
}

std::vector<LabelledText> ReportTable::texts(std::size_t line) const {
  std::vector<LabelledText> texts;
  model_.cellsOf(line, lineCells_);
  for (const ReportCell& cell : lineCells_) {
    if (cell.visible) {
      texts.push_back(LabelledText{valueLabel(cell.tuple->token(), units_), toUtf8(cell.text()),
                                   cell.isNumber(), cell.shown()});
    }
  }
  return texts;
}

ReportTable::Role ReportTable::roleOf(std::size_t line) const {
  if (line == titleLine_) return Role::kTitle;
  if (line == pageHeaderLine_) return Role::kPageHeader;
  if (line == pageFooterLine_) return Role::kPageFooter;
  return Role::kRow;
}

// Columns, their alignment, decimals and widths, from every row's cells: a
// first pass finds what each column holds, a second (with a measure) sizes
// the texts as they will be shown.
void ReportTable::readTree(const TextMeasure* measure) {
  for (std::size_t l = 0; l < lines_.size(); ++l) {
    if (roleOf(l) != Role::kRow) continue;
    const Item& item = *lines_[l].item;
    hasFooters_ = hasFooters_ || kindOf(item.type()) == RowKind::kFooter;
    index_.map(item, cellColumns_);
    for (std::size_t c = columns_.size(); c < index_.columns().size(); ++c) {
      const std::u16string_view token = index_.columns()[c].token;
      const ColumnStyle* style = styles_ != nullptr ? styles_->find(token) : nullptr;
      columns_.emplace_back();
      const DisplayUnit* unit =
          units_ != nullptr
              ? units_->unitOf(QelString(token.data(), static_cast<int>(token.size())))
              : nullptr;
      decimals_.emplace_back(style != nullptr ? style->decimalsIn(unit) : -1, unit);
      columns_.back().numeric = !isTextToken(token);
    }
    model_.cellsOf(l, lineCells_);
    for (std::size_t i = 0; i < lineCells_.size(); ++i) {
      if (cellColumns_[i] < 0) continue;
      const auto c = static_cast<std::size_t>(cellColumns_[i]);
      const ReportCell& cell = lineCells_[i];
      if (cell.text().length() == 0 || !columns_[c].numeric) continue;
      if (cell.isNumber()) {
        decimals_[c].add(cell.shown());
      } else {
        columns_[c].numeric = false;
      }
    }
  }
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    columns_[c].heading = headingOf(index_.columns()[c], styles_, units_);
    columns_[c].decimals = columns_[c].numeric ? decimals_[c].decimals() : -1;
  }
  if (measure != nullptr) measureColumns(*measure);
}

void ReportTable::measureColumns(const TextMeasure& measure) {
  for (std::size_t l = 0; l < lines_.size(); ++l) {
    if (roleOf(l) != Role::kRow) continue;
    const Item& item = *lines_[l].item;
    const RowKind kind = kindOf(item.type());
    index_.map(item, cellColumns_);
    model_.cellsOf(l, lineCells_);
    for (std::size_t i = 0; i < lineCells_.size(); ++i) {
      if (cellColumns_[i] < 0) continue;
      const auto c = static_cast<std::size_t>(cellColumns_[i]);
      const ReportCell& cell = lineCells_[i];
      std::string text = toUtf8(cell.text());
      if (text.empty()) continue;
      if (columns_[c].numeric && cell.isNumber()) {
        DisplayNumber number = cell.shown();
        text = decimals_[c].show(text, number, nullptr);
      }
      const bool bold = kind == RowKind::kHeader || isSum(cell.tuple->token());
      columns_[c].width = std::max(columns_[c].width, measure.width(text, bold));
    }
  }
  for (TableColumn& column : columns_) {
    column.width = std::max(column.width, measure.width(column.heading, true));
  }
}

void ReportTable::fillCells(std::size_t line, TableRow& row) const {
  const Item& item = *lines_[line].item;
  row.cells.assign(columns_.size(), TableCell());
  index_.map(item, cellColumns_);
  model_.cellsOf(line, lineCells_);
  for (std::size_t i = 0; i < lineCells_.size(); ++i) {
    if (cellColumns_[i] < 0) continue;
    const auto c = static_cast<std::size_t>(cellColumns_[i]);
    const ReportCell& from = lineCells_[i];
    TableCell& cell = row.cells[c];
    cell.text = toUtf8(from.text());
    cell.sum = isSum(from.tuple->token());
    cell.isNumber = columns_[c].numeric && from.isNumber();
    if (cell.isNumber) cell.number = from.shown();
    cell.exact = from.exact;
    if (cell.exact.kind == ExactValue::kMissing) {  // no value: a blank cell
      cell.text.clear();
      cell.isNumber = false;
    }
    if (cell.isNumber) {
      const double* exact = cell.exact.kind == ExactValue::kReal ? &cell.exact.real : nullptr;
      cell.text = decimals_[c].show(cell.text, cell.number, exact);
    }
  }
}

bool ReportTable::Cursor::advance() {
  const std::vector<ReportLine>& lines = table_.lines_;
  while (next_ < lines.size()) {
    const std::size_t l = next_++;
    const int depth = lines[l].depth;
    levelAbove_.resize(static_cast<std::size_t>(depth));
    const int level = depth == 0 ? 0 : levelAbove_.back();
    const bool isRow = table_.roleOf(l) == Role::kRow;
    levelAbove_.push_back(level + (isRow ? 1 : 0));
    if (!isRow) continue;
    depth_ = depth;
    row_.level = level;
    row_.type = lines[l].item->type();
    row_.kind = kindOf(row_.type);
    row_.opensGroup = lines[l].item->child() != nullptr;
    table_.fillCells(l, row_);
    return true;
  }
  return false;
}

void ReportTable::Cursor::finishRow() {
  if (closesGroup_) {
    openDepths_.pop_back();
    openRows_.pop_back();
  }
  if (row_.opensGroup) {
    openDepths_.push_back(depth_);
    openRows_.push_back(row_);
  }
}

bool ReportTable::Cursor::next() {
  if (started_) finishRow();
  started_ = true;
  closesGroup_ = false;
  if (!advance()) return false;
  while (!openDepths_.empty() && openDepths_.back() > depth_) {
    openDepths_.pop_back();
    openRows_.pop_back();
  }
  // A row beside an open group's header closes it when it is a footer, and
  // otherwise follows a group that ended without one.
  if (!openDepths_.empty() && openDepths_.back() == depth_) {
    closesGroup_ = row_.kind == RowKind::kFooter;
    if (!closesGroup_) {
      openDepths_.pop_back();
      openRows_.pop_back();
    }
  }
  row_.label.clear();
  if (row_.kind == RowKind::kFooter && row_.firstFilled() >= 0) {
    if (closesGroup_) {
      row_.label = footerLabel(openRows_.back());
    } else {
      row_.label = row_.type == Item::kReportFooter ? "\xCE\xA3 Total" : "\xCE\xA3";
    }
  }
  return true;
}

}  // namespace bomreport
