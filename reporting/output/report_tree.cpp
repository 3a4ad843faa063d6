#include "output/report_tree.h"
#include "output/tree_walk.h"

#include <algorithm>
#include <cstdint>

#include "BomReportTrees.h"

namespace bomreport {

std::vector<ReportLine> collectLines(const QelBomTemplateItem& root) {
  // Counted first: a report of a million parts has millions of lines, and a
  // vector grown to them would hold up to twice their room.
  std::size_t count = 0;
  walkDescendants(
      root, [&count](const QelBomItemBase*, int) { ++count; }, [] {}, [](int) {});
  std::vector<ReportLine> lines;
  lines.reserve(count);
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

std::size_t ColumnIndex::hashTexts(const QelArray<QelBomDataTuple>& tuples) {
  std::size_t h = static_cast<std::size_t>(tuples.count());
  for (int i = 0; i < tuples.count(); ++i) {
    h = (h ^ reinterpret_cast<std::uintptr_t>(tuples[i].token().token().getStringW())) *
        0x9E3779B97F4A7C15ull;
  }
  return h ^ (h >> 31);
}

bool ColumnIndex::sameTexts(const Shape& shape, const QelArray<QelBomDataTuple>& tuples) {
  if (shape.texts.size() != static_cast<std::size_t>(tuples.count())) return false;
  for (int i = 0; i < tuples.count(); ++i) {
    if (shape.texts[static_cast<std::size_t>(i)] != tuples[i].token().token().getStringW()) {
      return false;
    }
  }
  return true;
}

const std::vector<int>& ColumnIndex::columnsOf(const QelBomTemplateItem& item) {
  const QelArray<QelBomDataTuple>& tuples = item.getData();
  const std::size_t hash = hashTexts(tuples);
  const auto range = shapes_.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it) {
    if (sameTexts(it->second, tuples)) return it->second.columns;
  }
  Shape shape;
  mapTokens(tuples, shape.columns);
  for (int i = 0; i < tuples.count(); ++i) {
    shape.texts.push_back(tuples[i].token().token().getStringW());
  }
  return shapes_.emplace(hash, std::move(shape))->second.columns;
}

void ColumnIndex::mapTokens(const QelArray<QelBomDataTuple>& tuples, std::vector<int>& out) {
  out.clear();
  itemKeys_.clear();
  for (int i = 0; i < tuples.count(); ++i) {
    if (!isVisible(tuples[i])) {
      out.push_back(-1);
      continue;
    }
    const std::u16string_view key = keyOf(tuples[i].token());
    out.push_back(columnFor(key, itemKeys_[key]++));
  }
}

}  // namespace bomreport
