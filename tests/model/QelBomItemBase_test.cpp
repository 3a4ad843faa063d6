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

TEST(QelBomItemBaseTest, TupleLookup) {
  Node node;
  EXPECT_EQ(node.getTupleAt(QelString(u"%A")), nullptr);
  withTuple(withTuple(withTuple(&node, u"%A", 1), u"%B", 2), u"%A", 3);
  EXPECT_EQ(node.getTupleAt(QelString(u"%A")), &node.getData()[0]);  // the first of equal tokens
  EXPECT_EQ(node.getTupleAt(QelString(u"%a")), nullptr);
  const Node& constNode = node;
  EXPECT_EQ(constNode.getTupleAt(QelString(u"%B")), &node.getData()[1]);
}

TEST(QelBomItemBaseTest, LinkingRules) {
  Node parent, a, b, c, d;
  parent.addChild(nullptr);
  EXPECT_EQ(parent.child(), nullptr);
  EXPECT_EQ(parent.lastChild(), nullptr);

  a.setNext(&b);
  b.setNext(&c);
  parent.setChild(&a);
  EXPECT_EQ(parent.child(), &a);
  EXPECT_EQ(parent.lastChild(), &c);
  parent.setChild(nullptr);
  EXPECT_EQ(parent.child(), nullptr);
  EXPECT_EQ(parent.lastChild(), nullptr);
  EXPECT_EQ(a.next(), &b);  // former children are only unlinked

  // addChild does not follow a chain the node already carries.
  parent.addChild(&a);
  EXPECT_EQ(parent.lastChild(), &a);
  parent.addChild(&d);
  EXPECT_EQ(a.next(), &d);
  EXPECT_EQ(parent.lastChild(), &d);
  parent.addChild(nullptr);
  EXPECT_EQ(d.next(), nullptr);
  EXPECT_EQ(parent.lastChild(), &d);
  EXPECT_EQ(parent.child(), &a);
}

TEST(QelBomItemBaseTest, EmptyDeletesDescendantsDepthFirst) {
  std::vector<std::string> log;
  Node root, sibling;
  root.setNext(&sibling);
  withTuple(&root, u"%A", 1);
  Node* a = new Recorder(&log, "a");
  Node* a1 = new Recorder(&log, "a1");
  Node* b = new Recorder(&log, "b");
  root.addChild(a);
  root.addChild(b);
  a->addChild(a1);
  a->addChild(new Recorder(&log, "a2"));
  a1->addChild(new Recorder(&log, "a1x"));
  b->addChild(new Recorder(&log, "b1"));
  root.empty();
  EXPECT_EQ(log, (std::vector<std::string>{"a1x", "a1", "a2", "a", "b1", "b"}));
  EXPECT_EQ(root.child(), nullptr);
  EXPECT_EQ(root.lastChild(), nullptr);
  EXPECT_EQ(root.next(), &sibling);
  EXPECT_EQ(root.getData().count(), 1);
  root.empty();  // nothing left to delete
  EXPECT_EQ(log.size(), 6u);
}

TEST(QelBomItemBaseTest, ListIndentationAndFlags) {
  // Root A:1 with children B:2 (which has the child C:3) and D:4; the root's
  // next sibling E:5 has the child F:6.
  Node root, b, c, d, e, f;
  withTuple(&root, u"A", 1);
  root.addChild(withTuple(&b, u"B", 2));
  root.addChild(withTuple(&d, u"D", 4));
  b.addChild(withTuple(&c, u"C", 3));
  root.setNext(withTuple(&e, u"E", 5));
  e.addChild(withTuple(&f, u"F", 6));
  EXPECT_EQ(listing(root, 0, 1, 1), "[A:1]\n [B:2]\n  [C:3]\n [D:4]\n[E:5]\n [F:6]");
  EXPECT_EQ(listing(root, 2, 1, 1), "[A:1]\n   [B:2]\n    [C:3]\n   [D:4]\n  [E:5]\n   [F:6]");
  // withSiblings is handed down: only the chain of first children below.
  EXPECT_EQ(listing(root, 0, 1, 0), "[A:1]\n [B:2]\n  [C:3]");
  EXPECT_EQ(listing(root, 2, 1, 0), "[A:1]\n   [B:2]\n    [C:3]");
  EXPECT_EQ(listing(root, 0, 0, 1), "[A:1]\n[E:5]");
  EXPECT_EQ(listing(root, 2, 0, 1), "[A:1]\n  [E:5]");
  EXPECT_EQ(listing(root, 0, 0, 0), "[A:1]");
  EXPECT_EQ(listing(root, 2, 0, 0), "[A:1]");
  EXPECT_EQ(listing(root, 0, 2, -1), "[A:1]");  // only 1 means yes
  EXPECT_EQ(listing(b, 1, 1, 1), "[B:2]\n  [C:3]\n [D:4]");
  QelString text(u">");
  d.list(text, 0, 1, 1);
  EXPECT_EQ(text.toUtf8(), ">[D:4]");
  EXPECT_EQ(listing(Node(), 0, 1, 1), "");
}

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
