#include "BomRevisions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <utility>

#include "job/report_warnings.h"
#include "output/column_styles.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

bool isFooter(QelBomTemplateItem::eTemplateItemType type) {
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

std::string withoutSortPrefix(const QelString& key) {
  QelString token = key;
  int ascending = 1;
  QelBomDataToken::removeSortingPrefix(token, ascending);
  return toUtf8(token);
}

// One evaluated revision, its lines keyed.
struct Line {
  const ReportItem* item;
  std::string key;    // the full key: group keys and the line's own, "\x1f"-joined
  std::string shown;  // the line's own key as people read it
  std::vector<std::string> groups;
  std::vector<std::string> handles;
};

struct Side {
  EvaluatedReport report;
  std::vector<ReportItem> items;
  std::vector<Line> lines;  // details and footers, in report order
  std::unordered_map<std::string, std::size_t> byKey;
};

const ReportValue* shownValue(const ReportItem& item, const std::string& token) {
  for (const ReportValue& value : item.values) {
    if (value.token == token) return &value;
  }
  return nullptr;
}

// The value of `token` on `item` as shown, else as its row holds it.
std::string keyValue(const ReportItem& item, const QelBomDataRow* row, const std::string& token) {
  if (const ReportValue* value = shownValue(item, token)) return value->text;
  if (row == nullptr) return std::string();
  const QelBomDataTuple* tuple = row->getTupleAt(QelString::fromUtf8(token));
  return tuple != nullptr ? toUtf8(tuple->value().asString()) : std::string();
}

std::string joinTexts(const ReportItem& item) {
  std::string text;
  for (const ReportValue& value : item.values) {
    if (value.text.empty() || value.token.rfind("%SumBy:", 0) == 0) continue;
    text += (text.empty() ? "" : " ") + value.text;
  }
  return text;
}

class SideReader {
 public:
  SideReader(Side& side, const std::vector<const QelBomTemplateItem*>& levels,
             const std::vector<std::string>& keyTokens)
      : side_(side), levels_(levels), keyTokens_(keyTokens) {
    for (const QelBomItemBase* node = side.report.data().child(); node != nullptr;
         node = node->next()) {
      const auto* row = static_cast<const QelBomDataRow*>(node);
      rows_.emplace(toUtf8(row->objectHandle()), row);
    }
  }

  void read(std::vector<ReportWarning>& warnings, const std::string& dataName) {
    const int innermost = static_cast<int>(levels_.size()) - 1;
    for (const ReportItem& item : side_.items) {
      if (item.depth > innermost) continue;
      keys_.resize(item.depth + 1);
      texts_.resize(item.depth + 1);
      if (isFooter(item.type)) {
        // A footer is named by the group it closes: "Σ C1 COLUMN", "Σ Total".
        const std::string name = item.depth == 0 ? "Σ Total" : "Σ " + texts_[item.depth];
        addLine(item, "\x1eΣ", name, item.depth + 1);
      } else if (item.depth < innermost) {
        keys_[item.depth] = groupKey(item);
        texts_[item.depth] = joinTexts(item);
      } else {
        const std::string own = detailsKey(item);
        addLine(item, own, own, item.depth);
      }
    }
    for (const auto& [key, count] : repeated_) {
      ReportWarning warning{WarningKind::kRevisionKeyRepeats};
      warning.file = dataName;
      warning.rows = count;
      warning.text = "the key " + quoteForMessage(key) + " names " + std::to_string(count + 1) +
                     " lines of the report of " + dataName + ", so they are compared in order";
      warning.cure = "name tokens that tell the lines apart with " + optionReference("key");
      warnings.push_back(std::move(warning));
    }
    attachHandles();
  }

 private:
  const QelBomDataRow* rowOf(const ReportItem& item) const {
    if (!item.row) return nullptr;
    const auto found = rows_.find(*item.row);
    return found != rows_.end() ? found->second : nullptr;
  }

  std::string groupKey(const ReportItem& item) const {
    std::string key;
    for (const QelString& token : levels_[item.depth]->groupingTokens()) {
      key += keyValue(item, rowOf(item), toUtf8(token)) + "\x1f";
    }
    return key;
  }

  std::string detailsKey(const ReportItem& item) const {
    std::vector<std::string> tokens = keyTokens_;
    if (tokens.empty()) {
      for (const QelString& key : levels_[item.depth]->sortingTokens()) {
        tokens.push_back(withoutSortPrefix(key));
      }
    }
    std::string key;
    if (tokens.empty()) return joinTexts(item);
    for (const std::string& token : tokens) {
      key += (key.empty() ? "" : " ") + keyValue(item, rowOf(item), token);
    }
    return key;
  }

  void addLine(const ReportItem& item, const std::string& own, const std::string& shown,
               int groupDepth) {
    Line line{&item, std::string(), shown, {}, {}};
    for (int d = 0; d < groupDepth && d < static_cast<int>(keys_.size()); ++d) {
      line.key += keys_[d] + "\x1e";
      if (d > 0) line.groups.push_back(texts_[d]);
    }
    line.key += own;
    if (!side_.byKey.emplace(line.key, side_.lines.size()).second) {
      const long long n = ++seen_[line.key];
      if (!isFooter(item.type)) repeated_[shown] = n;
      line.key += "\x1d" + std::to_string(n);  // the n-th repetition matches the n-th
      side_.byKey.emplace(line.key, side_.lines.size());
    }
    side_.lines.push_back(std::move(line));
  }

  // The handles of the parts on each details line: the row that made it, its
  // equal parts, and the rows after it whose repeated lines were dropped.
  void attachHandles() {
    std::unordered_map<std::string, std::size_t> lineOfRow;
    for (std::size_t l = 0; l < side_.lines.size(); ++l) {
      const ReportItem& item = *side_.lines[l].item;
      if (!isFooter(item.type) && item.row) lineOfRow.emplace(*item.row, l);
    }
    std::size_t current = side_.lines.size();
    for (const QelBomItemBase* node = side_.report.data().child(); node != nullptr;
         node = node->next()) {
      const auto* row = static_cast<const QelBomDataRow*>(node);
      const std::string handle = toUtf8(row->objectHandle());
      const auto found = lineOfRow.find(handle);
      if (found != lineOfRow.end()) current = found->second;
      if (current == side_.lines.size()) continue;
      std::vector<std::string>& handles = side_.lines[current].handles;
      handles.push_back(handle);
      for (const QelString& equal : row->EqualPartObjectHandles()) handles.push_back(toUtf8(equal));
    }
  }

  Side& side_;
  const std::vector<const QelBomTemplateItem*>& levels_;
  const std::vector<std::string>& keyTokens_;
  std::unordered_map<std::string, const QelBomDataRow*> rows_;
  std::vector<std::string> keys_, texts_;  // of the open groups, by depth
  std::unordered_map<std::string, long long> seen_;
  std::unordered_map<std::string, long long> repeated_;
};

// How people read `token`: the template's caption or the token's own
// heading, with the unit (as the text report labels it).
std::string labelOf(const std::string& token, const ReportUnits& units,
                    const ColumnStyles& styles) {
  return styledLabel(QelBomDataToken(QelString::fromUtf8(token)), &styles, &units);
}

// A real as its column shows it, when the template fixes its decimals.
ReportValue shownAs(ReportValue value, const ReportUnits& units, const ColumnStyles& styles) {
  const ColumnStyle* style = styles.find(value.token);
  if (value.kind != ReportValue::Kind::kReal || style == nullptr) return value;
  const std::string summed =
      value.token.rfind("%SumBy:", 0) == 0 ? value.token.substr(7) : value.token;
  const int decimals = style->decimalsIn(units.unitOf(QelString::fromUtf8(summed)));
  if (decimals < 0) return value;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value.number);
  value.text = text;
  return value;
}

