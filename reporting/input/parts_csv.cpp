#include "input/parts_csv.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <numeric>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "BomPartsTable.h"
#include "BomReportErrors.h"
#include "input/csv_reader.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// Below this many bytes of parts a file is read by one thread.
constexpr std::size_t kBytesPerThread = 4 << 20;
constexpr unsigned kMaxThreads = 4;

enum class ColumnKind { kToken, kHandle, kEqual, kType };

struct Column {
  ColumnKind kind;
  TokenInfo info;  // kToken only
};

// The columns of the file, as the header names them.
struct Layout {
  std::vector<Column> columns;
  int keptTokenColumns = 0;
  bool hasHandle = false;
};

[[noreturn]] void fieldError(const CsvReader& reader, int i, const std::string& reason) {
  throw CsvError{reader.fieldLine(i), i + 1, reason};
}

// A field must be UTF-8 text that a QelString holds (the reader has refused
// NUL characters already).
void checkText(const CsvReader& reader, int i) {
  const std::string_view text = reader.field(i);
  std::size_t bad = 0;
  if (text.size() > kMaxTextBytes) fieldError(reader, i, "field longer than 2147483646 bytes");
  if (!reader.recordIsAscii() && !isValidUtf8(text, bad)) fieldError(reader, i, "invalid UTF-8");
}

