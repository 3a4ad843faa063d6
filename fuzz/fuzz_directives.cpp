// Any text as a token: the directive parsers and the catalogue must give a
// result for every text. An input starting with an odd byte is read as raw
// UTF-16 code units (lone surrogates and NULs included), else as UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "VRKBomEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QelString text;
  if (size > 0 && (data[0] & 1) != 0) {
    std::u16string units((size - 1) / 2, u'\0');
    std::memcpy(units.data(), data + 1, units.size() * 2);
    text = QelString(units.data(), static_cast<int>(units.size()));
  } else {
    text = QelString::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  const QelBomDataToken token(text);
  QelString argument;
  token.getGroupingRequest(argument);
  token.getSummingRequest(argument);
  QelArray<QelString> keys;
  token.getSortingRequest(keys);
  for (QelString& key : keys) {
    int ascending = 1;
    QelBomDataToken::removeSortingPrefix(key, ascending);
  }
  QelIntArray types;
  token.getFilteringRequest(types);
  QelBomDataToken::getTokenType(text);
  QelBomDataToken::isToken(text);
  QelBomDataToken::isInvisibleToken(text);
  text.toInteger();
  return 0;
}
