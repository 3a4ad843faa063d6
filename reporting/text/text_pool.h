// TextPool: one shared QelString per distinct cell text.
//
// A parts file repeats few texts many times (materials, profiles, assembly
// marks, phases). Giving every cell of the same text a copy of one QelString
// makes those cells share one buffer: no allocation per cell, less memory,
// and less to free when the data set is released. The pool is an
// open-addressing table whose slots hold the texts themselves with a part of
// their hash, so a cell is hashed once, looked up without making a key, and
// compared with the one text it may be (whose buffer the copy handed out
// reads anyway).
//
// Thread-safety: one pool per thread.
#ifndef BOMREPORT_TEXT_TEXT_POOL_H_
#define BOMREPORT_TEXT_TEXT_POOL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "QelString.h"

namespace bomreport {

class TextPool {
 public:
  TextPool();

  // The text of `utf8` (valid UTF-8), shared with every earlier cell of the
  // same text while the pool is not full.
  QelString get(std::string_view utf8);

 private:
  // Beyond this many distinct texts (handles, free remarks) new texts are
  // converted without being kept.
  static constexpr std::size_t kMaxTexts = 1 << 16;
  // Longer texts are rarely repeated and are converted without being kept: the
  // key would double their memory.
  static constexpr std::size_t kMaxPooledBytes = 256;

  struct Slot {
    std::uint32_t hash = 0;   // the upper half of the text's hash; it also places the slot
    std::uint32_t bytes = 0;  // the length of its UTF-8 form
    QelString text;           // empty: the slot is free
  };

  static std::uint64_t hashOf(std::string_view bytes);
  // Whether `text` is the text of `utf8`.
  static bool holds(const QelString& text, std::string_view utf8);
  void grow();

  std::vector<Slot> slots_;
  std::size_t texts_ = 0;  // slots in use
};

}  // namespace bomreport

#endif  // BOMREPORT_TEXT_TEXT_POOL_H_
