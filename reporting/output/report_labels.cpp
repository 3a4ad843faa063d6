#include "output/report_labels.h"

#include "text/text_util.h"
#include "output/report_tree.h"

namespace bomreport {
namespace {

QelString qel(std::u16string_view text) {
  return QelString(text.data(), static_cast<int>(text.size()));
}

std::string withUnit(std::string text, const std::string& unit) {
  if (!unit.empty()) text += " [" + unit + ']';
  return text;
}

}  // namespace

std::string unitSymbol(std::u16string_view token, const ReportUnits* units) {
  if (units == nullptr) return std::string();
  const DisplayUnit* unit = units->unitOf(qel(token));
  return unit != nullptr ? unit->symbol : std::string();
}

std::string tokenHeading(std::u16string_view token, const ReportUnits* units) {
  const std::u16string_view name =
      !token.empty() && token.front() == u'%' ? token.substr(1) : token;
  return withUnit(toUtf8(qel(name)), unitSymbol(token, units));
}

std::string valueLabel(const QelBomDataToken& token, const ReportUnits* units) {
  QelString summed;
  if (token.getSummingRequest(summed) == 1) return "\xCE\xA3 " + tokenHeading(view(summed), units);
  return tokenHeading(view(token.token()), units);
}

std::string tokenWithUnit(std::u16string_view token, const ReportUnits* units) {
  return withUnit(toUtf8(qel(token)), unitSymbol(token, units));
}

}  // namespace bomreport
