// Builders and inspection helpers shared by the engine tests.
#ifndef ENGINE_TEST_SUPPORT_H_
#define ENGINE_TEST_SUPPORT_H_

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomData.h"
#include "QelBomItems.h"
#include "QelBomTemplate.h"
#include "QelBomTemplateItem.h"
#include "QelBomValues.h"
#include "QelString.h"

namespace engine_test {

inline QelString Q(const char* text) { return QelString(text); }
inline std::string U(const QelString& text) { return text.toUtf8(); }

// One tuple to build: a token and an int, a real, a text or no value.
struct T {
  enum Kind { kNone, kInt, kReal, kText };
  T(const char* tok) : token(tok), kind(kNone) {}  // NOLINT: no value
  T(const char* tok, int v) : token(tok), kind(kInt), i(v) {}
  T(const char* tok, double v) : token(tok), kind(kReal), d(v) {}
  T(const char* tok, const char* v) : token(tok), kind(kText), s(v) {}

  QelBomDataTuple make() const {
    switch (kind) {
      case kInt:
        return QelBomDataTuple(Q(token.c_str()), i);
      case kReal:
        return QelBomDataTuple(Q(token.c_str()), d);
      case kText:
        return QelBomDataTuple(Q(token.c_str()), Q(s.c_str()));
      default: {
        QelBomDataTuple tuple;
        tuple.setToken(Q(token.c_str()));
        return tuple;
      }
    }
  }

  std::string token;
  Kind kind;
  int i = 0;
  double d = 0.0;
  std::string s;
};

inline void addTuples(QelBomItemBase* node, const std::vector<T>& tuples) {
  for (const T& t : tuples) node->addData(t.make());
}

inline QelBomDataRow* makeRow(const char* handle, const std::vector<T>& tuples) {
  auto* row = new QelBomDataRow();
  row->setObjectHandle(Q(handle));
  addTuples(row, tuples);
  return row;
}

inline QelBomTemplateItem* makeSection(QelBomTemplateItem::eTemplateItemType type,
                                       const std::vector<T>& tuples) {
  auto* section = new QelBomTemplateItem(type);
  addTuples(section, tuples);
  return section;
}

// Deletes a tree root and everything below it.
template <class Node>
struct TreeDeleter {
  void operator()(Node* node) const {
    if (node == nullptr) return;
    node->empty();
    delete node;
  }
};
using TemplatePtr = std::unique_ptr<QelBomTemplate, TreeDeleter<QelBomTemplate>>;
using DataPtr = std::unique_ptr<QelBomData, TreeDeleter<QelBomData>>;
using ItemPtr = std::unique_ptr<QelBomTemplateItem, TreeDeleter<QelBomTemplateItem>>;

inline TemplatePtr newTemplate() { return TemplatePtr(new QelBomTemplate()); }
inline DataPtr newData() { return DataPtr(new QelBomData()); }

// The rows below `data` in sibling order.
inline std::vector<QelBomDataRow*> rowsOf(QelBomData* data) {
  std::vector<QelBomDataRow*> rows;
  for (QelBomItemBase* n = data->child(); n != nullptr; n = n->next()) {
    rows.push_back(static_cast<QelBomDataRow*>(n));
  }
  return rows;
}

inline std::string handlesOf(QelBomData* data) {
  std::string out;
  for (QelBomDataRow* row : rowsOf(data)) {
    if (!out.empty()) out += ',';
    out += U(row->objectHandle());
  }
  return out;
}

inline std::vector<QelBomTemplateItem*> childrenOf(const QelBomItemBase* node) {
  std::vector<QelBomTemplateItem*> items;
  for (QelBomItemBase* n = node->child(); n != nullptr; n = n->next()) {
    items.push_back(static_cast<QelBomTemplateItem*>(n));
  }
  return items;
}

// The text of a tuple's value ("" for none), by its token.
inline std::string valueOf(const QelBomItemBase* node, const char* token) {
  const QelBomDataTuple* tuple = node->getTupleAt(Q(token));
  return tuple == nullptr ? std::string("<absent>") : U(tuple->value().asString());
}

inline std::string tuplesText(const QelBomItemBase* node) {
  std::string out;
  const QelArray<QelBomDataTuple>& tuples = node->getData();
  for (int i = 0; i < tuples.count(); ++i) {
    out += '[' + U(tuples[i].token().token()) + ':' + U(tuples[i].value().asString()) + ']';
  }
  return out;
}

// The listing that list(text, 0, 1, 1) writes for a tree of template items:
// one line per node in preorder, indented by its depth, label then tuples.
// Built with an explicit stack into a std::string, for large trees.
inline std::string listing(const QelBomTemplateItem* root) {
  std::string out;
  struct Entry {
    const QelBomItemBase* node;
    int depth;
  };
  std::vector<Entry> pending{{root, 0}};
  while (!pending.empty()) {
    const Entry e = pending.back();
    pending.pop_back();
    if (e.node != root) out += '\n';
    out.append(static_cast<size_t>(e.depth), ' ');
    const auto* item = static_cast<const QelBomTemplateItem*>(e.node);
    out += U(QelBomTemplateItem::typeLabel(item->type()));
    out += tuplesText(item);
    const size_t mark = pending.size();
    for (QelBomItemBase* c = e.node->child(); c != nullptr; c = c->next()) {
      pending.push_back({c, e.depth + 1});
    }
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
  }
  return out;
}

// Compares two listings line by line and reports the first difference only
// (a plain string comparison of large listings would make gtest print a diff
// of the whole text).
inline ::testing::AssertionResult sameListing(const std::string& actual,
                                              const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t lineStart = 0;
  int line = 1;
  size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) {
    if (actual[i] == '\n') {
      lineStart = i + 1;
      ++line;
    }
    ++i;
  }
  // The differing line, cut to a window around the first difference.
  const size_t column = i - lineStart;
  const size_t from = lineStart + (column > 60 ? column - 60 : 0);
  auto window = [from](const std::string& text) {
    const size_t end = std::min(text.find('\n', from), from + 120);
    return text.substr(from, end - from);
  };
  return ::testing::AssertionFailure()
         << "texts differ at line " << line << ", column " << column + 1
         << "\n  actual:   " << window(actual) << "\n  expected: " << window(expected);
}

}  // namespace engine_test

#endif  // ENGINE_TEST_SUPPORT_H_
