// Values, tokens and tuples: the data that flows through the engine.
//
//   QelBomDataValue  empty, an int, a double or a text; owns its content.
//   QelBomDataToken  a token text ("%Weight") or a directive ("%GroupBy:%PosNum"),
//                    with the directive parsers and the token catalogue.
//   QelBomDataTuple  a token, its value and a used mark.
//
// Copies are deep and independent. None of these classes is thread-safe; the
// six prefix constants are read-only after the library is loaded.
#ifndef QEL_BOM_VALUES_H_
#define QEL_BOM_VALUES_H_

#include "QelArray.h"
#include "QelString.h"
#include "VRKBomEngineExport.h"

class VRK_BOM_ENGINE_API QelBomDataValue {
 public:
  enum eBomDataValueType {
    kUnkDataValueType = 0,
    kIntDataValue = 1,
    kDoubleDataValue = 2,
    kStringDataValue = 3
  };

  QelBomDataValue() noexcept;
  explicit QelBomDataValue(int value);
  explicit QelBomDataValue(double value);
  explicit QelBomDataValue(const QelString& value);
  QelBomDataValue(const QelBomDataValue& other);
  QelBomDataValue(QelBomDataValue&& other) noexcept;
  ~QelBomDataValue();

  // Takes the source's type and content; an empty source leaves this value as
  // it was.
  QelBomDataValue& operator=(const QelBomDataValue& other);
  QelBomDataValue& operator=(QelBomDataValue&& other) noexcept;

  // Replace the content and the type.
  void set(int value);
  void set(double value);
  void set(const QelString& value);
  void set(QelString&& value);

  // The content, read as int, double or QelString according to type(); null
  // for an empty value. Valid until the value next changes.
  const void* data() const noexcept {
    switch (m_eValueType) {
      case kIntDataValue:
        return &m_nValue;
      case kDoubleDataValue:
        return &m_dValue;
      case kStringDataValue:
        return &m_string;
      default:
        return nullptr;
    }
  }
  eBomDataValueType type() const noexcept { return m_eValueType; }

  // Values of different types give -1 whichever is the receiver. Ints: -1, 0,
  // 1. Doubles: -1 when other's is greater, 1 when this one's is greater, else
  // 0 (NaN equals everything). Texts: QelString::compare. Two empty values: 0.
  int compare(const QelBomDataValue& other) const;
  // "%d" for ints, "%g" for doubles, the text, or "" for an empty value.
  QelString asString() const;

 protected:
  // Releases the content: the value becomes empty.
  void empty() noexcept;

 private:
  eBomDataValueType m_eValueType;
  // The content lives inline; the text is constructed only while the type is
  // kStringDataValue (a QelString is one pointer, so this costs no space).
  union {
    int m_nValue;
    double m_dValue;
    QelString m_string;
  };
};

// Typed reads of a value's content, for the engine and for hosts. Reading a
// content as another type than type() says is undefined.

// REQUIRES: value.type() == QelBomDataValue::kIntDataValue.
inline int intValueOf(const QelBomDataValue& value) noexcept {
  return *static_cast<const int*>(value.data());
}
// REQUIRES: value.type() == QelBomDataValue::kDoubleDataValue.
inline double doubleValueOf(const QelBomDataValue& value) noexcept {
  return *static_cast<const double*>(value.data());
}
// REQUIRES: value.type() == QelBomDataValue::kStringDataValue. The text is
// valid until the value next changes.
inline const QelString& textValueOf(const QelBomDataValue& value) noexcept {
  return *static_cast<const QelString*>(value.data());
}

class VRK_BOM_ENGINE_API QelBomDataToken {
 public:
  // Directive prefixes, built when the library is loaded.
  static const QelString kTokenPrefix;     // "%"
  static const QelString kGroupPrefix;     // "%GroupBy:"
  static const QelString kSortAscPrefix;   // "%SortAscBy:"
  static const QelString kSortDescPrefix;  // "%SortDescBy:"
  static const QelString kSumPrefix;       // "%SumBy:"
  static const QelString kFilterPrefix;    // "%FilterBy:"

