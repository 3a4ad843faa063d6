#include "output/report_tree.h"

#include <algorithm>

#include "BomReportTrees.h"

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

std::u16string_view ColumnIndex::keyOf(const QelBomDataToken& token) {
  const std::u16string_view key = view(token.token());
  if (!sumsUnderSummed_) return key;
  auto found = summedKeys_.find(key);
  if (found != summedKeys_.end()) return found->second;
  QelString summed;
  std::u16string_view mapped = key;
  if (token.getSummingRequest(summed) == 1) {
    summedTokens_.push_back(summed);
    mapped = view(summedTokens_.back());
  }
  summedKeys_.emplace(key, mapped);
  return mapped;
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
    const std::u16string_view key = keyOf(tuples[i].token());
    const int occurrence = static_cast<int>(std::count(itemKeys_.begin(), itemKeys_.end(), key));
    itemKeys_.push_back(key);
    out.push_back(columnFor(key, occurrence));
  }
}

}  // namespace bomreport
