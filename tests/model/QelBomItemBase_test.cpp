#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomItems.h"

namespace {

using Node = QelBomItemBase;

// A node that records its name when it is deleted.
class Recorder : public QelBomItemBase {
 public:
  Recorder(std::vector<std::string>* log, std::string name) : m_log(log), m_name(std::move(name)) {}
  ~Recorder() override { m_log->push_back(m_name); }

 private:
  std::vector<std::string>* m_log;
  std::string m_name;
};


template <class T = Node>
T* withTuple(T* node, const char16_t* token, int value) {
  node->addData(QelBomDataTuple(QelString(token), value));
  return node;
}

std::string listing(const Node& node, int level, int withChildren, int withSiblings) {
  QelString text;
  EXPECT_EQ(node.list(text, level, withChildren, withSiblings), 1);
  return text.toUtf8();
}

// Walks over a million siblings or levels keep their stack on the heap.
TEST(QelBomItemBaseTest, MillionSiblingsListAndEmpty) {
  constexpr int kCount = 1000000;
  std::vector<std::string> log;
  Node root;
  Node* first = withTuple(new Recorder(&log, "first"), u"F", 1);
  root.addChild(first);
  for (int i = 1; i < kCount - 1; ++i) root.addChild(new Node());
  root.addChild(withTuple(new Recorder(&log, "last"), u"Z", 9));

  const std::string all = listing(root, 0, 1, 1);
  ASSERT_EQ(all.size(), 2u * kCount + 10);  // "\n " per row, two tuples
  EXPECT_EQ(all.substr(0, 7), "\n [F:1]");
  EXPECT_EQ(all.substr(all.size() - 7), "\n [Z:9]");
  EXPECT_EQ(listing(*first, 0, 1, 1).size(), kCount - 1 + 10u);

  root.empty();
  EXPECT_EQ(log, (std::vector<std::string>{"first", "last"}));
  EXPECT_EQ(root.child(), nullptr);
}

TEST(QelBomItemBaseTest, DeepNesting) {
  // A million nested children are emptied without recursion.
  constexpr int kDepth = 1000000;
  std::vector<std::string> log;
  Node root;
  Node* at = &root;
  for (int i = 0; i < kDepth; ++i) {
    Node* next = i == 0 ? new Recorder(&log, "outer")
                        : (i == kDepth - 1 ? new Recorder(&log, "inner") : new Node());
    at->addChild(next);
    at = next;
  }
  root.empty();
  EXPECT_EQ(log, (std::vector<std::string>{"inner", "outer"}));
}

}  // namespace
