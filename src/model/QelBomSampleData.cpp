// QelBomData::createDefaultData: a sample data set of 112 rows for previews.
// Twelve rows are fixed; rows 13 to 112 are drawn from the standard
// pseudo-random generator, seeded from the calendar time on every call.
#include <cstdlib>
#include <ctime>

#include "QelBomData.h"

namespace {

QelBomDataRow* makeRow(int number, int posNum, double weight, const QelString& material) {
  QelBomDataRow* row = new QelBomDataRow();
  QelString handle;
  handle.format("%d", number);
  row->setObjectHandle(handle);
  row->addData(QelBomDataTuple(QelString(u"PosNum"), posNum));
  row->addData(QelBomDataTuple(QelString(u"Weight"), weight));
  row->addData(QelBomDataTuple(QelString(u"Material"), material));
  return row;
}

struct FixedRow {
  int posNum;
  double weight;
  const char16_t* material;
};

const FixedRow kFixedRows[] = {
    {1, 200.2, u"Mat1"}, {1, 100.1, u"Mat1"}, {3, 300.2, u"Mat3"}, {4, 400.3, u"Mat4"},
    {1, 123.4, u"Mat1"}, {2, 200.1, u"Mat2"}, {3, 300.2, u"Mat3"}, {4, 400.3, u"Mat4"},
    {1, 300.2, u"Mat1"}, {1, 400.3, u"Mat1"}, {1, 300.2, u"Mat2"}, {1, 400.3, u"Mat1"},
};

constexpr int kLastRow = 112;

}  // namespace

QelBomData* QelBomData::createDefaultData() {
  QelBomData* data = new QelBomData();
  int number = 0;
  for (const FixedRow& fixed : kFixedRows) {
    ++number;
    data->addChild(makeRow(number, fixed.posNum, fixed.weight, QelString(fixed.material)));
  }

  std::srand(static_cast<unsigned>(std::time(nullptr)));
  for (++number; number <= kLastRow; ++number) {
    // Three draws, in this order: position number, weight, material.
    const int posNum = std::rand() % 4 + 1;
    const double weight = static_cast<double>((std::rand() % 4 + 1) * 100);
    QelString material;
    material.format("Mat%d", std::rand() % 4 + 1);
    data->addChild(makeRow(number, posNum, weight, material));
  }
  return data;
}
