#include "text/json_text.h"

#include <nlohmann/json.hpp>

#include "text/text_util.h"

namespace bomreport {

std::string jsonString(const std::string& utf8) {
  return nlohmann::json(utf8).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string jsonString(const QelString& text) { return jsonString(toUtf8(text)); }

std::string jsonValue(const QelBomDataValue& value) {
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      return std::to_string(intValueOf(value));
    case QelBomDataValue::kDoubleDataValue:
      return nlohmann::json(doubleValueOf(value)).dump();
    case QelBomDataValue::kStringDataValue:
      return jsonString(textValueOf(value));
    case QelBomDataValue::kUnkDataValueType:
      break;
  }
  return "null";
}

}  // namespace bomreport
