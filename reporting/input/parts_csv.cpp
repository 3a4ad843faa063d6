#include "input/parts_csv.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "BomReportErrors.h"
#include "input/csv_reader.h"
#include "input/text_util.h"

namespace bomreport {
namespace {

enum class ColumnKind { kToken, kHandle, kEqual, kType };

struct Column {
  ColumnKind kind;
  TokenInfo info;  // kToken only
};

// Throws InputError for field `i` of the current record. (The line is found
// only here: finding it takes a pass over the record.)
[[noreturn]] void fieldError(const CsvReader& reader, int i, const std::string& reason) {
  throw InputError(reader.path(), reader.fieldLine(i), i + 1, reason);
}

// A field must be UTF-8 text that a QelString holds (the reader has refused
// NUL characters already).
void checkText(const CsvReader& reader, int i) {
  const std::string_view text = reader.field(i);
  std::size_t bad = 0;
  if (text.size() > kMaxTextBytes) fieldError(reader, i, "field longer than 2147483646 bytes");
  if (!isValidUtf8(text, bad)) fieldError(reader, i, "invalid UTF-8");
}

// The column that header field `i` names.
Column makeColumn(const CsvReader& reader, int i, PartsBuilder& builder) {
  const std::string_view name = reader.field(i);
  Column column{ColumnKind::kToken, TokenInfo()};
  if (name == "#handle") {
    column.kind = ColumnKind::kHandle;
  } else if (name == "#equal") {
    column.kind = ColumnKind::kEqual;
  } else if (name == "#type") {
    column.kind = ColumnKind::kType;
  } else if (name.front() == '#') {
    fieldError(
        reader, i,
        "unknown reserved column " + quoteForMessage(name) + " (reserved: #handle, #equal, #type)");
  } else {
    column.info = builder.makeTokenInfo(name);
  }
  return column;
}

// The first field of the record whose text an earlier field has, or -1. Sorts
// field numbers (an int per field) rather than keeping a set of the names.
int firstDuplicate(const CsvReader& reader) {
  std::vector<int> order(static_cast<std::size_t>(reader.fieldCount()));
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&reader](int a, int b) {
    const int byText = reader.field(a).compare(reader.field(b));
    return byText != 0 ? byText < 0 : a < b;
  });
  int first = -1;
  for (std::size_t k = 1; k < order.size(); ++k) {
    const int later = order[k];
    if (reader.field(later) == reader.field(order[k - 1]) && (first < 0 || later < first)) {
      first = later;
    }
  }
  return first;
}

std::vector<Column> readHeader(CsvReader& reader, PartsBuilder& builder) {
  if (!reader.next()) throw InputError(reader.path(), 1, 0, "no header row");
  const int duplicate = firstDuplicate(reader);
  std::vector<Column> columns;
  columns.reserve(static_cast<std::size_t>(reader.fieldCount()));
  for (int i = 0; i < reader.fieldCount(); ++i) {
    checkText(reader, i);
    const std::string_view name = reader.field(i);
    if (name.empty()) fieldError(reader, i, "empty column name");
    if (i == duplicate) fieldError(reader, i, "duplicate column " + quoteForMessage(name));
    columns.push_back(makeColumn(reader, i, builder));
  }
  return columns;
}

// The part's object type from the #type column, if it has one.
bool readType(const CsvReader& reader, const std::vector<Column>& columns, int& type) {
  for (int i = 0; i < reader.fieldCount(); ++i) {
    if (columns[i].kind != ColumnKind::kType || reader.field(i).empty()) continue;
    checkText(reader, i);
    if (!parseInt32(reader.field(i), type)) {
      fieldError(reader, i,
                 quoteForMessage(reader.field(i)) + " is not an object type (an integer)");
    }
    return true;
  }
  return false;
}

void readPart(const CsvReader& reader, const std::vector<Column>& columns, int tokenColumns,
              PartsBuilder& builder) {
  if (reader.fieldCount() != static_cast<int>(columns.size())) {
    throw InputError(reader.path(), reader.recordLine(), 0,
                     "expected " + std::to_string(columns.size()) + " fields, found " +
                         std::to_string(reader.fieldCount()));
  }
  int type = 0;
  const bool hasType = readType(reader, columns, type);
  const bool keep = builder.keepsObjectType(hasType, type);
  auto* row = keep ? new QelBomDataRow() : nullptr;
  bool handleSet = false;
  try {
    if (row != nullptr) row->getData().setCapacity(tokenColumns);
    for (int i = 0; i < reader.fieldCount(); ++i) {
      const std::string_view cell = reader.field(i);
      checkText(reader, i);
      const Column& column = columns[i];
      if (column.kind == ColumnKind::kHandle) {
        if (row != nullptr) row->setObjectHandle(toQel(cell));
        handleSet = true;
      } else if (column.kind == ColumnKind::kEqual) {
        if (row != nullptr && !cell.empty()) row->setEqualPartObjectHandles(splitHandles(cell));
      } else if (column.kind == ColumnKind::kToken && !cell.empty()) {
        const bool store = row != nullptr && column.info.kept;
        QelBomDataTuple tuple;
        const std::string reason = typeCell(cell, column.info.catalogue,
                                            store ? &tuple.value() : nullptr, &builder.texts());
        if (!reason.empty()) fieldError(reader, i, reason + " (" + toUtf8(column.info.token) + ")");
        if (store) {
          tuple.setToken(column.info.token);
          row->addData(std::move(tuple));
        }
      }
    }
    if (row != nullptr && !handleSet) {
      row->setObjectHandle(toQel(std::to_string(builder.partsRead() + 1)));
    }
  } catch (...) {
    delete row;
    throw;
  }
  builder.finishPart(row, keep);
}

}  // namespace

void readPartsCsv(const std::string& path, PartsBuilder& builder) {
  CsvReader reader(path);
  const std::vector<Column> columns = readHeader(reader, builder);
  int tokenColumns = 0;
  for (const Column& column : columns) {
    if (column.kind == ColumnKind::kToken && column.info.kept) ++tokenColumns;
  }
  while (reader.next()) readPart(reader, columns, tokenColumns, builder);
}

}  // namespace bomreport
