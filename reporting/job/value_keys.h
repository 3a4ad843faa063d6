// Values of the data set compared and hashed as equal parts match them: same
// type and same value (texts exactly, -0 equal to 0).
#ifndef BOMREPORT_JOB_VALUE_KEYS_H_
#define BOMREPORT_JOB_VALUE_KEYS_H_

#include <cstdint>
#include <string>

#include "VRKBomEngine.h"

namespace bomreport {

// Folds `value` into the hash `h`.
std::uint64_t mix(std::uint64_t h, std::uint64_t value);
// A hash that equal values share.
std::uint64_t hashValue(const QelBomDataValue& value);
bool sameValue(const QelBomDataValue& a, const QelBomDataValue& b);
// An integer or a real as a double; false for other values.
bool numberOf(const QelBomDataValue& value, double& number);
// A value as a key of a map: its type, then its text.
std::u16string valueKey(const QelBomDataValue& value);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_VALUE_KEYS_H_
