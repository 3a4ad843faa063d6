#include "output/column_styles.h"

#include <cstdlib>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include "text/names.h"
#include "text/json_text.h"
#include "text/text_util.h"
#include "output/report_labels.h"
#include "output/report_tree.h"

namespace bomreport {
namespace {

QelString qel(std::u16string_view text) {
  return QelString(text.data(), static_cast<int>(text.size()));
}

}  // namespace

const ColumnStyle* ColumnStyles::find(std::string_view key) const {
  for (const ColumnStyle& style : entries_) {
    if (style.key == key) return &style;
  }
  const std::string_view summed = summedToken(key);
  return summed.empty() ? nullptr : find(summed);
}

const ColumnStyle* ColumnStyles::find(std::u16string_view key) const {
  return entries_.empty() ? nullptr : find(toUtf8(qel(key)));
}

int ColumnStyle::decimalsIn(const DisplayUnit* unit) const {
  if (!unitDecimals.empty()) {
    for (const auto& given : unitDecimals) {
      if (unit != nullptr && given.first == unit->symbol) return given.second;
    }
    return -1;
  }
  if (decimals < 0 || unit == nullptr) return decimals;
  return std::clamp(decimals + unit->scale, 0, kMaxColumnDecimals);
}

bool ColumnStyle::lacksUnit(const DisplayUnit* unit) const {
  return !unitDecimals.empty() && decimalsIn(unit) < 0;
}

void ColumnStyles::set(ColumnStyle style) {
  for (ColumnStyle& entry : entries_) {
    if (entry.key == style.key) {
      entry = std::move(style);
      return;
    }
  }
  entries_.push_back(std::move(style));
}

std::string columnStylesJson(const ColumnStyles& styles) {
  std::string json = "{";
  for (const ColumnStyle& style : styles.entries()) {
    if (json.size() > 1) json += ", ";
    json += jsonString(style.key) + ": {";
    if (!style.caption.empty()) json += "\"caption\": " + jsonString(style.caption);
    const std::string comma = style.caption.empty() ? "" : ", ";
    if (!style.unitDecimals.empty()) {
      json += comma + "\"decimals\": {";
      for (std::size_t i = 0; i < style.unitDecimals.size(); ++i) {
        json += (i > 0 ? ", " : "") + jsonString(style.unitDecimals[i].first) + ": " +
                std::to_string(style.unitDecimals[i].second);
      }
      json += '}';
    } else if (style.decimals >= 0) {
      json += comma + "\"decimals\": " + std::to_string(style.decimals);
    }
    json += '}';
  }
  return json + '}';
}

std::string styledHeading(std::u16string_view token, const ColumnStyles* styles,
                          const ReportUnits* units) {
  const ColumnStyle* style = styles != nullptr ? styles->find(token) : nullptr;
  if (style == nullptr || style->caption.empty()) return tokenHeading(token, units);
  const std::string unit = unitSymbol(token, units);
  return unit.empty() ? style->caption : style->caption + " [" + unit + ']';
}

std::string styledLabel(const QelBomDataToken& token, const ColumnStyles* styles,
                        const ReportUnits* units) {
  QelString summed;
  if (token.getSummingRequest(summed) != 1) return styledHeading(view(token.token()), styles, units);
  const ColumnStyle* own = styles != nullptr ? styles->find(toUtf8(token.token())) : nullptr;
  if (own != nullptr && own->key == toUtf8(token.token()) && !own->caption.empty()) {
    return styledHeading(view(token.token()), styles, units);
  }
  return "\xCE\xA3 " + styledHeading(view(summed), styles, units);
}

bool isTextToken(std::u16string_view token) {
  return QelBomDataToken::getTokenType(qel(token)) == QelBomDataValue::kStringDataValue;
}

void ColumnDecimals::add(const DisplayNumber& number) {
  if (number.exponent) return;
  if (number.decimals > 0) real_ = true;
  if (number.decimals > most_) most_ = number.decimals;
}

int ColumnDecimals::decimals() const {
  if (!real_) return -1;
  return fixed_ >= 0 ? fixed_ : most_;
}

namespace {

// `value` with `digits` decimals, of which those past the 15 significant
// digits a double holds are zeros: every number of a column shows as many
// decimals, none of them made up.
std::string fixedDecimals(double value, int digits) {
  const double magnitude = std::fabs(value);
  const int whole = magnitude >= 1.0 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 0;
  const int held = std::max(0, std::min(digits, 15 - whole));
  char buffer[400];
  const int length = std::snprintf(buffer, sizeof(buffer), "%.*f", held, value);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof(buffer)) return std::string();
  std::string shown(buffer, static_cast<std::size_t>(length));
  if (held < digits) {
    if (held == 0) shown += '.';
    shown.append(static_cast<std::size_t>(digits - held), '0');
  }
  if (shown[0] == '-' && shown.find_first_of("123456789") == std::string::npos) shown.erase(0, 1);
  return shown;
}

}  // namespace

std::string ColumnDecimals::show(const std::string& text, DisplayNumber& number,
                                 const double* exact) const {
  const int digits = decimals();
  if (digits < 0 || number.exponent || number.decimals == digits) return text;
  // Within the unit's digits the engine's own rounding stands (its dropped
  // zeros put back); past them, or without a unit, the exact value when known,
  // rounded once, else the text's own.
  const bool pad = digits > number.decimals && unitDecimals_ >= 0 && digits <= unitDecimals_;
  const double value = pad || exact == nullptr ? number.value : *exact;
  const std::string shown = fixedDecimals(value, digits);
  if (shown.empty()) return text;
  number.value = std::strtod(shown.c_str(), nullptr);
  number.decimals = digits;
  return shown;
}

}  // namespace bomreport