// The values of a line in both revisions, in the order the newer shows them.
std::vector<RevisionValue> compareValues(const ReportItem* before, const ReportItem* after,
                                         const ReportUnits& units, const ColumnStyles& styles) {
  std::vector<RevisionValue> values;
  auto find = [&](const std::string& token) -> RevisionValue& {
    for (RevisionValue& value : values) {
      if (value.token == token) return value;
    }
    values.push_back(
        RevisionValue{token, labelOf(token, units, styles), std::nullopt, std::nullopt});
    return values.back();
  };
  if (after != nullptr) {
    for (const ReportValue& value : after->values)
      find(value.token).after = shownAs(value, units, styles);
  }
  if (before != nullptr) {
    for (const ReportValue& value : before->values)
      find(value.token).before = shownAs(value, units, styles);
  }
  return values;
}

RevisionLine makeLine(const Line* before, const Line* after, const ReportUnits& units,
                      const ColumnStyles& styles) {
  const Line& line = after != nullptr ? *after : *before;
  RevisionLine made;
  made.depth = line.item->depth;
  made.type = line.item->type;
  made.groups = line.groups;
  made.key = line.shown;
  made.values = compareValues(before != nullptr ? before->item : nullptr,
                              after != nullptr ? after->item : nullptr, units, styles);
  if (before != nullptr) made.handlesBefore = before->handles;
  if (after != nullptr) made.handlesAfter = after->handles;
  if (before == nullptr) {
    made.change = RevisionChange::kAdded;
  } else if (after == nullptr) {
    made.change = RevisionChange::kRemoved;
  } else {
    made.change = std::any_of(made.values.begin(), made.values.end(),
                              [](const RevisionValue& value) { return value.changed(); })
                      ? RevisionChange::kChanged
                      : RevisionChange::kUnchanged;
  }
  return made;
}

Side evaluate(const ReportJobOptions& base, const std::string& parts) {
  ReportJobOptions options = base;
  options.partsPath = parts;
  ReportJob job(options);
  Side side{job.evaluate(), {}, {}, {}};
  side.items = reportItems(side.report.view(false));
  return side;
}

