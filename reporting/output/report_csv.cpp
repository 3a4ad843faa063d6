// The CSV report: a header "depth,type,TOKEN [UNIT],..." and one record per
// evaluated item in report order with its depth (0 directly below the output
// template), its section type by enumerator name and, in the column of each
// visible token, the item's display text. A column is headed by its token as
// written and, for a token with a unit, the unit in brackets ("%Weight [kg]").
// Columns come in order of first appearance; a sum has a column of its own
// ("%SumBy:%Weight [kg]") unless the options put sums under the token they
// sum. Records end with LF; fields are quoted as RFC 4180 requires.
#include <algorithm>
#include <string>
#include <vector>

#include "input/names.h"
#include "input/text_util.h"
#include "output/ordered_blocks.h"
#include "output/report_csv.h"
#include "output/report_labels.h"
#include "output/report_tree.h"
#include "output/report_used.h"

namespace bomreport {
namespace {

// Lines are formatted and written in blocks of this many.
constexpr std::size_t kLinesPerBlock = 16384;

void appendField(std::string& line, const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    line += field;
    return;
  }
  line += '"';
  for (char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// A display text as a field: as it is unless it needs quotes. Most are short
// ASCII texts without a special character, copied in one pass.
void appendTextField(std::string& line, const QelString& text) {
  const char16_t* units = text.getStringW();
  char ascii[32];
  const int length = text.length();
  int plain = 0;
  if (length <= static_cast<int>(sizeof(ascii))) {
    for (; plain < length; ++plain) {
      const char16_t c = units[plain];
      if (c >= 0x80 || c == ',' || c == '"' || c == '\r' || c == '\n') break;
      ascii[plain] = static_cast<char>(c);
    }
  }
  if (plain == length) {
    line.append(ascii, static_cast<std::size_t>(length));
    return;
  }
  for (int i = 0; i < length; ++i) {
    const char16_t c = units[i];
    if (c == ',' || c == '"' || c == '\r' || c == '\n') {
      appendField(line, toUtf8(text));
      return;
    }
  }
  appendUtf8(line, text);
}

// "DEPTH,TYPE" of each line, made once per pair.
class LineStarts {
 public:
  const std::string& of(int depth, int type) {
    const std::size_t key =
        static_cast<std::size_t>(depth) * 16 + static_cast<std::size_t>(type & 15);
    if (key >= starts_.size()) starts_.resize(key + 1);
    std::string& start = starts_[key];
    if (start.empty()) {
      const char* name = sectionTypeName(type);
      start = std::to_string(depth) + ',' + (name != nullptr ? name : "kUnkTemplateItemType");
    }
    return start;
  }

 private:
  std::vector<std::string> starts_;
};

// Formats lines of the report.
class CsvLines {
 public:
  explicit CsvLines(std::size_t columnCount) : cells_(columnCount) {}

  // Appends `line`, whose tuples go into `columns`, to `text`.
  void append(const ReportLine& line, const std::vector<int>& columns, std::string& text) {
    std::fill(cells_.begin(), cells_.end(), nullptr);
    const QelArray<QelBomDataTuple>& tuples = line.item->getData();
    for (int i = 0; i < tuples.count(); ++i) {
      if (columns[static_cast<std::size_t>(i)] >= 0) {
        cells_[static_cast<std::size_t>(columns[static_cast<std::size_t>(i)])] = &tuples[i].value();
      }
    }
    text += starts_.of(line.depth, line.item->type());
    for (const QelBomDataValue* cell : cells_) {
      text += ',';
      if (cell == nullptr) continue;
      appendTextField(text, cell->type() == QelBomDataValue::kStringDataValue ? textValueOf(*cell)
                                                                              : cell->asString());
    }
    text += '\n';
  }

 private:
  // A cell holds the display text of its column's tuple, or nothing.
  std::vector<const QelBomDataValue*> cells_;
  LineStarts starts_;
};

std::string joinHandles(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : " ") + item;
  return text;
}

void writeUsedCsv(std::ostream& out, QelBomData& data) {
  out << "handles,tokens\n";
  std::string line;
  for (const UsedEntry& entry : usedEntries(data)) {
    line.clear();
    appendField(line, joinHandles(entry.handles));
    line += ',';
    appendField(line, joinHandles(entry.tokens));
    out << line << '\n';
  }
}

}  // namespace

void writeCsvReport(std::ostream& out, const Report& report) {
  const std::vector<ReportLine> lines = collectLines(*report.output);
  ColumnIndex index(report.options != nullptr && report.options->csvSumsUnderToken);
  // The columns come in order of first appearance, so every line is mapped
  // before the heading is written.
  std::vector<const std::vector<int>*> lineColumns;
  lineColumns.reserve(lines.size());
  for (const ReportLine& line : lines) lineColumns.push_back(&index.columnsOf(*line.item));

  const std::vector<ColumnIndex::Column>& columns = index.columns();
  std::string text = "depth,type";
  for (const ColumnIndex::Column& column : columns) {
    text += ',';
    appendField(text, tokenWithUnit(column.token, report.units));
  }
  text += '\n';
  out.write(text.data(), static_cast<std::streamsize>(text.size()));

  const std::size_t blocks = (lines.size() + kLinesPerBlock - 1) / kLinesPerBlock;
  writeBlocksInOrder(
      blocks,
      [&](std::size_t block, std::string& blockText) {
        CsvLines formatter(columns.size());
        const std::size_t end = std::min(lines.size(), (block + 1) * kLinesPerBlock);
        for (std::size_t l = block * kLinesPerBlock; l < end; ++l) {
          formatter.append(lines[l], *lineColumns[l], blockText);
        }
      },
      out);
  if (report.used != nullptr) {
    out << '\n';
    writeUsedCsv(out, *report.used);
  }
}

}  // namespace bomreport
