#include "text/text_pool.h"

#include <cstring>

namespace bomreport {
namespace {

constexpr std::size_t kInitialSlots = 256;  // a power of two

}  // namespace

TextPool::TextPool() : slots_(kInitialSlots) {}

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

// ASCII texts are compared code unit by byte; others through their UTF-16
// form, made for the comparison (rare in parts files).
bool TextPool::holds(const QelString& text, std::string_view utf8) {
  const char16_t* units = text.getStringW();
  const std::size_t length = static_cast<std::size_t>(text.length());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte >= 0x80) return text == QelString::fromUtf8(utf8);
    if (i >= length || units[i] != byte) return false;
  }
  return length == utf8.size();
}

QelString TextPool::get(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > kMaxPooledBytes) return QelString::fromUtf8(utf8);
  const std::uint64_t hash = hashOf(utf8);
  const auto upper = static_cast<std::uint32_t>(hash >> 32);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = upper & mask;
  for (; !slots_[at].text.isEmpty(); at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.hash == upper && slot.bytes == utf8.size() && holds(slot.text, utf8)) return slot.text;
  }
  QelString text = QelString::fromUtf8(utf8);
  if (texts_ >= kMaxTexts || text.isEmpty()) return text;
  slots_[at] = Slot{upper, static_cast<std::uint32_t>(utf8.size()), text};
  if (++texts_ * 2 > slots_.size()) grow();
  return text;
}

// Probing starts where the kept half of the hash says.
void TextPool::grow() {
  std::vector<Slot> slots(slots_.size() * 2);
  const std::size_t mask = slots.size() - 1;
  for (Slot& slot : slots_) {
    if (slot.text.isEmpty()) continue;
    std::size_t at = slot.hash & mask;
    while (!slots[at].text.isEmpty()) at = (at + 1) & mask;
    slots[at] = std::move(slot);
  }
  slots_.swap(slots);
}

}  // namespace bomreport
