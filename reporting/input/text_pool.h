// TextPool: one shared QelString per distinct cell text.
//
// A parts file repeats few texts many times (materials, profiles, assembly
// marks, phases). Giving every cell of the same text a copy of one QelString
// makes those cells share one buffer: no allocation per cell, less memory,
// and less to free when the data set is released.
#ifndef BOMREPORT_INPUT_TEXT_POOL_H_
#define BOMREPORT_INPUT_TEXT_POOL_H_

#include <string>
#include <string_view>
#include <unordered_map>

#include "QelString.h"

namespace bomreport {

class TextPool {
 public:
  // The text of `utf8` (valid UTF-8), shared with every earlier cell of the
  // same text while the pool is not full.
  QelString get(std::string_view utf8);

 private:
  // Beyond this many distinct texts (handles, free remarks) new texts are
  // converted without being kept.
  static constexpr size_t kMaxTexts = 1 << 16;
  // Longer texts are rarely repeated and are converted without being kept: the
  // key would double their memory.
  static constexpr size_t kMaxPooledBytes = 256;

  std::unordered_map<std::string, QelString> m_texts;
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_TEXT_POOL_H_
