#include "job/revision_lines.h"

#include <cstring>

#include "text/text_util.h"

namespace bomreport {
namespace {


bool isFooterType(int type) {
  return type == QelBomTemplateItem::kGroupFooter || type == QelBomTemplateItem::kReportFooter ||
         type == QelBomTemplateItem::kPageFooter;
}

// The sections of the template's levels: the chain of first children.
std::vector<const QelBomTemplateItem*> levelSections(const QelBomTemplate& templ) {
  std::vector<const QelBomTemplateItem*> levels;
  for (const QelBomItemBase* node = templ.child(); node != nullptr; node = node->child()) {
    levels.push_back(static_cast<const QelBomTemplateItem*>(node));
  }
  return levels;
}

QelString withoutSortPrefix(const QelString& key) {
  QelString token = key;
  int ascending = 1;
  QelBomDataToken::removeSortingPrefix(token, ascending);
  return token;
}

// The value of `token` on `item` as shown, else as the row that opened it
// holds it.
QelString keyValue(const QelBomTemplateItem& item, const QelString& token) {
  for (const QelBomDataTuple& tuple : item.getData()) {
    if (isVisible(tuple) && tuple.token().token() == token) return tuple.value().asString();
  }
  const QelBomDataRow* row = item.getFirstDataRow();
  const QelBomDataTuple* tuple = row != nullptr ? row->getTupleAt(token) : nullptr;
  return tuple != nullptr ? tuple->value().asString() : QelString();
}

// The texts of an item's values without a copy: a number (which an
// evaluated item seldom holds) as its text.
template <typename Use>
void withText(const QelBomDataValue& value, Use use) {
  if (value.type() == QelBomDataValue::kStringDataValue) {
    use(textValueOf(value));
  } else {
    use(value.asString());
  }
}

// A 64-bit hash over UTF-16 texts, four code units to a word, each text ended
// by its length. `Mix` folds one word into the state.
template <typename Mix>
class WordHash {
 public:
  explicit WordHash(std::uint64_t seed) : hash_(seed) {}
  void add(const QelString& value) {
    const std::u16string_view units = view(value);
    std::size_t at = 0;
    for (; at + 4 <= units.size(); at += 4) {
      std::uint64_t word;
      std::memcpy(&word, units.data() + at, sizeof word);
      hash_ = Mix::mix(hash_, word);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, units.data() + at, (units.size() - at) * sizeof(char16_t));
    hash_ = Mix::mix(Mix::mix(hash_, tail), units.size() | std::uint64_t{1} << 63);
  }
  void add(std::uint64_t number) { hash_ = Mix::mix(hash_, number); }
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_;
};

// Multiply and fold the high bits down.
struct MultiplyFold {
  static std::uint64_t mix(std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * 0xBF58476D1CE4E5B9ull;
    return hash ^ (hash >> 31);
  }
};
// Add, multiply by another odd constant and rotate: unlike MultiplyFold in
// every step.
struct AddRotate {
  static std::uint64_t mix(std::uint64_t hash, std::uint64_t word) {
    hash = (hash + word + 1) * 0x9E3779B97F4A7C15ull;
    return (hash << 27) | (hash >> 37);
  }
};

class KeyHash : public WordHash<MultiplyFold> {
 public:
  explicit KeyHash(std::uint64_t seed = 14695981039346656037ull) : WordHash(seed) {}
};

// The hashes of every display text an item holds. Lines of one key come of
// one section, whose tokens are the same in both revisions, so the tokens
// need no hashing.
void hashTexts(const QelBomTemplateItem& item, std::uint64_t (&texts)[2]) {
  WordHash<MultiplyFold> first(0x84222325CBF29CE4ull);
  WordHash<AddRotate> second(0x2545F4914F6CDD1Dull);
  const QelArray<QelBomDataTuple>& tuples = item.getData();
  for (const QelBomDataTuple& tuple : tuples) {
    withText(tuple.value(), [&](const QelString& text) {
      first.add(text);
      second.add(text);
    });
  }
  first.add(static_cast<std::uint64_t>(tuples.count()));
  texts[0] = first.value();
  texts[1] = second.value();
}

// The values that make a details line's own key.
std::vector<QelString> ownKeyValues(const QelBomTemplateItem& item,
                                    const std::vector<QelString>& keyTokens) {
  std::vector<QelString> values;
  if (keyTokens.empty()) {  // every value it shows
    for (const QelBomDataTuple& tuple : item.getData()) {
      if (isVisible(tuple)) values.push_back(tuple.value().asString());
    }
    return values;
  }
  for (const QelString& token : keyTokens) values.push_back(keyValue(item, token));
  return values;
}

std::string joined(const std::vector<QelString>& values) {
  std::string text;
  for (const QelString& value : values) {
    const std::string shown = toUtf8(value);
    if (!shown.empty()) text += (text.empty() ? "" : " ") + shown;
  }
  return text;
}

// The visible texts of an item that are no sums, joined by spaces.
std::string joinedTexts(const QelBomTemplateItem& item) {
  std::string text;
  for (const QelBomDataTuple& tuple : item.getData()) {
    if (!isVisible(tuple)) continue;
    if (view(tuple.token().token()).rfind(view(QelBomDataToken::kSumPrefix), 0) == 0) continue;
    const std::string shown = toUtf8(tuple.value().asString());
    if (!shown.empty()) text += (text.empty() ? "" : " ") + shown;
  }
  return text;
}

class LineKeys {
 public:
  explicit LineKeys(RevisionSide& side) : side_(side) {}

