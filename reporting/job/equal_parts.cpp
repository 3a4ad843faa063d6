#include "job/equal_parts.h"

#include <cmath>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "job/value_keys.h"

namespace bomreport {
namespace {

// The equal-part handles of a merged row: the other parts', then those of
// everyone's equal-part lists, each once and never the row's own.
QelArray<QelString> mergedHandles(const QelBomDataRow& leader, const Group& group,
                                  const std::vector<QelBomDataRow*>& members) {
  QelArray<QelString> handles;
  std::unordered_set<std::u16string> seen;
  auto add = [&](const QelString& handle) {
    std::u16string key(handle.getStringW(), static_cast<std::size_t>(handle.length()));
    if (seen.insert(std::move(key)).second) handles.appendGrowing(handle);
  };
  seen.emplace(leader.objectHandle().getStringW(),
               static_cast<std::size_t>(leader.objectHandle().length()));
  for (const QelString& handle : group.handles) add(handle);
  for (const QelBomDataRow* member : members) {
    for (const QelString& handle : member->EqualPartObjectHandles()) add(handle);
  }
  return handles;
}

}  // namespace

EqualPartGrouper::EqualPartGrouper(std::size_t rows) {
  std::size_t capacity = 16;
  while (capacity < rows * 2) capacity *= 2;
  slots_.assign(capacity, -1);
}

int EqualPartGrouper::place(QelBomDataRow* row, const RowFacts& facts) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const KeyEntry& entry : facts.key) {
    const std::uint64_t value =
        entry.byDisplay ? static_cast<std::uint64_t>(entry.shown) : hashValue(*entry.value);
    h = mix(mix(h, static_cast<std::uint64_t>(entry.index)), value);
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = static_cast<std::size_t>(h ^ (h >> 31)) & mask;
  while (slots_[at] != -1 && !matches(groups_[static_cast<std::size_t>(slots_[at])], facts)) {
    at = (at + 1) & mask;
  }
  if (slots_[at] != -1) return slots_[at];
  slots_[at] = static_cast<int>(groups_.size());
  Group group;
  group.leader = row;
  group.keyStart = keys_.size();
  group.keyLength = facts.key.size();
  groups_.push_back(std::move(group));
  keys_.insert(keys_.end(), facts.key.begin(), facts.key.end());
  return slots_[at];
}

bool EqualPartGrouper::matches(const Group& group, const RowFacts& facts) const {
  if (group.keyLength != facts.key.size()) return false;
  for (std::size_t i = 0; i < group.keyLength; ++i) {
    const KeyEntry& mine = keys_[group.keyStart + i];
    const KeyEntry& theirs = facts.key[i];
    if (mine.index != theirs.index || mine.byDisplay != theirs.byDisplay) return false;
    if (mine.byDisplay ? mine.shown != theirs.shown : !sameValue(*mine.value, *theirs.value)) {
      return false;
    }
  }
  return true;
}

void EqualPartGrouper::noteDifferences(int index, const RowFacts& facts,
                                       std::vector<HiddenDifference>& differences) const {
  const Group& group = groups_[static_cast<std::size_t>(index)];
  for (std::size_t i = 0; i < group.keyLength; ++i) {
    const KeyEntry& mine = keys_[group.keyStart + i];
    if (!mine.byDisplay) continue;
    const double apart = std::fabs(doubleValueOf(*mine.value) - doubleValueOf(*facts.key[i].value));
    if (!(apart > 0)) continue;
    HiddenDifference& noted = differences[static_cast<std::size_t>(mine.index)];
    ++noted.parts;
    if (apart > noted.largest) noted.largest = apart;
  }
}

void mergeEqualParts(QelBomData& data, const std::vector<QelBomDataRow*>& rows,
                     const std::vector<int>& groupOf, EqualPartGrouper& grouper,
                     const std::function<void(std::size_t leader, const Group& group)>& finish) {
  std::unordered_map<int, std::vector<QelBomDataRow*>> listing;  // rows with equal-part lists
  std::vector<QelBomDataRow*> leaders;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r]->EqualPartObjectHandles().count() > 0) listing[groupOf[r]].push_back(rows[r]);
    if (grouper.group(groupOf[r]).leader == rows[r]) leaders.push_back(rows[r]);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    Group& group = grouper.group(groupOf[r]);
    if (group.leader != rows[r]) continue;
    const auto found = listing.find(groupOf[r]);
    if (found != listing.end()) {
      rows[r]->setEqualPartObjectHandles(mergedHandles(*rows[r], group, found->second));
    } else if (group.handles.count() > 0) {
      rows[r]->setEqualPartObjectHandles(group.handles);
    }
    finish(r, group);
  }
  leaders.back()->setNext(nullptr);
  data.setChild(nullptr);
  for (QelBomDataRow* leader : leaders) data.addChild(leader);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (grouper.group(groupOf[r]).leader != rows[r]) delete rows[r];
  }
}

}  // namespace bomreport
