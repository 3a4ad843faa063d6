#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomData.h"

namespace {

struct Released {
  void operator()(QelBomData* data) const {
    data->empty();
    delete data;
  }
};
using DataPtr = std::unique_ptr<QelBomData, Released>;

std::vector<const QelBomDataRow*> rowsOf(const QelBomData& data) {
  std::vector<const QelBomDataRow*> rows;
  for (const QelBomItemBase* n = data.child(); n != nullptr; n = n->next()) {
    rows.push_back(static_cast<const QelBomDataRow*>(n));
  }
  return rows;
}

// "[PosNum:..][Weight:..][Material:..]" of one row.
std::string tuplesOf(const QelBomDataRow* row) {
  QelString text;
  row->list(text, 0, 0, 0);
  return text.toUtf8();
}

TEST(QelBomSampleDataTest, Shape) {
  DataPtr data(QelBomData::createDefaultData());
  const std::vector<const QelBomDataRow*> rows = rowsOf(*data);
  ASSERT_EQ(rows.size(), 112u);
  EXPECT_EQ(data->lastChild(), rows.back());
  EXPECT_EQ(data->getData().count(), 0);
  EXPECT_EQ(data->depthLevel(), 1);
  EXPECT_FALSE(data->isTokenRequired(QelString(u"PosNum")));

  for (size_t i = 0; i < rows.size(); ++i) {
    const QelBomDataRow* row = rows[i];
    EXPECT_EQ(row->objectHandle().toUtf8(), std::to_string(i + 1));
    EXPECT_EQ(row->EqualPartObjectHandles().count(), 0);
    EXPECT_EQ(row->getUseThisDataForSums(), 1);
    EXPECT_EQ(row->child(), nullptr);
    const QelArray<QelBomDataTuple>& tuples = row->getData();
    ASSERT_EQ(tuples.count(), 3);
    EXPECT_EQ(tuples[0].token().token().toUtf8(), "PosNum");
    EXPECT_EQ(tuples[1].token().token().toUtf8(), "Weight");
    EXPECT_EQ(tuples[2].token().token().toUtf8(), "Material");
    EXPECT_EQ(tuples[0].value().type(), QelBomDataValue::kIntDataValue);
    EXPECT_EQ(tuples[1].value().type(), QelBomDataValue::kDoubleDataValue);
    EXPECT_EQ(tuples[2].value().type(), QelBomDataValue::kStringDataValue);
    for (int t = 0; t < 3; ++t) EXPECT_EQ(tuples[t].used(), 0);
    EXPECT_EQ(row->getTupleAt(QelString(u"%PosNum")), nullptr);
    if (i < 12) continue;
    const int posNum = *static_cast<const int*>(tuples[0].value().data());
    const double weight = *static_cast<const double*>(tuples[1].value().data());
    const std::string material = tuples[2].value().asString().toUtf8();
    EXPECT_TRUE(posNum >= 1 && posNum <= 4) << posNum;
    EXPECT_TRUE(weight == 100.0 || weight == 200.0 || weight == 300.0 || weight == 400.0);
    EXPECT_TRUE(material == "Mat1" || material == "Mat2" || material == "Mat3" ||
                material == "Mat4")
        << material;
  }

  const char* const fixed[] = {
      "[PosNum:1][Weight:200.2][Material:Mat1]", "[PosNum:1][Weight:100.1][Material:Mat1]",
      "[PosNum:3][Weight:300.2][Material:Mat3]", "[PosNum:4][Weight:400.3][Material:Mat4]",
      "[PosNum:1][Weight:123.4][Material:Mat1]", "[PosNum:2][Weight:200.1][Material:Mat2]",
      "[PosNum:3][Weight:300.2][Material:Mat3]", "[PosNum:4][Weight:400.3][Material:Mat4]",
      "[PosNum:1][Weight:300.2][Material:Mat1]", "[PosNum:1][Weight:400.3][Material:Mat1]",
      "[PosNum:1][Weight:300.2][Material:Mat2]", "[PosNum:1][Weight:400.3][Material:Mat1]",
  };
  for (int i = 0; i < 12; ++i) EXPECT_EQ(tuplesOf(rows[i]), fixed[i]) << "row " << i + 1;

  QelArray<QelArray<QelString>> handles;
  QelArray<QelArray<QelString>> tokens;
  EXPECT_EQ(data->getUsedHandlesAndTokens(handles, tokens), 1);
  EXPECT_EQ(handles.count(), 0);
  EXPECT_EQ(tokens.count(), 0);
}

TEST(QelBomSampleDataTest, RandomRowsFollowTheSeededDraws) {
  // Retried until the build falls within one second of the calendar clock.
  for (int attempt = 0; attempt < 5; ++attempt) {
    const std::time_t before = std::time(nullptr);
    DataPtr data(QelBomData::createDefaultData());
    if (std::time(nullptr) != before) continue;

    std::srand(static_cast<unsigned>(before));
    const std::vector<const QelBomDataRow*> rows = rowsOf(*data);
    for (size_t i = 12; i < rows.size(); ++i) {
      const int posNum = std::rand() % 4 + 1;
      const int weight = (std::rand() % 4 + 1) * 100;
      const int material = std::rand() % 4 + 1;
      const std::string expected = "[PosNum:" + std::to_string(posNum) +
                                   "][Weight:" + std::to_string(weight) + "][Material:Mat" +
                                   std::to_string(material) + "]";
      ASSERT_EQ(tuplesOf(rows[i]), expected) << "row " << i + 1;
    }
    return;
  }
  GTEST_SKIP() << "the clock kept moving to the next second";
}

}  // namespace