  void read() {
    const std::vector<ReportLine>& lines = side_.reader->lines();
    side_.lines.reserve(lines.size());
    side_.byKey.reserve(lines.size());
    side_.headerOf.assign(lines.size(), RevisionSide::kNone);
    const int innermost = static_cast<int>(side_.levels.size()) - 1;
    for (std::size_t at = 0; at < lines.size(); ++at) {
      const int depth = lines[at].depth;
      if (depth > innermost) continue;
      keys_.resize(depth + 1);
      headers_.resize(depth + 1, RevisionSide::kNone);
      side_.headerOf[at] = depth > 0 ? headers_[depth - 1] : RevisionSide::kNone;
      const QelBomTemplateItem& item = *lines[at].item;
      if (isFooterType(item.type())) {
        side_.headerOf[at] = headers_[depth];
        KeyHash key(keys_[depth]);
        key.add(u"\x1eΣ");
        add(at, key.value(), headers_[depth]);
      } else if (depth < innermost) {
        KeyHash key(depth > 0 ? keys_[depth - 1] : KeyHash().value());
        for (const QelString& token : side_.levels[depth]->groupingTokens()) {
          key.add(keyValue(item, token));
        }
        keys_[depth] = key.value();
        headers_[depth] = at;
      } else {
        KeyHash key(depth > 0 ? keys_[depth - 1] : KeyHash().value());
        for (const QelString& value : ownKeyValues(item, side_.keyTokens)) key.add(value);
        add(at, key.value(), depth > 0 ? headers_[depth - 1] : RevisionSide::kNone);
      }
    }
  }

 private:
  void add(std::size_t at, std::uint64_t key, std::size_t header) {
    RevisionSide::Line line{at, key, header, {0, 0}};
    hashTexts(*side_.reader->lines()[at].item, line.texts);
    // The n-th line of a repeated key matches the n-th of the other revision.
    for (long long n = 1; side_.byKey.count(line.key) != 0; ++n) {
      if (n == 1 && !side_.isFooter(line) && side_.repeatedKeys++ == 0) {
        side_.repeatedExample = side_.shownKey(line);
      }
      KeyHash again(key);
      again.add(static_cast<std::uint64_t>(n));
      line.key = again.value();
    }
    side_.byKey.emplace(line.key, side_.lines.size());
    side_.lines.push_back(line);
  }

  RevisionSide& side_;
  std::vector<std::uint64_t> keys_;  // of the open groups (with those around them), by depth
  std::vector<std::size_t> headers_;  // their header lines, by depth
};

}  // namespace

bool RevisionSide::isFooter(const Line& line) const { return isFooterType(item(line).type()); }

std::string RevisionSide::shownKey(const Line& line) const {
  if (!isFooter(line)) return joined(ownKeyValues(item(line), keyTokens));
  if (reader->lines()[line.at].depth == 0 || line.header == kNone) return "Σ Total";
  return "Σ " + joinedTexts(*reader->lines()[line.header].item);
}

std::string RevisionSide::keyText(const Line& line) const {
  std::string text = shownKey(line);
  for (std::size_t at = line.header; at != kNone; at = headerOf[at]) {
    const ReportLine& header = reader->lines()[at];
    std::vector<QelString> values;
    for (const QelString& token : levels[header.depth]->groupingTokens()) {
      values.push_back(keyValue(*header.item, token));
    }
    text = joined(values) + "\x1e" + text;
  }
  return text;
}

std::vector<std::string> RevisionSide::groupTexts(const Line& line) const {
  std::vector<std::string> texts;
  for (std::size_t at = line.header; at != kNone; at = headerOf[at]) {
    if (reader->lines()[at].depth > 0) texts.insert(texts.begin(), joinedTexts(*reader->lines()[at].item));
  }
  return texts;
}

std::vector<std::vector<std::string>> RevisionSide::handlesByLine(long long& withoutHandle) {
  std::unordered_map<const QelBomDataRow*, std::size_t> lineOfRow;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const QelBomDataRow* row = item(lines[l]).getFirstDataRow();
    if (!isFooter(lines[l]) && row != nullptr) lineOfRow.emplace(row, l);
  }
  std::vector<std::vector<std::string>> handles(lines.size());
  std::size_t current = lines.size();
  for (const QelBomItemBase* node = report.data().child(); node != nullptr; node = node->next()) {
    const auto* row = static_cast<const QelBomDataRow*>(node);
    const auto found = lineOfRow.find(row);
    if (found != lineOfRow.end()) current = found->second;
    if (current == lines.size()) continue;
    auto add = [&](const QelString& handle) {
      if (handle.isEmpty()) {
        ++withoutHandle;
      } else {
        handles[current].push_back(toUtf8(handle));
      }
    };
    add(row->objectHandle());
    for (const QelString& equal : row->EqualPartObjectHandles()) add(equal);
  }
  return handles;
}

std::unique_ptr<RevisionSide> evaluateRevision(const ReportJobOptions& job,
                                               const std::string& parts) {
  ReportJobOptions options = job;
  options.partsPath = parts;
  auto revision = std::make_unique<ReportJob>(options);
  EvaluatedReport report = revision->evaluate();
  return std::make_unique<RevisionSide>(std::move(revision), std::move(report));
}

void keyLines(RevisionSide& side, const std::vector<std::string>& keyTokens) {
  side.reader = std::make_unique<ReportItemReader>(side.report.view(false));
  side.levels = levelSections(side.job->templ());
  for (const std::string& token : keyTokens) side.keyTokens.push_back(QelString::fromUtf8(token));
  if (side.keyTokens.empty() && !side.levels.empty()) {
    for (const QelString& key : side.levels.back()->sortingTokens()) {
      side.keyTokens.push_back(withoutSortPrefix(key));
    }
  }
  LineKeys(side).read();
}

bool sameTexts(const RevisionSide::Line& a, const RevisionSide::Line& b) {
  return a.texts[0] == b.texts[0] && a.texts[1] == b.texts[1];
}

}  // namespace bomreport
