// Bytes decoded into a template (sections, directives, tuples) and a data set
// (rows of typed tuples), then the whole road of one report: units, trace,
// evaluation, listing, used handles, release. Any input must run without a
// crash, a leak or undefined behaviour.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "VRKBomEngine.h"

namespace {

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

const char* const kTokens[] = {"%A", "%B", "%Weight", "%Length", "A", "%", "", "%A "};
constexpr unsigned kTokenCount = sizeof(kTokens) / sizeof(kTokens[0]);

QelString tokenOf(Bytes& in) { return QelString(kTokens[in.next() % kTokenCount]); }

// A token, or a directive over one or two tokens.
QelString sectionToken(Bytes& in) {
  static const char* const kPrefixes[] = {
      "", "%GroupBy:", "%SortAscBy:", "%SortDescBy:", "%SumBy:", "%FilterBy:", " %GroupBy:"};
  QelString token(kPrefixes[in.next() % 7]);
  token += tokenOf(in);
  if (in.next() % 4 == 0) {
    token += QelString(",");
    token += tokenOf(in);
  }
  return token;
}

void addValue(Bytes& in, QelBomItemBase& node, const QelString& token) {
  switch (in.next() % 5) {
    case 0:
      node.addData(QelBomDataTuple(token, static_cast<int>(in.next()) - 128));
      break;
    case 1: {
      const double values[] = {0.5, -0.0, 1e300, std::nan(""), 7.25};
      node.addData(QelBomDataTuple(token, values[in.next() % 5]));
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
    default:
      node.addData(QelBomDataTuple(token, static_cast<double>(in.next())));
      break;
  }
}

QelBomTemplateItem* section(Bytes& in) {
  auto* item =
      new QelBomTemplateItem(static_cast<QelBomTemplateItem::eTemplateItemType>(in.next() % 10));
  const unsigned tuples = in.next() % 5;
  for (unsigned i = 0; i < tuples; ++i) addValue(in, *item, sectionToken(in));
  return item;
}

QelBomTemplate* buildTemplate(Bytes& in) {
  auto* templ = new QelBomTemplate();
  QelBomItemBase* parent = templ;
  const unsigned levels = in.next() % 6;
  for (unsigned level = 0; level < levels; ++level) {
    QelBomTemplateItem* inner = section(in);
    parent->addChild(inner);
    const unsigned siblings = in.next() % 3;  // the closing section, and one not evaluated
    for (unsigned i = 0; i < siblings; ++i) parent->addChild(section(in));
    parent = inner;
  }
  return templ;
}

QelBomData* buildData(Bytes& in) {
  auto* data = new QelBomData();
  const unsigned rows = in.next() % 48;
  for (unsigned r = 0; r < rows; ++r) {
    auto* row = new QelBomDataRow();
    row->setObjectHandle(QelString(std::to_string(r).c_str()));
    const unsigned tuples = in.next() % 6;
    for (unsigned i = 0; i < tuples; ++i) addValue(in, *row, tokenOf(in));
    if (in.next() % 16 == 0) row->setUseThisDataForSums(0);
    data->addChild(row);
  }
  return data;
}

void release(QelBomItemBase* root) {
  if (root == nullptr) return;
  root->empty();
  delete root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  Bytes in(bytes, size);
  QelBomTemplate* templ = buildTemplate(in);
  QelBomData* data = buildData(in);
  const unsigned flags = in.next();

  if (flags & 1) {
    QelUnitsManager units;
    templ->setUnitsForTokens(&units);
  }
  QelArray<QelString> trace;
  QelIntArray types;
  if (flags & 2) templ->getTokenTrace(trace);
  templ->getFilterObjTypes(types);
  data->setTemplUsedTokensAndObjTypes(trace, types);
  data->isTokenRequired(QelString("%a"));

  QelBomTemplate* output = (flags & 4) ? nullptr : new QelBomTemplate();
  QelBomEvaluator2::evaluate(templ, data, output);
  if (flags & 8) QelBomEvaluator2::evaluate(templ, data, output);  // again, from the marks left

  QelString text;
  if (output != nullptr) output->list(text, 0, 1, 1);
  templ->list(text, static_cast<int>(flags >> 4), 1, 1);
  QelArray<QelArray<QelString>> handles;
  QelArray<QelArray<QelString>> tokens;
  data->getUsedHandlesAndTokens(handles, tokens);
  data->depthLevel();

  release(output);
  release(data);
  release(templ);
  return 0;
}
