#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomData.h"

namespace {

std::vector<std::string> toStrings(const QelArray<QelString>& a) {
  std::vector<std::string> out;
  for (const QelString& s : a) out.push_back(s.toUtf8());
  return out;
}

QelBomData::eSteelObjects type(int code) { return static_cast<QelBomData::eSteelObjects>(code); }

QelBomDataRow* newRow(const char16_t* handle, std::initializer_list<const char16_t*> tokens = {}) {
  QelBomDataRow* row = new QelBomDataRow();
  row->setObjectHandle(QelString(handle));
  for (const char16_t* t : tokens) row->addData(QelBomDataTuple(QelString(t), 0));
  return row;
}

TEST(QelBomDataTest, TemplateSets) {
  QelBomData data;
  EXPECT_FALSE(data.isTokenRequired(QelString(u"%Tok1")));
  EXPECT_FALSE(data.isItemPresent(type(0)));
  // Tokens in mixed case and types, duplicates kept: the sorted sets still
  // find every one, tokens case-insensitively.
  QelArray<QelString> tokens;
  for (int i = 0; i < 200; ++i) {
    QelString t;
    t.format(i % 2 ? "%%Tok%d" : "%%TOK%d", (i * 37) % 100);
    tokens.append(t);
  }
  QelIntArray types;
  for (int i = 0; i < 50; ++i) types.append((i * 7919) % 101 - 50);
  data.setTemplUsedTokensAndObjTypes(tokens, types);
  for (int i = 0; i < 100; ++i) {
    QelString t;
    t.format("%%tok%d", i);
    EXPECT_TRUE(data.isTokenRequired(t)) << i;
  }
  EXPECT_FALSE(data.isTokenRequired(QelString(u"%tok")));
  EXPECT_FALSE(data.isTokenRequired(QelString(u"%tok100")));
  for (int i = 0; i < 50; ++i) EXPECT_TRUE(data.isItemPresent(type((i * 7919) % 101 - 50)));
  EXPECT_FALSE(data.isItemPresent(type(51)));

  // A copy holds its own sets; a later call replaces both sets.
  QelBomData copy(data);
  data.setTemplUsedTokensAndObjTypes(QelArray<QelString>(), QelIntArray());
  EXPECT_FALSE(data.isTokenRequired(QelString(u"%Tok1")));
  EXPECT_FALSE(data.isItemPresent(type(-50)));
  EXPECT_TRUE(copy.isTokenRequired(QelString(u"%TOK1")));
  EXPECT_TRUE(copy.isItemPresent(type(-50)));
}

TEST(QelBomDataTest, DepthLevel) {
  QelBomData data;
  EXPECT_EQ(data.depthLevel(), 0);  // no rows
  for (const char16_t* h : {u"1", u"2", u"3"}) data.addChild(newRow(h));
  EXPECT_EQ(data.depthLevel(), 1);
  // One row with a child that has a child, wherever it stands.
  QelBomDataRow* child = newRow(u"2.1");
  data.child()->next()->addChild(child);
  child->addChild(newRow(u"2.1.1"));
  data.lastChild()->addChild(newRow(u"3.1"));
  EXPECT_EQ(data.depthLevel(), 3);
  data.empty();

  QelBomData wide;
  for (int i = 0; i < 1000000; ++i) wide.addChild(new QelBomDataRow());
  wide.lastChild()->addChild(new QelBomDataRow());
  EXPECT_EQ(wide.depthLevel(), 2);
  wide.empty();

  constexpr int kDepth = 1000000;
  QelBomData deep;
  QelBomItemBase* at = &deep;
  for (int i = 0; i < kDepth; ++i) {
    QelBomItemBase* row = new QelBomDataRow();
    at->addChild(row);
    at = row;
  }
  EXPECT_EQ(deep.depthLevel(), kDepth);
  deep.empty();
}

TEST(QelBomDataTest, UsedHandlesAndTokens) {
  QelBomData data;
  QelBomDataRow* used = newRow(u"7", {u"%A", u"%B", u"%C", u"%D"});
  QelArray<QelString> equal;
  equal.append(QelString(u"8"));
  equal.append(QelString(u"9"));
  used->setEqualPartObjectHandles(equal);
  QelBomDataRow* markedTwo = newRow(u"3", {u"%A"});
  markedTwo->getData()[0].setUsed(2);  // only exactly 1 counts
  data.addChild(newRow(u"1", {u"%A"}));
  data.addChild(used);
  data.addChild(markedTwo);

  QelArray<QelArray<QelString>> handles;
  QelArray<QelArray<QelString>> tokens;
  EXPECT_EQ(data.getUsedHandlesAndTokens(handles, tokens), 1);
  EXPECT_EQ(handles.count(), 0);
  EXPECT_EQ(tokens.count(), 0);

  used->getData()[0].setUsed(1);
  used->getData()[2].setUsed(1);
  // Rows below rows are not visited.
  QelBomDataRow* nested = newRow(u"99", {u"%N"});
  nested->getData()[0].setUsed(1);
  used->addChild(nested);

  // A second call appends again.
  EXPECT_EQ(data.getUsedHandlesAndTokens(handles, tokens), 1);
  EXPECT_EQ(data.getUsedHandlesAndTokens(handles, tokens), 1);
  ASSERT_EQ(handles.count(), 2);
  ASSERT_EQ(tokens.count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(toStrings(handles[i]), (std::vector<std::string>{"7", "8", "9"}));
    EXPECT_EQ(toStrings(tokens[i]), (std::vector<std::string>{"%A", "%C"}));
  }
  data.empty();
}

}  // namespace
