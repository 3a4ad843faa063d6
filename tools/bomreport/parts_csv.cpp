#include "parts_csv.h"

#include <unordered_set>
#include <vector>

#include "csv_reader.h"
#include "input_error.h"
#include "text_util.h"

namespace bomreport {
namespace {

enum class ColumnKind { kToken, kHandle, kEqual, kType };

struct Column {
  ColumnKind kind;
  TokenInfo info;  // kToken only
};

void checkUtf8(const CsvReader& reader, int i) {
  std::size_t bad = 0;
  if (!isValidUtf8(reader.field(i), bad)) {
    throw InputError(reader.path(), reader.fieldLine(i), i + 1, "invalid UTF-8");
  }
}

std::vector<Column> readHeader(CsvReader& reader, PartsBuilder& builder) {
  if (!reader.next()) throw InputError(reader.path(), 1, 0, "no header row");
  std::vector<Column> columns;
  std::unordered_set<std::string> seen;
  for (int i = 0; i < reader.fieldCount(); ++i) {
    checkUtf8(reader, i);
    const std::string_view name = reader.field(i);
    const int line = reader.fieldLine(i);
    if (name.empty()) throw InputError(reader.path(), line, i + 1, "empty column name");
    if (!seen.insert(std::string(name)).second) {
      throw InputError(reader.path(), line, i + 1, "duplicate column " + quoteForMessage(name));
    }
    Column column{ColumnKind::kToken, TokenInfo()};
    if (name == "#handle") {
      column.kind = ColumnKind::kHandle;
    } else if (name == "#equal") {
      column.kind = ColumnKind::kEqual;
    } else if (name == "#type") {
      column.kind = ColumnKind::kType;
    } else if (name.front() == '#') {
      throw InputError(reader.path(), line, i + 1,
                       "unknown reserved column " + quoteForMessage(name) +
                           " (reserved: #handle, #equal, #type)");
    } else {
      column.info = builder.makeTokenInfo(name);
    }
    columns.push_back(std::move(column));
  }
  return columns;
}

// The part's object type from the #type column, if it has one.
bool readType(const CsvReader& reader, const std::vector<Column>& columns, int& type) {
  for (int i = 0; i < reader.fieldCount(); ++i) {
    if (columns[i].kind != ColumnKind::kType || reader.field(i).empty()) continue;
    if (!parseInt32(reader.field(i), type)) {
      throw InputError(reader.path(), reader.fieldLine(i), i + 1,
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
      checkUtf8(reader, i);
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
        if (!reason.empty()) {
          throw InputError(reader.path(), reader.fieldLine(i), i + 1,
                           reason + " (" + toUtf8(column.info.token) + ")");
        }
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
