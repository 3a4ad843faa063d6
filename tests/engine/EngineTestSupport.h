// Builders and inspection helpers shared by the engine tests.
#ifndef ENGINE_TEST_SUPPORT_H_
#define ENGINE_TEST_SUPPORT_H_

#include <algorithm>
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

using Item = QelBomTemplateItem;

inline QelString Q(const char* text) { return QelString(text); }
inline std::string U(const QelString& text) { return text.toUtf8(); }

// One tuple to build: a token and an int, a real, a text or no value.
struct T {
  T(const char* token) { tuple.setToken(Q(token)); }  // NOLINT: no value
  T(const char* token, int v) : tuple(Q(token), v) {}
  T(const char* token, double v) : tuple(Q(token), v) {}
  T(const char* token, const char* v) : tuple(Q(token), Q(v)) {}
  QelBomDataTuple tuple;
};

template <class Node>
Node* withTuples(Node* node, const std::vector<T>& tuples) {
  for (const T& t : tuples) node->addData(t.tuple);
  return node;
}

inline QelBomDataRow* makeRow(const std::string& handle, const std::vector<T>& tuples) {
  auto* row = new QelBomDataRow();
  row->setObjectHandle(Q(handle.c_str()));
  return withTuples(row, tuples);
}

inline Item* makeSection(Item::eTemplateItemType type, const std::vector<T>& tuples) {
  return withTuples(new Item(type), tuples);
}

// Deletes a tree root and everything below it.
template <class Node>
struct TreeDeleter {
  void operator()(Node* node) const {
    node->empty();
    delete node;
  }
};
using TemplatePtr = std::unique_ptr<QelBomTemplate, TreeDeleter<QelBomTemplate>>;
using DataPtr = std::unique_ptr<QelBomData, TreeDeleter<QelBomData>>;
using ItemPtr = std::unique_ptr<Item, TreeDeleter<Item>>;
using RowPtr = std::unique_ptr<QelBomDataRow>;

inline TemplatePtr newTemplate() { return TemplatePtr(new QelBomTemplate()); }
inline DataPtr newData() { return DataPtr(new QelBomData()); }

// Rebuilds the template's grouping and sorting tokens, as a host does.
inline void trace(QelBomTemplate* templ) {
  QelArray<QelString> tokens;
  templ->getTokenTrace(tokens);
}

template <class Node = Item>
std::vector<Node*> childrenOf(const QelBomItemBase* node) {
  std::vector<Node*> items;
  for (QelBomItemBase* n = node->child(); n != nullptr; n = n->next()) {
    items.push_back(static_cast<Node*>(n));
  }
  return items;
}
inline std::vector<QelBomDataRow*> rowsOf(QelBomData* data) {
  return childrenOf<QelBomDataRow>(data);
}

inline std::string handlesOf(QelBomData* data) {
  std::string out;
  for (QelBomDataRow* row : rowsOf(data)) out += (out.empty() ? "" : ",") + U(row->objectHandle());
  return out;
}

// The text of a tuple's value by its token.
inline std::string valueOf(const QelBomItemBase* node, const char* token) {
  const QelBomDataTuple* tuple = node->getTupleAt(Q(token));
  return tuple == nullptr ? std::string("<absent>") : U(tuple->value().asString());
}

inline std::string tuplesText(const QelBomItemBase* node) {
  std::string out;
  for (const QelBomDataTuple& t : node->getData()) {
    out += '[' + U(t.token().token()) + ':' + U(t.value().asString()) + ']';
  }
  return out;
}

// The listing of a tree with its children and siblings.
inline std::string listing(const QelBomItemBase* root) {
  QelString text;
  root->list(text, 0, 1, 1);
  return U(text);
}

}  // namespace engine_test

#endif  // ENGINE_TEST_SUPPORT_H_
