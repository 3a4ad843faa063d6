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

#include "text/names.h"
#include "text/text_util.h"
#include "output/ordered_blocks.h"
#include "output/report_csv.h"
#include "output/report_labels.h"
#include "output/report_model.h"
#include "output/report_tree.h"
#include "output/report_used.h"
#include "output/report_format.h"

namespace bomreport {
namespace {

// Lines are formatted and written in blocks of this many.
constexpr std::size_t kLinesPerBlock = 16384;

// A spreadsheet takes a cell that begins with one of these for a formula.
bool startsLikeFormula(char16_t first) {
  return first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' ||
         first == '\r';
}

// A text that a spreadsheet would run as a formula is written as text: a quote
// before it, the field quoted (OWASP's advice on CSV injection). Numbers are
// numbers ("-3"). With `raw`, every field is written as it is.
bool needsDefusing(std::string_view field, bool raw) {
  return !raw && !field.empty() && startsLikeFormula(static_cast<unsigned char>(field[0])) &&
         !readsAsNumber(field);
}

// `field`, quoted when it needs quotes or `defuse` says so.
void appendQuoted(std::string& line, const std::string& field, bool defuse) {
  if (!defuse && field.find_first_of(",\"\r\n") == std::string::npos) {
    line += field;
    return;
  }
  line += defuse ? "\"'" : "\"";
  for (char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// A field that is no value of the report: a heading, a handle.
void appendField(std::string& line, const std::string& field, bool raw) {
  appendQuoted(line, field, needsDefusing(field, raw));
}

// A cell's display text as a field: as it is unless it needs quotes or
// defusing. Most are short ASCII texts without a special character, copied in
// one pass.
void appendTextField(std::string& line, const ReportCell& cell, bool raw) {
  const QelString& text = cell.text();
  const char16_t* units = text.getStringW();
  const int length = text.length();
  const bool defuse = !raw && length > 0 && startsLikeFormula(units[0]) && !cell.isNumber();
  char ascii[32];
  int plain = 0;
  if (!defuse && length <= static_cast<int>(sizeof(ascii))) {
    for (; plain < length; ++plain) {
      const char16_t c = units[plain];
      if (c >= 0x80 || c == ',' || c == '"' || c == '\r' || c == '\n') break;
      ascii[plain] = static_cast<char>(c);
    }
    if (plain == length) {
      line.append(ascii, static_cast<std::size_t>(length));
      return;
    }
  }
  bool quoted = defuse;
  for (int i = 0; !quoted && i < length; ++i) {
    const char16_t c = units[i];
    quoted = c == ',' || c == '"' || c == '\r' || c == '\n';
  }
  if (quoted) {
    appendQuoted(line, toUtf8(text), defuse);
  } else {
    appendUtf8(line, text);
  }
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
  CsvLines(std::size_t columnCount, const ReportModel& model, bool raw)
      : cells_(columnCount), model_(model), raw_(raw) {}

  // Appends the model's line `at`, whose tuples go into `columns`, to `text`.
  void append(std::size_t at, const std::vector<int>& columns, std::string& text) {
    const ReportLine& line = model_.lines()[at];
    std::fill(cells_.begin(), cells_.end(), nullptr);
    model_.cellsOf(at, lineCells_);
    for (std::size_t i = 0; i < lineCells_.size(); ++i) {
      if (columns[i] >= 0) cells_[static_cast<std::size_t>(columns[i])] = &lineCells_[i];
    }
    text += starts_.of(line.depth, line.item->type());
    for (const ReportCell* cell : cells_) {
      text += ',';
      if (cell == nullptr || cell->exact.kind == ExactValue::kMissing) continue;
      if (cell->exact.isNumber()) {
        text += exactNumberText(cell->exact);
      } else {
        appendTextField(text, *cell, raw_);
      }
    }
    text += '\n';
  }

 private:
  std::vector<const ReportCell*> cells_;  // by column: the line's cell in it, or null
  const ReportModel& model_;
  bool raw_;
  LineCells lineCells_;  // of the line being formatted
  LineStarts starts_;
};

std::string joinHandles(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : " ") + item;
  return text;
}

void writeUsedCsv(std::ostream& out, QelBomData& data, bool raw) {
  out << "handles,tokens\n";
  std::string line;
  for (const UsedEntry& entry : usedEntries(data)) {
    line.clear();
    appendField(line, joinHandles(entry.handles), raw);
    line += ',';
    appendField(line, joinHandles(entry.tokens), raw);
    out << line << '\n';
  }
}

}  // namespace

void writeCsvReport(std::ostream& out, const Report& report) {
  const ReportModel model(report);
  const std::vector<ReportLine>& lines = model.lines();
  const bool raw = report.options != nullptr && report.options->csvRaw;
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
    appendField(text, tokenWithUnit(column.token, report.units), raw);
  }
  text += '\n';
  out.write(text.data(), static_cast<std::streamsize>(text.size()));

  const std::size_t blocks = (lines.size() + kLinesPerBlock - 1) / kLinesPerBlock;
  writeBlocksInOrder(
      blocks,
      [&](std::size_t block, std::string& blockText) {
        CsvLines formatter(columns.size(), model, raw);
        const std::size_t end = std::min(lines.size(), (block + 1) * kLinesPerBlock);
        for (std::size_t l = block * kLinesPerBlock; l < end; ++l) {
          formatter.append(l, *lineColumns[l], blockText);
        }
      },
      out);
  if (report.used != nullptr) {
    out << '\n';
    writeUsedCsv(out, *report.used, raw);
  }
}

BOM_REPORT_FORMAT(csv, ".csv", 30, kText,
                  ReportFormat::kCsvSumsUnderToken | ReportFormat::kCsvRaw,
                  "a record per item: depth, section type and a column per visible token",
                  writeCsvReport);

}  // namespace bomreport
