#include <string>

#include <gtest/gtest.h>

#include "QelBomData.h"

namespace {

TEST(QelBomSampleDataTest, Shape) {
  QelBomData* data = QelBomData::createDefaultData();
  EXPECT_EQ(data->getData().count(), 0);
  EXPECT_EQ(data->depthLevel(), 1);
  const char* const fixed[] = {
      "[PosNum:1][Weight:200.2][Material:Mat1]", "[PosNum:1][Weight:100.1][Material:Mat1]",
      "[PosNum:3][Weight:300.2][Material:Mat3]", "[PosNum:4][Weight:400.3][Material:Mat4]",
      "[PosNum:1][Weight:123.4][Material:Mat1]", "[PosNum:2][Weight:200.1][Material:Mat2]",
      "[PosNum:3][Weight:300.2][Material:Mat3]", "[PosNum:4][Weight:400.3][Material:Mat4]",
      "[PosNum:1][Weight:300.2][Material:Mat1]", "[PosNum:1][Weight:400.3][Material:Mat1]",
      "[PosNum:1][Weight:300.2][Material:Mat2]", "[PosNum:1][Weight:400.3][Material:Mat1]",
  };
  int count = 0;
  const QelBomItemBase* last = nullptr;
  for (const QelBomItemBase* n = data->child(); n != nullptr; n = n->next(), ++count) {
    SCOPED_TRACE(count);
    last = n;
    const auto* row = static_cast<const QelBomDataRow*>(n);
    EXPECT_EQ(row->objectHandle().toUtf8(), std::to_string(count + 1));
    EXPECT_EQ(row->EqualPartObjectHandles().count(), 0);
    EXPECT_EQ(row->getUseThisDataForSums(), 1);
    EXPECT_EQ(row->child(), nullptr);
    const QelArray<QelBomDataTuple>& tuples = row->getData();
    ASSERT_EQ(tuples.count(), 3);
    EXPECT_EQ(tuples[0].value().type(), QelBomDataValue::kIntDataValue);
    EXPECT_EQ(tuples[1].value().type(), QelBomDataValue::kDoubleDataValue);
    EXPECT_EQ(tuples[2].value().type(), QelBomDataValue::kStringDataValue);
    for (int t = 0; t < 3; ++t) EXPECT_EQ(tuples[t].used(), 0);
    QelString text;
    row->list(text, 0, 0, 0);
    if (count < 12) {
      EXPECT_EQ(text.toUtf8(), fixed[count]);
      continue;
    }
    // The other rows are drawn from PosNum 1-4, Weight 100-400, Mat1-Mat4.
    const int posNum = *static_cast<const int*>(tuples[0].value().data());
    const double weight = *static_cast<const double*>(tuples[1].value().data());
    const std::string material = tuples[2].value().asString().toUtf8();
    EXPECT_TRUE(posNum >= 1 && posNum <= 4) << posNum;
    EXPECT_TRUE(weight == 100.0 || weight == 200.0 || weight == 300.0 || weight == 400.0);
    EXPECT_TRUE(material.size() == 4 && material.compare(0, 3, "Mat") == 0 && material[3] >= '1' &&
                material[3] <= '4')
        << material;
    EXPECT_EQ(text.toUtf8(), "[PosNum:" + std::to_string(posNum) +
                                 "][Weight:" + std::to_string(static_cast<int>(weight)) +
                                 "][Material:" + material + "]");
  }
  EXPECT_EQ(count, 112);
  EXPECT_EQ(data->lastChild(), last);
  data->empty();
  delete data;
}

}  // namespace
