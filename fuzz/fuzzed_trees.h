// Bytes decoded into engine trees for the fuzz targets that evaluate: a
// template (a section tree of any shape and depth, any types, directives and
// tuples) and a data set (rows of typed tuples: mixed types, NaN and
// infinities, duplicates, empty tokens). The trees are new; the caller owns
// them (empty() and delete, or a TemplatePtr / DataPtr).
#ifndef BOM_FUZZ_FUZZED_TREES_H_
#define BOM_FUZZ_FUZZED_TREES_H_

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "VRKBomEngine.h"

namespace fuzzed {

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  unsigned next() {
    if (m_size == 0) return 0;
    --m_size;
    return *m_data++;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
};

inline const char* const kTokens[] = {"%A", "%B", "%Weight", "%Length", "A", "%", "", "%A ", "%a"};
constexpr unsigned kTokenCount = sizeof(kTokens) / sizeof(kTokens[0]);

// Up to seven bytes of the input as a text (any UTF-8, valid or not).
inline QelString bytesText(Bytes& in) {
  std::string text(in.next() % 8, ' ');
  for (char& c : text) c = static_cast<char>(in.next());
  return QelString::fromUtf8(text);
}

inline QelString tokenOf(Bytes& in) {
  const unsigned pick = in.next();
  return pick < 0xf0 ? QelString(kTokens[pick % kTokenCount]) : bytesText(in);
}

// A token, or a directive over one or more tokens (filters over numbers).
inline QelString sectionToken(Bytes& in) {
  static const char* const kPrefixes[] = {
      "", "%GroupBy:", "%SortAscBy:", "%SortDescBy:", "%SumBy:", "%FilterBy:", " %GroupBy:"};
  const unsigned prefix = in.next() % 7;
  QelString token(kPrefixes[prefix]);
  const unsigned pieces = 1 + in.next() % 3;
  for (unsigned i = 0; i < pieces; ++i) {
    if (i > 0) token += QelString((in.next() & 1) ? "," : ",%SortDescBy:");
    token +=
        prefix == 5 && (in.next() & 1) ? QelString(std::to_string(in.next()).c_str()) : tokenOf(in);
  }
  return token;
}

inline void addValue(Bytes& in, QelBomItemBase& node, const QelString& token) {
  switch (in.next() % 6) {
    case 0:
      node.addData(QelBomDataTuple(token, static_cast<int>(in.next()) - 128));
      break;
    case 1: {
      const double values[] = {0.5,      -0.0,      1e300,  std::nan(""), 7.25,
                               INFINITY, -INFINITY, 5e-324, -1.5e-310};
      node.addData(QelBomDataTuple(token, values[in.next() % 9]));
      break;
    }
    case 2:
      node.addData(QelBomDataTuple(token, tokenOf(in)));
      break;
    case 3: {
      QelBomDataTuple empty;
      empty.setToken(token);
      node.addData(empty);
      break;
    }
    case 4:
      node.addData(QelBomDataTuple(token, (in.next() & 1) ? INT_MAX : INT_MIN));
      break;
    default:
      node.addData(QelBomDataTuple(token, static_cast<double>(in.next())));
      break;
  }
}

inline QelBomTemplateItem* section(Bytes& in) {
  auto* item =
      new QelBomTemplateItem(static_cast<QelBomTemplateItem::eTemplateItemType>(in.next() % 10));
  const unsigned tuples = in.next() % 6;
  for (unsigned i = 0; i < tuples; ++i) addValue(in, *item, sectionToken(in));
  return item;
}

// A section tree of any shape, read as moves: a child of the current section
// (entered), a sibling, back up, or a chain of up to 510 nested copies.
inline QelBomTemplate* buildTemplate(Bytes& in) {
  auto* templ = new QelBomTemplate();
  std::vector<QelBomItemBase*> path{templ};
  const unsigned moves = in.next() % 32;
  for (unsigned m = 0; m < moves; ++m) {
    const unsigned move = in.next() % 8;
    if (move < 3) {
      QelBomTemplateItem* child = section(in);
      path.back()->addChild(child);
      path.push_back(child);
    } else if (move < 6) {
      path.back()->addChild(section(in));
    } else if (move == 6) {
      if (path.size() > 1) path.pop_back();
    } else {
      const QelBomTemplateItem* model = section(in);
      const unsigned length = (in.next() & 3) == 0 ? in.next() * 2 : in.next() % 16;
      for (unsigned i = 0; i < length; ++i) {
        auto* copy = new QelBomTemplateItem(model->type());
        copy->setData(model->getData());
        path.back()->addChild(copy);
        path.push_back(copy);
      }
      delete model;
    }
  }
  return templ;
}

inline QelBomDataRow* buildRow(Bytes& in, unsigned number) {
  auto* row = new QelBomDataRow();
  row->setObjectHandle((in.next() & 7) == 0 ? QelString()
                                            : QelString(std::to_string(number).c_str()));
  const unsigned tuples = in.next() % 7;
  for (unsigned i = 0; i < tuples; ++i) addValue(in, *row, tokenOf(in));
  const unsigned flags = in.next();
  if (flags & 1) row->setUseThisDataForSums(0);
  if (flags & 2) {
    QelArray<QelString> equal;
    equal.append(bytesText(in));
    equal.append(QelString());
    row->setEqualPartObjectHandles(equal);
  }
  return row;
}

// Rows with any tuples: mixed types per token, duplicates, empty tokens, and
// now and then a row with rows of its own.
inline QelBomData* buildData(Bytes& in) {
  auto* data = new QelBomData();
  const unsigned rows = in.next() % 64;
  for (unsigned r = 0; r < rows; ++r) {
    QelBomDataRow* row = buildRow(in, r);
    if ((in.next() & 15) == 0) row->addChild(buildRow(in, 1000 + r));
    data->addChild(row);
  }
  return data;
}

}  // namespace fuzzed

#endif  // BOM_FUZZ_FUZZED_TREES_H_