void count(Revisions& revisions, const RevisionLine& line) {
  if (isFooter(line.type)) return;
  switch (line.change) {
    case RevisionChange::kAdded:
      ++revisions.added;
      break;
    case RevisionChange::kRemoved:
      ++revisions.removed;
      break;
    case RevisionChange::kChanged:
      ++revisions.changed;
      break;
    case RevisionChange::kUnchanged:
      ++revisions.unchanged;
      break;
  }
}

// The parts that lie on a line of another key in the newer revision.
std::vector<RevisionMove> moves(const Side& before, const Side& after) {
  std::unordered_map<std::string, const Line*> was;
  for (const Line& line : before.lines) {
    for (const std::string& handle : line.handles) was.emplace(handle, &line);
  }
  std::vector<RevisionMove> moved;
  for (const Line& line : after.lines) {
    for (const std::string& handle : line.handles) {
      const auto found = was.find(handle);
      if (found != was.end() && found->second->key != line.key) {
        moved.push_back({handle, found->second->shown, line.shown});
      }
    }
  }
  return moved;
}

}  // namespace

const char* revisionChangeName(RevisionChange change) {
  switch (change) {
    case RevisionChange::kAdded:
      return "added";
    case RevisionChange::kRemoved:
      return "removed";
    case RevisionChange::kChanged:
      return "changed";
    default:
      return "unchanged";
  }
}

bool RevisionValue::changed() const {
  if (!before || !after) return before.has_value() != after.has_value();
  return before->text != after->text;
}

std::optional<double> RevisionValue::difference() const {
  auto number = [](const std::optional<ReportValue>& value) {
    return value &&
           (value->kind == ReportValue::Kind::kInteger || value->kind == ReportValue::Kind::kReal);
  };
  if (!number(before) && !number(after)) return std::nullopt;
  if ((before && !number(before) && before->kind != ReportValue::Kind::kNone) ||
      (after && !number(after) && after->kind != ReportValue::Kind::kNone)) {
    return std::nullopt;
  }
  const double difference =
      (number(after) ? after->number : 0.0) - (number(before) ? before->number : 0.0);
  // Without the noise of binary fractions: 842.4 - 741.6 is 100.8.
  return std::round(difference * 1e9) / 1e9;
}

Revisions diffRevisions(const ReportJobOptions& job, const std::string& before,
                        const std::string& after, const RevisionOptions& options) {
  Side old = evaluate(job, before);
  Side now = evaluate(job, after);
  Revisions revisions;
  revisions.templateName = now.report.templateName();
  revisions.beforeName = old.report.dataName();
  revisions.afterName = now.report.dataName();
  for (const ReportWarning& warning : old.report.warnings()) revisions.warnings.push_back(warning);
  for (const ReportWarning& warning : now.report.warnings()) revisions.warnings.push_back(warning);
  ReportJobOptions levelsJob = job;
  levelsJob.partsPath.clear();
  levelsJob.sampleDataWanted = true;
  const ReportJob templ(levelsJob);
  const std::vector<const QelBomTemplateItem*> levels = levelSections(templ.templ());
  SideReader(old, levels, options.keyTokens).read(revisions.warnings, revisions.beforeName);
  SideReader(now, levels, options.keyTokens).read(revisions.warnings, revisions.afterName);
  if (old.lines.empty() != now.lines.empty()) {
    ReportWarning warning{WarningKind::kRevisionEmpty};
    warning.file = old.lines.empty() ? revisions.beforeName : revisions.afterName;
    warning.text = "the template makes no line of the parts of " + warning.file +
                   ", so every line of the other revision is listed as " +
                   (old.lines.empty() ? "added" : "removed");
    warning.cure = "check that the file is the revision meant and that the template's filter "
                   "keeps its parts";
    revisions.warnings.push_back(std::move(warning));
  }

  // Removed lines go after the nearest line before them that the newer has.
  std::unordered_map<std::size_t, std::vector<std::size_t>> removedAfter;  // new index + 1
  std::size_t anchor = 0;
  for (std::size_t l = 0; l < old.lines.size(); ++l) {
    const auto found = now.byKey.find(old.lines[l].key);
    if (found != now.byKey.end()) {
      anchor = found->second + 1;
    } else {
      removedAfter[anchor].push_back(l);
    }
  }
  const ReportUnits& units = now.report.units();
  const ColumnStyles& styles = now.report.columns();
  auto emit = [&](RevisionLine line) {
    count(revisions, line);
    if (line.change != RevisionChange::kUnchanged || options.all || isFooter(line.type)) {
      revisions.lines.push_back(std::move(line));
    }
  };
  for (std::size_t l = 0; l <= now.lines.size(); ++l) {
    for (std::size_t r : removedAfter[l]) emit(makeLine(&old.lines[r], nullptr, units, styles));
    if (l == now.lines.size()) break;
    const auto found = old.byKey.find(now.lines[l].key);
    emit(makeLine(found != old.byKey.end() ? &old.lines[found->second] : nullptr, &now.lines[l],
                  units, styles));
  }
  if (options.byHandle) revisions.moves = moves(old, now);
  return revisions;
}

}  // namespace bomreport
