// The text report: one line per evaluated item,
//
//   Group header      MNum A1   MName COLUMN
//     Details         PNum P12   Length [mm]  3200
//
// indented by two spaces per depth, the section's title padded to one width,
// then the visible tuples as "label value" cells separated by three spaces.
// Labels name the unit ("Length [mm]"); a sum is labelled "Σ Length [mm]".
// Lines made from the same section (same depth, type and tokens) share their
// cell widths; a column whose values all read as numbers is right-aligned.
#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/names.h"
#include "text/text_util.h"
#include "output/column_styles.h"
#include "output/ordered_blocks.h"
#include "output/report_labels.h"
#include "output/report_model.h"
#include "output/report_text.h"
#include "output/report_tree.h"
#include "output/report_used.h"
#include "output/report_format.h"

namespace bomreport {
namespace {

// Line breaks and tabs inside a value would break the line: shown as spaces.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

// Lines formatted at a time on one thread.
constexpr std::size_t kLinesPerBlock = 16384;

// Lines of one shape: same depth, type and tokens. Hash and equality look at a
// representative line.
struct ShapeHash {
  std::size_t operator()(const ReportLine& line) const {
    std::size_t h = std::hash<int>()(line.depth * 16 + line.item->type());
    const QelArray<QelBomDataTuple>& tuples = line.item->getData();
    for (int i = 0; i < tuples.count(); ++i) {
      h = h * 31 + std::hash<std::u16string_view>()(view(tuples[i].token().token()));
    }
    return h;
  }
};

struct ShapeEqual {
  bool operator()(const ReportLine& a, const ReportLine& b) const {
    if (a.depth != b.depth || a.item->type() != b.item->type()) return false;
    const QelArray<QelBomDataTuple>& x = a.item->getData();
    const QelArray<QelBomDataTuple>& y = b.item->getData();
    if (x.count() != y.count()) return false;
    for (int i = 0; i < x.count(); ++i) {
      if (x[i].token().token() != y[i].token().token()) return false;
    }
    return true;
  }
};

struct Shape {
  std::vector<std::string> labels;  // per tuple
  std::vector<bool> visible;        // per tuple
  std::vector<int> widths;          // widest value per tuple
  std::vector<bool> numeric;        // every value reads as a number, of no text token
  std::vector<ColumnDecimals> decimals;  // per tuple
};

Shape makeShape(const QelBomTemplateItem& item, const Report& report) {
  Shape shape;
  const QelArray<QelBomDataTuple>& tuples = item.getData();
  for (int i = 0; i < tuples.count(); ++i) {
    const QelBomDataToken& token = tuples[i].token();
    shape.labels.push_back(isVisible(tuples[i])
                               ? oneLine(styledLabel(token, report.columns, report.units))
                               : std::string());
    shape.visible.push_back(isVisible(tuples[i]));
    shape.numeric.push_back(!isTextToken(view(token.token())));
    const ColumnStyle* style =
        report.columns != nullptr ? report.columns->find(view(token.token())) : nullptr;
    const DisplayUnit* unit =
        report.units != nullptr ? report.units->unitOf(token.token()) : nullptr;
    shape.decimals.emplace_back(style != nullptr ? style->decimalsIn(unit) : -1, unit);
  }
  shape.widths.assign(shape.labels.size(), 0);
  return shape;
}

// A value as its shape shows it: reals with the decimals of their column,
// rounded once from the exact value behind the text (as every format does).
std::string shownValue(const Shape& shape, std::size_t i, const ReportCell& cell) {
  if (cell.exact.kind == ExactValue::kMissing) return std::string();
  std::string text = oneLine(toUtf8(cell.text()));
  if (shape.numeric[i] && cell.isNumber()) {
    const double* real = cell.exact.kind == ExactValue::kReal ? &cell.exact.real : nullptr;
    DisplayNumber number = cell.shown();
    text = shape.decimals[i].show(text, number, real);
  }
  return text;
}

void pad(std::string& line, int count) {
  if (count > 0) line.append(static_cast<std::size_t>(count), ' ');
}

// Appends the model's line `at` to `text`, set as `shape` gives it; `cells`
// is scratch.
void appendLine(const ReportModel& model, std::size_t at, const Shape& shape, int titleWidth,
                LineCells& cells, std::string& text) {
  const ReportLine& line = model.lines()[at];
  const std::size_t start = text.size();
  pad(text, 2 * line.depth);
  const char* title = sectionTitle(line.item->type());
  text += title;
  pad(text, titleWidth - 2 * line.depth - displayWidth(std::string_view(title)));
  model.cellsOf(at, cells);
  bool firstCell = true;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (!shape.visible[i]) continue;
    text += firstCell ? "  " : "   ";
    firstCell = false;
    text += shape.labels[i];
    text += ' ';
    const std::string value = shownValue(shape, i, cells[i]);
    const int gap = shape.widths[i] - displayWidth(value);
    if (shape.numeric[i]) pad(text, gap);
    text += value;
    if (!shape.numeric[i]) pad(text, gap);
  }
  while (text.size() > start && text.back() == ' ') text.pop_back();
  text += '\n';
}

}  // namespace