  QelBomDataToken() = default;
  explicit QelBomDataToken(const QelString& token) : m_strToken(token) {}

  void setToken(const QelString& token) { m_strToken = token; }
  const QelString& token() const noexcept { return m_strToken; }

  // Directive rules. A text is a directive of a kind when its prefix occurs
  // anywhere in it; the argument is the text without its first (prefix length)
  // characters, wherever the prefix stood. Malformed directives are not errors.

  // 1 when the text starts with "%".
  static int isToken(const QelString& text);
  // 1 when the text holds a grouping, sorting or filter prefix ("%SumBy:"
  // alone does not make a token invisible).
  static int isInvisibleToken(const QelString& text);
  // 1 and the argument in `token` for a grouping / summing directive; else 0
  // with `token` untouched. Spaces stay in the argument.
  int getGroupingRequest(QelString& token) const;
  int getSummingRequest(QelString& token) const;
  // The summing rule for any text, the one getSummingRequest applies to the
  // token text: 1 and the summed token in `token` when `text` holds
  // "%SumBy:"; else 0 with `token` untouched. For the tokens of tuples.
  static int summingRequestOf(const QelString& text, QelString& token);
  // For a sorting directive: removes every space from the whole text, splits it
  // at commas while the comma is not at index 0, appends the pieces (the first
  // keeps its prefix; the remainder, possibly empty, is the last piece) to
  // `tokens` and returns 1. Else 0 and `tokens` untouched.
  int getSortingRequest(QelArray<QelString>& tokens) const;
  // Strips a "%SortAscBy:" (ascending = 1) or "%SortDescBy:" (ascending = 0)
  // prefix from `key` and returns 1; else 0 with both untouched.
  static int removeSortingPrefix(QelString& key, int& ascending);
  // For a filter directive: the argument without spaces, split as above, each
  // piece converted with QelString::toInteger and appended; returns 1. Else 0.
  int getFilteringRequest(QelIntArray& objectTypes) const;

  // The value type of a known token by the catalogue of 64 tokens;
  // "%SumBy:X" answers with the type of X; anything else kUnkDataValueType.
  static QelBomDataValue::eBomDataValueType getTokenType(const QelString& token);

 private:
  QelString m_strToken;
};

class VRK_BOM_ENGINE_API QelBomDataTuple {
 public:
  QelBomDataTuple() noexcept : m_nUsed(0) {}
  QelBomDataTuple(const QelString& token, int value);
  QelBomDataTuple(const QelString& token, double value);
  QelBomDataTuple(const QelString& token, const QelString& text);
  // Copies token, value and used mark.
  QelBomDataTuple(const QelBomDataTuple& other) = default;
  QelBomDataTuple(QelBomDataTuple&& other) noexcept = default;
  // Assigns the token, the value (an empty source value leaves this tuple's
  // value as it was) and the used mark.
  QelBomDataTuple& operator=(const QelBomDataTuple& other) = default;
  QelBomDataTuple& operator=(QelBomDataTuple&& other) noexcept = default;
  ~QelBomDataTuple() = default;

  const QelBomDataToken& token() const noexcept { return m_token; }
  const QelBomDataValue& value() const noexcept { return m_value; }
  // The value for changing in place (the evaluator fills evaluated items so).
  QelBomDataValue& value() noexcept { return m_value; }
  void setToken(const QelString& token) { m_token.setToken(token); }
  void setUsed(int used) noexcept { m_nUsed = used; }
  int used() const noexcept { return m_nUsed; }

 private:
  QelBomDataToken m_token;
  QelBomDataValue m_value;
  int m_nUsed;
};

#endif  // QEL_BOM_VALUES_H_
