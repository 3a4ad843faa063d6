#include "input/text_pool.h"

namespace bomreport {

QelString TextPool::get(std::string_view utf8) {
  if (utf8.size() > kMaxPooledBytes) return QelString::fromUtf8(utf8);
  std::string key(utf8);
  auto found = m_texts.find(key);
  if (found != m_texts.end()) return found->second;
  QelString text = QelString::fromUtf8(utf8);
  if (m_texts.size() < kMaxTexts) m_texts.emplace(std::move(key), text);
  return text;
}

}  // namespace bomreport
