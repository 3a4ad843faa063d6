#include "job/units_option.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "text/text_util.h"

namespace bomreport {
namespace {

// The stored settings that the system reads.
const char* const kKnownSettings[] = {"C0_BOMSuppressLastZeros"};

}  // namespace

VRKUnit unitOf(const UnitChoice& choice) {
  VRKUnit unit;
  VRKUnit::fromSymbol(toQel(choice.symbol), unit);
  return unit;
}

void applyUnits(const std::vector<UnitChoice>& choices, QelUnitsManager& manager) {
  for (const UnitChoice& choice : choices) manager.setUnit(choice.system, unitOf(choice));
}

std::vector<ReportWarning> applySettings(const std::vector<StoredSetting>& settings) {
  std::vector<ReportWarning> warnings;
  const std::vector<std::string> known(std::begin(kKnownSettings), std::end(kKnownSettings));
  for (const StoredSetting& setting : settings) {
    if (std::find(known.begin(), known.end(), setting.name) == known.end()) {
      ReportWarning warning{WarningKind::kUnknownSetting};
      warning.text = optionReference("setting") + ": no part of the system reads the setting " +
                     quoteForMessage(setting.name) + didYouMean(setting.name, known);
      warnings.push_back(std::move(warning));
    }
    qel_odbc_setDefault(toQel(setting.name), setting.value);
  }
  return warnings;
}

}  // namespace bomreport
