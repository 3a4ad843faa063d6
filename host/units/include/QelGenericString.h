// QelGenericString: an ordered record of tokens and typed entries that carries
// values to the host's output.
#ifndef QEL_GENERIC_STRING_H_
#define QEL_GENERIC_STRING_H_

#include <vector>

#include "QelString.h"
#include "VRKUnitsExport.h"

class VRK_UNITS_API QelGenericString {
 public:
  // How an entry's number is to be read; 0 is a plain number.
  enum eEntryUnitType { kPlainEntry = 0 };

  enum eRecordKind { kToken, kIntEntry, kDoubleEntry, kTextEntry };
  struct Record {
    eRecordKind kind;
    QelString token;
    int intValue;
    double doubleValue;
    QelString text;    // the text entry, or the rendered number
    QelString format;  // the format of a double entry
    int unitType;
  };

  void addToken(const QelString& token);
  void addEntry(const QelString& token, int value, int unitType);
  void addEntry(const QelString& token, double value, int unitType, const QelString& format);
  void addEntry(const QelString& token, const QelString& value, int unitType);

  const std::vector<Record>& records() const { return m_records; }
  // One line per record: "token" for a token, "token=value" for an entry, the
  // number written with its format ("%d" for ints); lines joined by "\n".
  QelString toText() const;

 private:
  std::vector<Record> m_records;
};

#endif  // QEL_GENERIC_STRING_H_
