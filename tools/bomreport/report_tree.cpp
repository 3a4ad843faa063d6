#include "report_tree.h"

#include <algorithm>

#include "tree.h"

namespace bomreport {

std::vector<ReportLine> collectLines(const QelBomTemplateItem& root) {
  std::vector<ReportLine> lines;
  walkDescendants(
      root,
      [&lines](const QelBomItemBase* node, int depth) {
        lines.push_back(ReportLine{static_cast<const QelBomTemplateItem*>(node), depth - 1});
      },
      [] {}, [](int) {});
  return lines;
}

bool summedToken(const QelString& token, std::u16string_view& summed) {
  if (token.find(QelBomDataToken::kSumPrefix) < 0) return false;
  const std::size_t prefix = static_cast<std::size_t>(QelBomDataToken::kSumPrefix.length());
  const std::u16string_view whole = view(token);
  summed = whole.size() > prefix ? whole.substr(prefix) : std::u16string_view();
  return true;
}

int ColumnIndex::columnFor(std::u16string_view key, int occurrence) {
  if (occurrence == 0) {
    auto found = first_.find(key);
    if (found != first_.end()) return found->second;
    columns_.push_back(Column{key, 0});
    first_.emplace(key, static_cast<int>(columns_.size()) - 1);
    return static_cast<int>(columns_.size()) - 1;
  }
  auto lookup = std::make_pair(std::u16string(key), occurrence);
  auto found = repeated_.find(lookup);
  if (found != repeated_.end()) return found->second;
  columns_.push_back(Column{key, occurrence});
  repeated_.emplace(std::move(lookup), static_cast<int>(columns_.size()) - 1);
  return static_cast<int>(columns_.size()) - 1;
}

void ColumnIndex::map(const QelBomTemplateItem& item, std::vector<int>& out) {
  out.clear();
  itemKeys_.clear();
  const QelArray<QelBomDataTuple>& tuples = item.getData();
  for (int i = 0; i < tuples.count(); ++i) {
    if (!isVisible(tuples[i])) {
      out.push_back(-1);
      continue;
    }
    const QelString& token = tuples[i].token().token();
    std::u16string_view key = view(token);
    std::u16string_view summed;
    if (sumsUnderSummed_ && summedToken(token, summed)) key = summed;
    const int occurrence = static_cast<int>(std::count(itemKeys_.begin(), itemKeys_.end(), key));
    itemKeys_.push_back(key);
    out.push_back(columnFor(key, occurrence));
  }
}

}  // namespace bomreport
