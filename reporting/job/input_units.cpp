#include "job/input_units.h"

#include <cmath>

#include "BomReportErrors.h"
#include "BomReportWarnings.h"
#include "job/token_cache.h"
#include "job/units_option.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

void scale(QelBomDataValue& value, double factor) {
  if (value.type() == QelBomDataValue::kDoubleDataValue) {
    value.set(doubleValueOf(value) * factor);
  } else if (value.type() == QelBomDataValue::kIntDataValue) {
    value.set(static_cast<double>(intValueOf(value)) * factor);
  }
}

}  // namespace

InputUnits::InputUnits(const std::vector<UnitChoice>& choices) {
  for (const UnitChoice& choice : choices) {
    factors_[choice.tokenUnitType] = unitOf(choice).getQelUnitTransform()->factor();
  }
}

bool InputUnits::converts() const {
  for (double factor : factors_) {
    if (factor != 1.0) return true;
  }
  return false;
}

double InputUnits::factorOf(const QelString& token, const QelBomTemplateUnits& table) const {
  const int type = table.tokenUnitType(token);
  return type > QelBomTemplateUnits::kUnkTokenUnitType && type <= QelBomTemplateUnits::kAngleUnit
             ? factors_[type]
             : 1.0;
}

void InputUnits::convert(QelBomData& data, const QelBomTemplateUnits& table,
                         const std::string& dataName) const {
  if (!converts()) return;
  TokenCache<double> cache;
  auto lookup = [this, &table](const QelString& token) { return factorOf(token, table); };
  for (QelBomItemBase* row = data.child(); row != nullptr; row = row->next()) {
    for (QelBomDataTuple& tuple : row->getData()) {
      const double factor = cache.get(tuple.token().token(), lookup);
      if (factor == 1.0) continue;
      scale(tuple.value(), factor);
      const QelBomDataValue& value = tuple.value();
      if (value.type() == QelBomDataValue::kDoubleDataValue && !std::isfinite(doubleValueOf(value))) {
        throw InputError(dataName,
                         "part " + toUtf8(static_cast<QelBomDataRow*>(row)->objectHandle()) + ": " +
                             toUtf8(tuple.token().token()) + " is beyond the largest number a "
                             "report holds (1.8e308) once converted from the file's units by " +
                             optionReference("input-units") + "; check the value or the unit");
      }
    }
  }
}

}  // namespace bomreport
