#include "input/parts_builder.h"

#include <algorithm>
#include <utility>

#include "BomReportTrees.h"
#include "text/text_util.h"

namespace bomreport {

std::string typeCell(std::string_view cell, QelBomDataValue::eBomDataValueType catalogue,
                     QelBomDataValue* value, TextPool* texts) {
  auto text = [&] { return texts != nullptr ? texts->get(cell) : toQel(cell); };
  int integer = 0;
  double real = 0.0;
  switch (catalogue) {
    case QelBomDataValue::kIntDataValue:
      if (!parseInt32(cell, integer)) return quoteForMessage(cell) + " is not a 32-bit integer";
      if (value != nullptr) value->set(integer);
      return std::string();
    case QelBomDataValue::kDoubleDataValue:
      if (!parseReal(cell, real)) {
        return quoteForMessage(cell) +
               (isDecimalNumber(cell) ? " is out of the range of a double" : " is not a number");
      }
      if (value != nullptr) value->set(real);
      return std::string();
    case QelBomDataValue::kStringDataValue:
      if (value != nullptr) value->set(text());
      return std::string();
    case QelBomDataValue::kUnkDataValueType:
      break;
  }
  if (value == nullptr) return std::string();  // anything is a valid cell
  if (parseInt32(cell, integer)) {
    value->set(integer);
  } else if (parseReal(cell, real)) {
    value->set(real);
  } else {
    value->set(text());
  }
  return std::string();
}

PartsBuilder::PartsBuilder(QelBomData* data, bool keepAllTokens, bool templateFilters,
                           std::vector<std::string> hostTokens)
    : data_(data),
      keepAllTokens_(keepAllTokens),
      templateFilters_(templateFilters),
      hostTokens_(std::move(hostTokens)) {}

TokenInfo PartsBuilder::makeTokenInfo(std::string_view utf8Token) {
  if (named_.size() < kMaxNotedTokens ||
      watched_.count(std::string(utf8Token)) != 0) {
    named_.emplace(utf8Token);
  }
  TokenInfo info;
  info.token = toQel(utf8Token);
  info.catalogue = QelBomDataToken::getTokenType(info.token);
  info.kept = keepAllTokens_ || data_->isTokenRequired(info.token) ||
              std::find(hostTokens_.begin(), hostTokens_.end(), utf8Token) != hostTokens_.end();
  if (!info.kept && info.catalogue == QelBomDataValue::kUnkDataValueType) {
    info.token = QelString();  // a long token would be kept for nothing
  }
  return info;
}

const TokenInfo& PartsBuilder::tokenInfo(std::string_view utf8Token) {
  std::string key(utf8Token);
  auto found = tokens_.find(key);
  if (found != tokens_.end()) return found->second;
  TokenInfo info = makeTokenInfo(utf8Token);
  return tokens_.emplace(std::move(key), std::move(info)).first->second;
}

bool PartsBuilder::templateRequires(std::string_view utf8Token) const {
  return data_->isTokenRequired(toQel(utf8Token));
}

void PartsBuilder::noteObjectType(int type) {
  if (typeNoted_ && type == lastType_) return;  // most parts repeat the type before them
  types_.insert(type);
  lastType_ = type;
  typeNoted_ = true;
}

bool PartsBuilder::wantsObjectType(bool hasType, int type) const {
  if (!templateFilters_ || !hasType) return true;
  return data_->isItemPresent(static_cast<QelBomData::eSteelObjects>(type));
}

void PartsBuilder::chargeRow() const {
  const long long rows = charged_.fetch_add(1, std::memory_order_relaxed) + 1;
  if ((rows & 1023) == 0) budget_.check(rows, false);
}

void PartsBuilder::checkRate(long long kept, std::size_t read, std::size_t size) const {
  if (read == 0 || kept <= 0) return;
  const double parts = static_cast<double>(kept) * static_cast<double>(size) / static_cast<double>(read);
  budget_.check(static_cast<long long>(parts), true);
}

void PartsBuilder::finishPart(QelBomDataRow* row, bool keep) {
  ++partsRead_;
  if (keep) {
    noteQuantity(*row);
    ++partsKept_;
    // Rows a reader charged as it made them are not charged again.
    if (charged_.load(std::memory_order_relaxed) < partsKept_) {
      try {
        chargeRow();
      } catch (...) {
        delete row;
        throw;
      }
    }
    if (!countOnly_) {
      data_->addChild(row);
      return;
    }
  }
  delete row;
}

std::unique_ptr<PartsBuilder> PartsBuilder::counter() const {
  std::unique_ptr<PartsBuilder> counting(
      new PartsBuilder(data_, keepAllTokens_, templateFilters_, hostTokens_));
  counting->countOnly_ = true;
  return counting;
}

void PartsBuilder::noteQuantity(const QelBomDataRow& row) {
  static const QelString kQuantity("%Quantity");
  for (const QelBomDataTuple& tuple : row.getData()) {
    if (!(tuple.token().token() == kQuantity)) continue;
    const QelBomDataValue& value = tuple.value();  // the first is the one read
    if (value.type() != QelBomDataValue::kIntDataValue || intValueOf(value) >= 1) return;
    if (lowQuantities_.parts++ == 0) {
      lowQuantities_.firstPart = partsRead_;
      lowQuantities_.firstHandle = toUtf8(row.objectHandle());
      lowQuantities_.firstValue = intValueOf(value);
    }
    return;
  }
}

QelArray<QelString> splitHandles(std::string_view text) {
  QelArray<QelString> handles;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of("; \t", pos);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    if (stop > pos) handles.appendGrowing(toQel(text.substr(pos, stop - pos)));
    pos = stop + 1;
  }
  return handles;
}

}  // namespace bomreport
