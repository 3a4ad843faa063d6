// JSON literals of the engine's texts and values, for the writers of JSON.
#ifndef BOMREPORT_TEXT_JSON_TEXT_H_
#define BOMREPORT_TEXT_JSON_TEXT_H_

#include <string>

#include "VRKBomEngine.h"

namespace bomreport {

// A JSON string literal of `text`; ill-formed UTF-8 becomes U+FFFD.
std::string jsonString(const QelString& text);
std::string jsonString(const std::string& utf8);
// A tuple value: integer, real, string or null.
std::string jsonValue(const QelBomDataValue& value);

}  // namespace bomreport

#endif  // BOMREPORT_TEXT_JSON_TEXT_H_
