// Any text as a token: the directive parsers and the catalogue must give a
// result for every text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "VRKBomEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QelString text =
      QelString::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
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
