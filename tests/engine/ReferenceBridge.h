// Runs the engine and the reference evaluator on one template and one data
// set and tells where they part. Shared by the reference tests and the
// differential fuzz target; needs no test framework.
#ifndef REFERENCE_BRIDGE_H_
#define REFERENCE_BRIDGE_H_

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "QelBomData.h"
#include "QelBomEvaluator2.h"
#include "QelBomItems.h"
#include "QelBomTemplate.h"
#include "QelBomTemplateItem.h"
#include "ReferenceEvaluator.h"

namespace reference_bridge {

using Item = QelBomTemplateItem;
constexpr Item::eTemplateItemType kNone = Item::kUnkTemplateItemType;

// One level as both sides see it: the engine's section and closing section
// (kNone: none) with their tuples, directives included, and the reference's
// resolved grouping tokens and sort keys.
struct LevelPlan {
  Item::eTemplateItemType type;
  reference::Tuples tuples;
  Item::eTemplateItemType closingType;
  reference::Tuples closingTuples;
  std::vector<std::string> groupingTokens;
  std::vector<reference::SortKey> sortKeys;
};

inline std::string utf8(const QelString& text) { return text.toUtf8(); }

inline QelBomDataTuple toEngine(const reference::Tuple& t) {
  QelBomDataTuple tuple;
  tuple.setToken(QelString::fromUtf8(t.token));
  if (auto* i = std::get_if<int>(&t.value)) tuple.value().set(*i);
  if (auto* d = std::get_if<double>(&t.value)) tuple.value().set(*d);
  if (auto* s = std::get_if<std::string>(&t.value)) tuple.value().set(QelString::fromUtf8(*s));
  return tuple;
}

template <class Node>
Node* withTuples(Node* node, const reference::Tuples& tuples) {
  for (const reference::Tuple& t : tuples) node->addData(toEngine(t));
  return node;
}

// Deletes a tree root and everything below it.
struct TreeDeleter {
  void operator()(QelBomItemBase* node) const {
    node->empty();
    delete node;
  }
};
using TemplateOwner = std::unique_ptr<QelBomTemplate, TreeDeleter>;
using DataOwner = std::unique_ptr<QelBomData, TreeDeleter>;

// The rows of `data` as the reference sees them.
inline std::vector<reference::Row> referenceRows(QelBomData* data) {
  std::vector<reference::Row> rows;
  for (QelBomItemBase* node = data->child(); node != nullptr; node = node->next()) {
    const auto* row = static_cast<const QelBomDataRow*>(node);
    rows.push_back({utf8(row->objectHandle()), {}});
    for (const QelBomDataTuple& t : row->getData()) {
      const void* v = t.value().data();
      reference::Value value;
      if (t.value().type() == QelBomDataValue::kIntDataValue) value = *static_cast<const int*>(v);
      if (t.value().type() == QelBomDataValue::kDoubleDataValue) {
        value = *static_cast<const double*>(v);
      }
      if (t.value().type() == QelBomDataValue::kStringDataValue) value = utf8(t.value().asString());
      rows.back().tuples.push_back({utf8(t.token().token()), value});
    }
  }
  return rows;
}

// "" when both texts are equal, else the first line where they differ.
inline std::string firstDifference(const std::string& what, const std::string& actual,
                                   const std::string& expected) {
  if (actual == expected) return "";
  const auto at = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const size_t column = static_cast<size_t>(at.first - actual.begin());
  const size_t from = column == 0 ? 0 : actual.rfind('\n', column - 1) + 1;  // npos + 1 == 0
  auto line = [from](const std::string& text) {
    return text.substr(from, std::min<size_t>(text.find('\n', from), from + 200) - from);
  };
  return what + " differ at line " +
         std::to_string(std::count(actual.begin(), actual.begin() + from, '\n') + 1) +
         "\n  engine:    " + line(actual) + "\n  reference: " + line(expected);
}

// Evaluates `data` with the engine and the reference. Returns "" when the
// listings, the row order and the sums flags agree, else what differs first.
inline std::string compare(QelBomTemplate* templ, const std::vector<reference::Level>& levels,
                           QelBomData* data) {
  const std::vector<reference::Row> rows = referenceRows(data);
  const QelBomTemplateUnits* units = templ->getBomTemplateUnits();
  const reference::Result expected =
      reference::Evaluator(levels, rows, [units](const std::string& token, double value) {
        return utf8(units->getDisplayString(QelString::fromUtf8(token), value));
      }).run();

  TemplateOwner output(new QelBomTemplate());
  if (QelBomEvaluator2::evaluate(templ, data, output.get()) != 1) return "evaluate returned 0";
  QelString listed;
  output->list(listed, 0, 1, 1);
  std::string order, expectedOrder, flags, expectedFlags;
  for (QelBomItemBase* node = data->child(); node != nullptr; node = node->next()) {
    const auto* row = static_cast<const QelBomDataRow*>(node);
    order += utf8(row->objectHandle()) + '\n';
    flags += row->getUseThisDataForSums() != 0 ? "1\n" : "0\n";
  }
  for (int index : expected.order) {
    expectedOrder += rows[static_cast<size_t>(index)].handle + '\n';
    expectedFlags += expected.countsInSums[static_cast<size_t>(index)] ? "1\n" : "0\n";
  }
  std::string difference = firstDifference("listings", utf8(listed), expected.listing);
  if (difference.empty()) difference = firstDifference("row orders", order, expectedOrder);
  if (difference.empty()) difference = firstDifference("sums flags", flags, expectedFlags);
  return difference;
}

// Builds the template of `plans` (traced, without units) and data set of
// `rows`, and compares as above.
inline std::string compare(const std::vector<LevelPlan>& plans,
                           const std::vector<reference::Row>& rows) {
  TemplateOwner templ(new QelBomTemplate());
  templ->setUnitsForTokens(nullptr);
  std::vector<reference::Level> levels;
  QelBomItemBase* parent = templ.get();
  for (const LevelPlan& plan : plans) {
    Item* section = withTuples(new Item(plan.type), plan.tuples);
    parent->addChild(section);
    reference::Level level{{utf8(Item::typeLabel(plan.type)), plan.tuples},
                           std::nullopt,
                           plan.groupingTokens,
                           plan.sortKeys};
    if (plan.closingType != kNone) {
      parent->addChild(withTuples(new Item(plan.closingType), plan.closingTuples));
      level.closing =
          reference::Section{utf8(Item::typeLabel(plan.closingType)), plan.closingTuples};
    }
    levels.push_back(level);
    parent = section;
  }
  QelArray<QelString> trace;
  templ->getTokenTrace(trace);
  DataOwner data(new QelBomData());
  for (const reference::Row& row : rows) {
    auto* engineRow = new QelBomDataRow();
    engineRow->setObjectHandle(QelString::fromUtf8(row.handle));
    data->addChild(withTuples(engineRow, row.tuples));
  }
  return compare(templ.get(), levels, data.get());
}

}  // namespace reference_bridge

#endif  // REFERENCE_BRIDGE_H_
