#include "input/parts_table.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "BomReportErrors.h"
#include "text/text_util.h"
#include "text/display_number.h"

namespace bomreport {
namespace {

using ValueType = QelBomDataValue::eBomDataValueType;

// Why a text cannot go into the engine, or an empty string.
std::string textProblem(std::string_view text) {
  std::size_t bad = 0;
  if (text.size() > kMaxTextBytes) return "text longer than 2147483646 bytes";
  if (text.find('\0') != std::string_view::npos) return "NUL character";
  if (!isValidUtf8(text, bad)) return "invalid UTF-8";
  return std::string();
}

bool fitsInt32(long long value) {
  return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

// Typing a value given as a number; `value` is null for a check only.
std::string typeInteger(long long given, ValueType catalogue, QelBomDataValue* value,
                        TextPool& texts) {
  switch (catalogue) {
    case QelBomDataValue::kIntDataValue:
      if (!fitsInt32(given)) return std::to_string(given) + " is not a 32-bit integer";
      if (value != nullptr) value->set(static_cast<int>(given));
      break;
    case QelBomDataValue::kDoubleDataValue:
      if (value != nullptr) value->set(static_cast<double>(given));
      break;
    case QelBomDataValue::kStringDataValue:
      if (value != nullptr) value->set(texts.get(std::to_string(given)));
      break;
    case QelBomDataValue::kUnkDataValueType:
      if (value == nullptr) break;
      if (fitsInt32(given)) {
        value->set(static_cast<int>(given));
      } else {
        value->set(static_cast<double>(given));
      }
      break;
  }
  return std::string();
}

std::string typeReal(double given, ValueType catalogue, QelBomDataValue* value, TextPool& texts) {
  if (!std::isfinite(given)) return "a real must be finite, not " + std::to_string(given);
  if (given == 0.0) given = 0.0;  // no report shows "-0" for an input
  if (catalogue == QelBomDataValue::kIntDataValue) {
    const bool integral = std::trunc(given) == given && given >= std::numeric_limits<int>::min() &&
                          given <= std::numeric_limits<int>::max();
    if (!integral) return shortestNumberText(given) + " is not a 32-bit integer";
    if (value != nullptr) value->set(static_cast<int>(given));
  } else if (catalogue == QelBomDataValue::kStringDataValue) {
    if (value != nullptr) value->set(texts.get(shortestNumberText(given)));
  } else if (value != nullptr) {
    value->set(given);
  }
  return std::string();
}

std::string typeText(const std::string& given, ValueType catalogue, QelBomDataValue* value,
                     TextPool& texts) {
  std::string problem = textProblem(given);
  if (!problem.empty()) return problem;
  if (catalogue != QelBomDataValue::kUnkDataValueType) {
    return typeCell(given, catalogue, value, &texts);  // as a CSV cell
  }
  if (value != nullptr) value->set(texts.get(given));  // a text stays a text
  return std::string();
}

class TableReader {
 public:
  TableReader(const PartsTable& table, PartsBuilder& builder)
      : table_(table), builder_(builder), tokens_(table.tokens.size(), nullptr) {}

  void read() {
    for (const PartsTable::Part& part : table_.parts) readPart(part);
  }

 private:
  [[noreturn]] void fail(const std::string& reason) const {
    throw InputError(table_.name, builder_.partsRead() + 1, 0, reason);
  }

  void checkText(std::string_view text, const char* what) const {
    const std::string problem = textProblem(text);
    if (!problem.empty()) fail(problem + " in " + what);
  }

  // The token of tuple index `index`, checked and looked up once.
  const TokenInfo& token(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= tokens_.size()) {
      fail("a tuple names token " + std::to_string(index) + " of " +
           std::to_string(tokens_.size()));
    }
    const TokenInfo*& info = tokens_[static_cast<std::size_t>(index)];
    if (info == nullptr) {
      const std::string& name = table_.tokens[static_cast<std::size_t>(index)];
      if (name.empty()) fail("empty token");
      checkText(name, "a token");
      info = &builder_.tokenInfo(name);  // stays valid: the builder's map is node-based
    }
    return *info;
  }

  QelArray<QelString> equalHandles(const std::vector<std::string>& equal) const {
    QelArray<QelString> handles;
    for (const std::string& entry : equal) {
      checkText(entry, "a handle of an equal part");
      for (const QelString& handle : splitHandles(entry)) handles.appendGrowing(handle);
    }
    return handles;
  }

  void readValue(const PartsTable::Tuple& given, QelBomDataRow* row) {
    const TokenInfo& info = token(given.token);
    const bool store = row != nullptr && info.kept;
    QelBomDataTuple tuple;
    QelBomDataValue* value = store ? &tuple.value() : nullptr;
    TextPool& texts = builder_.texts();
    std::string reason;
    if (const auto* text = std::get_if<std::string>(&given.value)) {
      reason = typeText(*text, info.catalogue, value, texts);
    } else if (const auto* integer = std::get_if<long long>(&given.value)) {
      reason = typeInteger(*integer, info.catalogue, value, texts);
    } else {
      reason = typeReal(std::get<double>(given.value), info.catalogue, value, texts);
    }
    if (!reason.empty()) fail(reason + " (" + table_.tokens[given.token] + ")");
    if (!store) return;
    tuple.setToken(info.token);
    row->getData().appendGrowing(std::move(tuple));
  }

  void readPart(const PartsTable::Part& part) {
    const bool keep = builder_.keepsObjectType(part.type.has_value(), part.type.value_or(0));
    std::unique_ptr<QelBomDataRow> row(keep ? new QelBomDataRow() : nullptr);
    if (part.handle) checkText(*part.handle, "the handle");
    const QelArray<QelString> equal = equalHandles(part.equal);
    if (row != nullptr) {
      row->setObjectHandle(
          toQel(part.handle ? *part.handle : std::to_string(builder_.partsRead() + 1)));
      if (equal.count() > 0) row->setEqualPartObjectHandles(equal);
    }
    partTokens_.clear();
    for (const PartsTable::Tuple& tuple : part.tuples) {
      if (std::find(partTokens_.begin(), partTokens_.end(), tuple.token) != partTokens_.end()) {
        fail("the part gives the token " + quoteForMessage(table_.tokens[static_cast<std::size_t>(tuple.token)]) +
             " twice");
      }
      partTokens_.push_back(tuple.token);
      readValue(tuple, row.get());
    }
    builder_.finishPart(row.release(), keep);
  }

  const PartsTable& table_;
  PartsBuilder& builder_;
  std::vector<const TokenInfo*> tokens_;  // by token index; null until first met
  std::vector<int> partTokens_;           // the token indexes of the part being read
};

}  // namespace

PartKey reservedPartKey(std::string_view name) {
  if (name == "handle") return PartKey::kHandle;
  if (name == "equal") return PartKey::kEqual;
  if (name == "type") return PartKey::kType;
  return PartKey::kToken;
}

void readPartsTable(const PartsTable& table, PartsBuilder& builder) {
  TableReader(table, builder).read();
}

}  // namespace bomreport
