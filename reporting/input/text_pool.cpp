#include "input/text_pool.h"

#include <cstring>

namespace bomreport {
namespace {

constexpr std::size_t kInitialSlots = 256;  // a power of two

}  // namespace

TextPool::TextPool() : slots_(kInitialSlots, 0) {}

// Eight bytes at a time, multiplied and folded: cell texts are short.
std::uint64_t TextPool::hashOf(std::string_view bytes) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    h = (h ^ word) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  std::uint64_t tail = 0;
  std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
  h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 29);
}

QelString TextPool::get(std::string_view utf8) {
  if (utf8.size() > kMaxPooledBytes) return QelString::fromUtf8(utf8);
  const std::uint64_t hash = hashOf(utf8);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = static_cast<std::size_t>(hash) & mask;
  for (; slots_[at] != 0; at = (at + 1) & mask) {
    const Entry& entry = entries_[static_cast<std::size_t>(slots_[at] - 1)];
    if (entry.hash == hash && keyOf(entry) == utf8) return entry.text;
  }
  QelString text = QelString::fromUtf8(utf8);
  if (entries_.size() >= kMaxTexts) return text;
  entries_.push_back(Entry{hash, bytes_.size(), utf8.size(), text});
  bytes_.append(utf8);
  slots_[at] = static_cast<std::int32_t>(entries_.size());
  if (entries_.size() * 2 > slots_.size()) grow();
  return text;
}

void TextPool::grow() {
  std::vector<std::int32_t> slots(slots_.size() * 2, 0);
  const std::size_t mask = slots.size() - 1;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    std::size_t at = static_cast<std::size_t>(entries_[i].hash) & mask;
    while (slots[at] != 0) at = (at + 1) & mask;
    slots[at] = static_cast<std::int32_t>(i + 1);
  }
  slots_.swap(slots);
}

}  // namespace bomreport