// The column that header field `i` names.
Column makeColumn(const CsvReader& reader, int i, PartsBuilder& builder) {
  const std::string_view name = reader.field(i);
  Column column{ColumnKind::kToken, TokenInfo()};
  const PartKey reserved =
      name.front() == '#' ? reservedPartKey(name.substr(1)) : PartKey::kToken;
  if (reserved == PartKey::kHandle) {
    column.kind = ColumnKind::kHandle;
  } else if (reserved == PartKey::kEqual) {
    column.kind = ColumnKind::kEqual;
  } else if (reserved == PartKey::kType) {
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

Layout readHeader(CsvReader& reader, PartsBuilder& builder) {
  if (!reader.next()) throw CsvError{1, 0, "no header row"};
  const int duplicate = firstDuplicate(reader);
  Layout layout;
  layout.columns.reserve(static_cast<std::size_t>(reader.fieldCount()));
  for (int i = 0; i < reader.fieldCount(); ++i) {
    checkText(reader, i);
    const std::string_view name = reader.field(i);
    if (name.empty()) fieldError(reader, i, "empty column name");
    if (i == duplicate) fieldError(reader, i, "duplicate column " + quoteForMessage(name));
    layout.columns.push_back(makeColumn(reader, i, builder));
    const Column& column = layout.columns.back();
    if (column.kind == ColumnKind::kToken && column.info.kept) ++layout.keptTokenColumns;
    if (column.kind == ColumnKind::kHandle) layout.hasHandle = true;
  }
  return layout;
}

// The same columns with token texts of their own, for another thread: copies
// of one text would have every thread update the same reference count.
Layout ownCopy(const Layout& layout) {
  Layout copy = layout;
  for (Column& column : copy.columns) {
    const QelString& token = column.info.token;
    if (!token.isEmpty()) column.info.token = QelString(token.getStringW(), token.length());
  }
  return copy;
}

// The parts of one stretch of the file, read into rows in file order.
class PartsChunk {
 public:
  // `bodyBytes`: the size of all the parts' text, of which this chunk reads
  // a stretch.
  PartsChunk(const Layout& layout, const PartsBuilder& builder, std::size_t bodyBytes)
      : layout_(layout), builder_(builder), bodyBytes_(bodyBytes) {}
  ~PartsChunk() {
    for (QelBomDataRow* row : rows_) delete row;
  }
  PartsChunk(const PartsChunk&) = delete;
  PartsChunk& operator=(const PartsChunk&) = delete;

  // Reads every record of `reader`, a stretch of `stretchBytes`, the
  // `index`th of the file, and stops early once a stretch before it has
  // failed (`firstFailed`: the lowest such index): what this one would find
  // comes later in the file. Throws CsvError, CsvSplitInvalid, and InputError
  // past the memory budget.
  void read(CsvReader& reader, std::size_t stretchBytes, std::size_t index,
            const std::atomic<std::size_t>& firstFailed) {
    const std::size_t sample = stretchBytes / PartsBuilder::kSampleShare;
    for (std::size_t records = 1; reader.next(); ++records) {
      readPart(reader);
      if ((records & 1023) != 0) continue;
      if (firstFailed.load(std::memory_order_relaxed) < index) return;
      if (reader.offset() >= sample) builder_.checkRate(kept_, reader.offset(), bodyBytes_);
    }
  }
  // Each part in file order: its row, or null for a part the filter drops.
  // The caller takes the rows over.
  std::vector<QelBomDataRow*> takeRows() { return std::move(rows_); }
  // The object types of the parts read, each once.
  const std::set<int>& objectTypes() const { return types_; }
  // How many parts read had no object type.
  long long untypedParts() const { return untyped_; }

 private:
  // The part's object type from the #type column, if it has one.
  bool readType(const CsvReader& reader, int& type) const {
    for (int i = 0; i < reader.fieldCount(); ++i) {
      if (layout_.columns[i].kind != ColumnKind::kType || reader.field(i).empty()) continue;
      checkText(reader, i);
      if (!parseInt32(reader.field(i), type)) {
        fieldError(reader, i,
                   quoteForMessage(reader.field(i)) + " is not an object type (an integer)");
      }
      return true;
    }
    return false;
  }

  void readPart(const CsvReader& reader) {
    if (reader.fieldCount() != static_cast<int>(layout_.columns.size())) {
      throw CsvError{reader.recordLine(), 0,
                     "expected " + std::to_string(layout_.columns.size()) + " fields, found " +
                         std::to_string(reader.fieldCount())};
    }
    int type = 0;
    const bool hasType = readType(reader, type);
    if (hasType) {
      noteType(type);
    } else {
      ++untyped_;
    }
    std::unique_ptr<QelBomDataRow> row(builder_.wantsObjectType(hasType, type) ? new QelBomDataRow()
                                                                               : nullptr);
    if (row != nullptr) {
      ++kept_;
      builder_.chargeRow();  // before the row takes its memory
      row->getData().setCapacity(layout_.keptTokenColumns);
    }
    for (int i = 0; i < reader.fieldCount(); ++i) readCell(reader, i, row.get());
    rows_.push_back(nullptr);  // may throw: the row is still owned here
    rows_.back() = row.release();
  }

  void readCell(const CsvReader& reader, int i, QelBomDataRow* row) {
    const std::string_view cell = reader.field(i);
    checkText(reader, i);
    const Column& column = layout_.columns[i];
    if (column.kind == ColumnKind::kHandle) {
      if (row != nullptr) row->setObjectHandle(toQel(cell));
    } else if (column.kind == ColumnKind::kEqual) {
      if (row != nullptr && !cell.empty()) row->setEqualPartObjectHandles(splitHandles(cell));
    } else if (column.kind == ColumnKind::kToken && !cell.empty()) {
      const bool store = row != nullptr && column.info.kept;
      QelBomDataTuple tuple;
      const std::string reason =
          typeCell(cell, column.info.catalogue, store ? &tuple.value() : nullptr, &texts_);
      if (!reason.empty()) fieldError(reader, i, reason + " (" + toUtf8(column.info.token) + ")");
      if (store) {
        tuple.setToken(column.info.token);
        row->getData().append(std::move(tuple));  // as addData does, without a copy
      }
    }
  }

  void noteType(int type) {
    if (!types_.empty() && type == lastType_) return;  // most parts repeat the type
    types_.insert(type);
    lastType_ = type;
  }

  const Layout& layout_;
  const PartsBuilder& builder_;
  std::size_t bodyBytes_;
  long long kept_ = 0;  // rows made to be kept
  TextPool texts_;  // one per chunk: threads share no texts
  std::vector<QelBomDataRow*> rows_;
  std::set<int> types_;
  int lastType_ = 0;
  long long untyped_ = 0;
};

// A stretch of the file read by one thread, and how its reading ended.
struct Stretch {
  std::string_view text;
  std::size_t offset = 0;  // of `text` in the file's text
  std::unique_ptr<Layout> ownLayout;
  std::unique_ptr<PartsChunk> chunk;
  bool failed = false;
  bool splitInvalid = false;
  CsvError error;
  std::exception_ptr exception;
};

// Reads the `index`th stretch; on failure lowers `firstFailed` to `index`.
void readStretch(Stretch& stretch, char delimiter, bool last, std::size_t index,
                 std::atomic<std::size_t>& firstFailed) {
  try {
    CsvReader reader(stretch.text, delimiter, !last);
    stretch.chunk->read(reader, stretch.text.size(), index, firstFailed);
  } catch (const CsvError& e) {
    stretch.failed = true;
    stretch.error = e;
  } catch (const CsvSplitInvalid&) {
    stretch.failed = true;
    stretch.splitInvalid = true;
  } catch (...) {
    stretch.failed = true;
    stretch.exception = std::current_exception();
  }
  if (!stretch.failed) return;
  std::size_t lowest = firstFailed.load();
  while (index < lowest && !firstFailed.compare_exchange_weak(lowest, index)) {
  }
}

// Cuts the parts (from offset `start` of `text`) into stretches that begin at
// record boundaries.
std::vector<Stretch> cut(std::string_view text, std::size_t start) {
  const std::size_t size = text.size() - start;
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t count = std::min<std::size_t>(
      {threads, kMaxThreads, std::max<std::size_t>(1, size / kBytesPerThread)});
  std::vector<Stretch> stretches(count);
  std::size_t begin = start;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t end =
        k + 1 == count ? text.size() : nextRecordBoundary(text, start + size / count * (k + 1));
    stretches[k].text = text.substr(begin, std::max(end, begin) - begin);
    stretches[k].offset = begin;
    begin = std::max(end, begin);
  }
  return stretches;
}

// Reads the parts after the header, in stretches on threads of their own when
// the file is large. False when a stretch did not end at a record boundary
// (a file that is not well-formed): the caller reads it again in one piece.
// Errors name the line of the whole text, whose header ends at `bodyLine`.
bool readBody(std::vector<Stretch>& stretches, std::string_view text, long long bodyLine,
              const Layout& layout, PartsBuilder& builder, char delimiter) {
  std::vector<std::thread> threads;
  for (std::size_t k = 0; k < stretches.size(); ++k) {
    Stretch& stretch = stretches[k];
    const bool own = k > 0;
    if (own) stretch.ownLayout.reset(new Layout(ownCopy(layout)));
    stretch.chunk.reset(new PartsChunk(own ? *stretch.ownLayout : layout, builder,
                                       text.size() - stretches[0].offset));
  }
  // A stretch whose thread cannot be started is read here, after the first.
  // (Nothing below allocates once a thread runs: a throw would leave it
  // unjoined.)
  std::atomic<std::size_t> firstFailed{stretches.size()};
  std::vector<std::size_t> here{0};
  here.reserve(stretches.size());
  threads.reserve(stretches.size());
  for (std::size_t k = 1; k < stretches.size(); ++k) {
    try {
      threads.emplace_back(readStretch, std::ref(stretches[k]), delimiter,
                           k + 1 == stretches.size(), k, std::ref(firstFailed));
    } catch (const std::system_error&) {
      here.push_back(k);
    }
  }
  for (std::size_t k : here) {
    readStretch(stretches[k], delimiter, k + 1 == stretches.size(), k, firstFailed);
  }
  for (std::thread& thread : threads) thread.join();
  for (Stretch& stretch : stretches) {
    if (!stretch.failed) continue;
    if (stretch.splitInvalid) return false;
    if (stretch.exception) std::rethrow_exception(stretch.exception);
    const std::size_t bodyStart = stretches[0].offset;
    const long long before = countLineBreaks(text.substr(bodyStart, stretch.offset - bodyStart));
    throw CsvError{bodyLine + before + stretch.error.line - 1, stretch.error.column,
                   stretch.error.reason};
  }
  return true;
}

// Hands the rows to the builder in file order; parts without a #handle column
// are numbered from 1.
void finish(std::vector<Stretch>& stretches, const Layout& layout, PartsBuilder& builder) {
  for (Stretch& stretch : stretches) {
    for (int type : stretch.chunk->objectTypes()) builder.noteObjectType(type);
    builder.noteUntypedParts(stretch.chunk->untypedParts());
    std::vector<QelBomDataRow*> rows = stretch.chunk->takeRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      QelBomDataRow* row = rows[i];
      rows[i] = nullptr;
      if (row != nullptr && !layout.hasHandle) {
        row->setObjectHandle(toQel(std::to_string(builder.partsRead() + 1)));
      }
      try {
        builder.finishPart(row, row != nullptr);
      } catch (...) {
        for (QelBomDataRow* left : rows) delete left;
        throw;
      }
    }
  }
}

}  // namespace

void readPartsCsv(const InputBytes& input, PartsBuilder& builder, char delimiter) {
  readPartsCsv(input.text(), input.name(), builder, delimiter);
}

void readPartsCsv(std::string_view text, const std::string& name, PartsBuilder& builder,
                  char delimiter) {
  try {
    std::size_t bodyStart = 0;
    long long bodyLine = 1;
    Layout layout;
    {  // the header's fields go before the parts are read
      CsvReader header(text, delimiter);
      layout = readHeader(header, builder);
      bodyStart = header.offset();
      bodyLine = header.line();
    }
    std::vector<Stretch> stretches = cut(text, bodyStart);
    if (!readBody(stretches, text, bodyLine, layout, builder, delimiter)) {
      stretches = std::vector<Stretch>(1);
      stretches[0].text = text.substr(bodyStart);
      stretches[0].offset = bodyStart;
      readBody(stretches, text, bodyLine, layout, builder, delimiter);
    }
    finish(stretches, layout, builder);
  } catch (const CsvError& e) {
    throw InputError(name, e.line, e.column, e.reason);
  }
}

void readPartsCsv(const std::string& path, PartsBuilder& builder) {
  const InputBytes input(path);
  readPartsCsv(input, builder);
}

}  // namespace bomreport
