#include "job/handle_checks.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>

#include "text/text_util.h"

namespace bomreport {
namespace {

std::u16string_view textOf(const QelString& text) {
  return std::u16string_view(text.getStringW(), static_cast<std::size_t>(text.length()));
}

struct Entry {
  std::uint64_t hash;
  std::size_t row;  // in row order
};

}  // namespace

std::vector<ReportWarning> handleWarnings(const QelBomData& data, const std::string& fileName) {
  std::vector<const QelBomDataRow*> rows;
  std::vector<Entry> entries;
  const std::hash<std::u16string_view> hash;
  for (const QelBomItemBase* node = data.child(); node != nullptr; node = node->next()) {
    const auto* row = static_cast<const QelBomDataRow*>(node);
    entries.push_back(Entry{hash(textOf(row->objectHandle())), rows.size()});
    rows.push_back(row);
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.hash != b.hash ? a.hash < b.hash : a.row < b.row;
  });
  long long twice = 0;
  std::size_t first = rows.size();  // the earliest row whose handle an earlier row has
  for (std::size_t i = 1; i < entries.size(); ++i) {
    // Rows of one hash are adjacent and in row order: compare with each before.
    for (std::size_t j = i; j-- > 0 && entries[j].hash == entries[i].hash;) {
      if (textOf(rows[entries[j].row]->objectHandle()) ==
          textOf(rows[entries[i].row]->objectHandle())) {
        ++twice;
        first = std::min(first, entries[i].row);
        break;
      }
    }
  }
  if (twice == 0) return {};
  ReportWarning warning{WarningKind::kHandleTwice};
  warning.file = fileName;
  warning.rows = twice;
  warning.text = std::to_string(twice) + (twice == 1 ? " part has" : " parts have") +
                 " the handle of an earlier part (the first: " +
                 quoteForMessage(toUtf8(rows[first]->objectHandle())) +
                 "): a model object listed twice counts twice in every total";
  warning.cure = "list each model object once";
  return {warning};
}

}  // namespace bomreport