void writeTextReport(std::ostream& out, const Report& report) {
  const ReportModel model(report);
  const std::vector<ReportLine>& lines = model.lines();
  std::unordered_map<ReportLine, int, ShapeHash, ShapeEqual> shapeIndex;
  std::vector<Shape> shapes;
  std::vector<int> lineShape(lines.size());
  int titleWidth = 0;

  // Pass 1: shapes, widths and alignment. Empty cells do not keep a column
  // from being aligned as numbers.
  LineCells cells;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const ReportLine& line = lines[l];
    auto found = shapeIndex.find(line);
    if (found == shapeIndex.end()) {
      found = shapeIndex.emplace(line, static_cast<int>(shapes.size())).first;
      shapes.push_back(makeShape(*line.item, report));
    }
    lineShape[l] = found->second;
    Shape& shape = shapes[static_cast<std::size_t>(found->second)];
    model.cellsOf(l, cells);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (!shape.visible[i] || !shape.numeric[i]) continue;
      if (cells[i].isNumber()) {
        shape.decimals[i].add(cells[i].shown());
      } else if (cells[i].text().length() > 0) {
        shape.numeric[i] = false;
      }
    }
    const int title =
        2 * line.depth + displayWidth(std::string_view(sectionTitle(line.item->type())));
    titleWidth = std::max(titleWidth, title);
  }
  // The widths as the values are shown: each half of the lines on a thread of
  // its own, into widths of its own, then the wider of the two.
  using Widths = std::vector<std::vector<int>>;  // [shape][tuple]
  auto measure = [&](std::size_t begin, std::size_t end, Widths& widths) {
    for (const Shape& shape : shapes) widths.push_back(shape.widths);
    LineCells lineCells;
    for (std::size_t l = begin; l < end; ++l) {
      const auto s = static_cast<std::size_t>(lineShape[l]);
      model.cellsOf(l, lineCells);
      for (std::size_t i = 0; i < lineCells.size(); ++i) {
        if (!shapes[s].visible[i]) continue;
        const int width = displayWidth(shownValue(shapes[s], i, lineCells[i]));
        widths[s][i] = std::max(widths[s][i], width);
      }
    }
  };
  Widths first, second;
  const std::size_t half = lines.size() / 2;
  if (lines.size() < kLinesPerBlock) {
    measure(0, half, first);
    measure(half, lines.size(), second);
  } else {
    runBeside([&] { measure(half, lines.size(), second); }, [&] { measure(0, half, first); });
  }
  for (std::size_t s = 0; s < shapes.size(); ++s) {
    for (std::size_t i = 0; i < shapes[s].widths.size(); ++i) {
      shapes[s].widths[i] = std::max(first[s][i], second[s][i]);
    }
  }

  // Pass 2: the lines, in blocks formatted on two threads and written in order
  // (the shapes, the tree and the model are only read).
  const std::size_t blocks = (lines.size() + kLinesPerBlock - 1) / kLinesPerBlock;
  writeBlocksInOrder(
      blocks,
      [&](std::size_t block, std::string& text) {
        LineCells lineCells;
        const std::size_t end = std::min(lines.size(), (block + 1) * kLinesPerBlock);
        for (std::size_t l = block * kLinesPerBlock; l < end; ++l) {
          appendLine(model, l, shapes[static_cast<std::size_t>(lineShape[l])], titleWidth,
                     lineCells, text);
        }
      },
      out);
  if (report.used != nullptr) {
    out << '\n';
    writeUsedText(out, *report.used);
  }
}

BOM_REPORT_FORMAT(text, ".txt", 10, kText,
                  0,
                  "one line per item: its section and its labelled values, indented by depth",
                  writeTextReport);

}  // namespace bomreport
