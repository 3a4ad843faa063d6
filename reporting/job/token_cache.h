// TokenCache: something the host works out once per token, found again by the
// token's text buffer.
//
// The parts readers give every value of one column (one token of a JSON file)
// a copy of the same QelString, and copies share their buffer: looking a
// row's tokens up is then a few pointer comparisons instead of text
// comparisons or hashing. Tokens whose buffers are not shared are looked up
// anew. Valid while the tokens it has seen live (their buffers cannot be
// reused meanwhile).
#ifndef BOMREPORT_JOB_TOKEN_CACHE_H_
#define BOMREPORT_JOB_TOKEN_CACHE_H_

#include <cstddef>
#include <utility>
#include <vector>

#include "QelString.h"

namespace bomreport {

template <typename Value>
class TokenCache {
 public:
  // The value of `token`, from `lookup(token)` the first time its buffer is
  // seen.
  template <typename Lookup>
  Value get(const QelString& token, Lookup&& lookup) {
    const char16_t* key = token.getStringW();
    for (const auto& entry : entries_) {
      if (entry.first == key) return entry.second;
    }
    Value value = lookup(token);
    if (entries_.size() < kMaxEntries) entries_.emplace_back(key, value);
    return value;
  }

 private:
  static constexpr std::size_t kMaxEntries = 64;
  std::vector<std::pair<const char16_t*, Value>> entries_;
};

}  // namespace bomreport

#endif  // BOMREPORT_JOB_TOKEN_CACHE_H_
