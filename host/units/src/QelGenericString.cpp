// An ordered record of tokens and typed entries.
#include "QelGenericString.h"

#include <utility>

void QelGenericString::addToken(const QelString& token) {
  m_records.push_back(Record{kToken, token, 0, 0.0, QelString(), QelString(), 0});
}

void QelGenericString::addEntry(const QelString& token, int value, int unitType) {
  QelString text;
  text.format(u"%d", value);
  m_records.push_back(
      Record{kIntEntry, token, value, 0.0, std::move(text), QelString(u"%d"), unitType});
}

// The format is a printf format for one double; an empty one means "%g".
void QelGenericString::addEntry(const QelString& token, double value, int unitType,
                                const QelString& format) {
  const QelString used = format.isEmpty() ? QelString(u"%g") : format;
  QelString text;
  text.format(used.getStringW(), value);
  m_records.push_back(Record{kDoubleEntry, token, 0, value, std::move(text), used, unitType});
}

void QelGenericString::addEntry(const QelString& token, const QelString& value, int unitType) {
  m_records.push_back(Record{kTextEntry, token, 0, 0.0, value, QelString(), unitType});
}

QelString QelGenericString::toText() const {
  QelString text;
  for (size_t i = 0; i < m_records.size(); ++i) {
    const Record& record = m_records[i];
    if (i > 0) text += u'\n';
    text += record.token;
    if (record.kind != kToken) {
      text += u'=';
      text += record.text;
    }
  }
  return text;
}
