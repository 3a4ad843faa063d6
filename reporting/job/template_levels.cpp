#include "job/template_levels.h"

#include <cstring>

namespace bomreport {

std::vector<TemplateLevel> templateLevels(const QelBomTemplate& templ) {
  std::vector<TemplateLevel> levels;
  for (const QelBomItemBase* node = templ.child(); node != nullptr; node = node->child()) {
    TemplateLevel level{static_cast<const QelBomTemplateItem*>(node),
                        static_cast<const QelBomTemplateItem*>(node->next()), {}};
    for (const QelString& token : level.section->groupingTokens()) {
      level.report.groupingTokens.push_back(token);
    }
    if (level.closing != nullptr) {
      const QelArray<QelBomDataTuple>& tuples = level.closing->getData();
      for (int i = 0; i < tuples.count(); ++i) {
        QelString summed;
        if (tuples[i].token().getSummingRequest(summed) == 1) {
          level.report.sums.push_back(ReportLevel::Sum{i, summed, tuples[i].value()});
        }
      }
    }
    levels.push_back(std::move(level));
  }
  return levels;
}

const QelBomDataValue* rowValue(const QelBomDataRow& row, const QelString& token) {
  const QelBomDataTuple* tuple = row.getTupleAt(token);
  return tuple != nullptr ? &tuple->value() : nullptr;
}

// A value as part of a key: its type, then its content.
void appendValueKey(std::string& key, const QelBomDataValue* value) {
  const int type = value != nullptr ? value->type() : QelBomDataValue::kUnkDataValueType;
  key += static_cast<char>('0' + type);
  if (type == QelBomDataValue::kIntDataValue) {
    key.append(std::to_string(intValueOf(*value)));
  } else if (type == QelBomDataValue::kDoubleDataValue) {
    double real = doubleValueOf(*value);
    if (real == 0.0) real = 0.0;  // -0 equals 0
    char bytes[sizeof real];
    std::memcpy(bytes, &real, sizeof real);
    key.append(bytes, sizeof real);
  } else if (type == QelBomDataValue::kStringDataValue) {
    const QelString& text = textValueOf(*value);
    key.append(reinterpret_cast<const char*>(text.getStringW()),
               static_cast<std::size_t>(text.length()) * sizeof(char16_t));
  }
  key += '\x1F';
}

}  // namespace bomreport
