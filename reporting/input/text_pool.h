// TextPool: one shared QelString per distinct cell text.
//
// A parts file repeats few texts many times (materials, profiles, assembly
// marks, phases). Giving every cell of the same text a copy of one QelString
// makes those cells share one buffer: no allocation per cell, less memory,
// and less to free when the data set is released. The pool is an
// open-addressing table over the texts' bytes, which it keeps itself, so a
// cell is hashed once and looked up without making a key.
//
// Thread-safety: one pool per thread.
#ifndef BOMREPORT_INPUT_TEXT_POOL_H_
#define BOMREPORT_INPUT_TEXT_POOL_H_

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

  struct Entry {
    std::uint64_t hash;
    std::size_t offset;  // of the text's bytes in bytes_
    std::size_t length;
    QelString text;
  };

  static std::uint64_t hashOf(std::string_view bytes);
  std::string_view keyOf(const Entry& entry) const {
    return std::string_view(bytes_).substr(entry.offset, entry.length);
  }
  void grow();

  std::vector<Entry> entries_;
  std::vector<std::int32_t> slots_;  // entry index + 1, 0 for a free slot
  std::string bytes_;                // the texts' bytes, back to back
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_TEXT_POOL_H_
