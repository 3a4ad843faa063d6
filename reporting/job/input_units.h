// InputUnits: the units a parts file is written in.
//
// Parts files hold numbers in the system's internal units: millimetres,
// kilograms, square millimetres and radians. A file written in other units
// declares them ("length=m,weight=t"), and each number of a token that the
// template's units table gives a kind is multiplied by its unit's factor as
// the parts are taken into the data set. Integers of such a token become
// reals.
#ifndef BOMREPORT_JOB_INPUT_UNITS_H_
#define BOMREPORT_JOB_INPUT_UNITS_H_

#include <string>
#include <vector>

#include "BomReportOptions.h"

#include "VRKBomEngine.h"

namespace bomreport {

class InputUnits {
 public:
  // Internal units: nothing is converted.
  InputUnits() = default;
  // The kinds that `choices` name in those units (the others internal).
  explicit InputUnits(const std::vector<UnitChoice>& choices);

  // Whether any kind is converted.
  bool converts() const;
  // Converts the values of every row of `data` by the kinds of `table`.
  // A real that the conversion carries past the largest double is an
  // InputError naming `dataName`, the part and the token.
  void convert(QelBomData& data, const QelBomTemplateUnits& table,
               const std::string& dataName) const;

 private:
  double factorOf(const QelString& token, const QelBomTemplateUnits& table) const;

  double factors_[5] = {1.0, 1.0, 1.0, 1.0, 1.0};  // by eTokenUnitType
};

}  // namespace bomreport

#endif  // BOMREPORT_JOB_INPUT_UNITS_H_
