// Helpers shared by the template tests.
#ifndef TEMPLATE_TEST_SUPPORT_H_
#define TEMPLATE_TEST_SUPPORT_H_

#include <string>

#include <gtest/gtest.h>

#include "QelBomTemplate.h"
#include "VRKUnitsCommon.h"
#include "qel_odbc.h"

namespace template_test {

using Item = QelBomTemplateItem;
using Units = QelBomTemplateUnits;

inline std::string str(const QelString& s) { return s.toUtf8(); }
inline std::string str(int value) { return std::to_string(value); }

// The elements of an array of texts or ints, joined by `separator`.
template <class Array>
std::string joined(const Array& values, const char* separator = ";") {
  std::string out;
  for (int i = 0; i < values.count(); ++i) out += (i ? separator : "") + str(values[i]);
  return out;
}

inline std::string display(const Units& units, const char* token, double value) {
  return units.getDisplayString(QelString(token), value).toUtf8();
}

// Restores the current units and the stored setting that units objects read.
class UnitsTest : public ::testing::Test {
 protected:
  const QelString kSuppressSetting{u"C0_BOMSuppressLastZeros"};
  void TearDown() override {
    VRKUnitsCommon::resetToDefaults();
    qel_odbc_clearDefault(kSuppressSetting);
  }
};

}  // namespace template_test

#endif  // TEMPLATE_TEST_SUPPORT_H_
