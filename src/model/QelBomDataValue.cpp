// QelBomDataValue: an empty, int, double or text value that owns its content.
//
// Ints and doubles live inline in the union; a text lives in a QelString that
// the value owns through m_pString. data() hands out the address of whichever
// is in use.
#include <utility>

#include "QelBomValues.h"

QelBomDataValue::QelBomDataValue() noexcept : m_eValueType(kUnkDataValueType), m_pString(nullptr) {}

QelBomDataValue::QelBomDataValue(int value) : QelBomDataValue() { set(value); }

QelBomDataValue::QelBomDataValue(double value) : QelBomDataValue() { set(value); }

QelBomDataValue::QelBomDataValue(const QelString& value) : QelBomDataValue() { set(value); }

QelBomDataValue::QelBomDataValue(const QelBomDataValue& other) : QelBomDataValue() {
  *this = other;
}

QelBomDataValue::QelBomDataValue(QelBomDataValue&& other) noexcept : QelBomDataValue() {
  *this = std::move(other);
}

QelBomDataValue::~QelBomDataValue() { empty(); }

QelBomDataValue& QelBomDataValue::operator=(const QelBomDataValue& other) {
  if (this == &other) return *this;
  switch (other.m_eValueType) {
    case kIntDataValue:
      set(other.m_nValue);
      break;
    case kDoubleDataValue:
      set(other.m_dValue);
      break;
    case kStringDataValue:
      set(*other.m_pString);
      break;
    case kUnkDataValueType:
      break;  // an empty source leaves this value as it was
  }
  return *this;
}

// Same rule as copying: an empty source changes nothing. Otherwise the content
// is taken over and the source becomes empty.
QelBomDataValue& QelBomDataValue::operator=(QelBomDataValue&& other) noexcept {
  if (this == &other || other.m_eValueType == kUnkDataValueType) return *this;
  empty();
  m_eValueType = other.m_eValueType;
  switch (m_eValueType) {
    case kIntDataValue:
      m_nValue = other.m_nValue;
      break;
    case kDoubleDataValue:
      m_dValue = other.m_dValue;
      break;
    default:
      m_pString = other.m_pString;
      break;
  }
  other.m_eValueType = kUnkDataValueType;
  other.m_pString = nullptr;
  return *this;
}

void QelBomDataValue::set(int value) {
  empty();
  m_nValue = value;
  m_eValueType = kIntDataValue;
}

void QelBomDataValue::set(double value) {
  empty();
  m_dValue = value;
  m_eValueType = kDoubleDataValue;
}

void QelBomDataValue::set(const QelString& value) {
  // Copy first: `value` may be this value's own text.
  QelString* fresh = new QelString(value);
  empty();
  m_pString = fresh;
  m_eValueType = kStringDataValue;
}

void QelBomDataValue::empty() noexcept {
  if (m_eValueType == kStringDataValue) delete m_pString;
  m_pString = nullptr;
  m_eValueType = kUnkDataValueType;
}

const void* QelBomDataValue::data() const noexcept {
  switch (m_eValueType) {
    case kIntDataValue:
      return &m_nValue;
    case kDoubleDataValue:
      return &m_dValue;
    case kStringDataValue:
      return m_pString;
    case kUnkDataValueType:
      break;
  }
  return nullptr;
}

int QelBomDataValue::compare(const QelBomDataValue& other) const {
  if (m_eValueType != other.m_eValueType) return -1;
  switch (m_eValueType) {
    case kIntDataValue:
      if (m_nValue < other.m_nValue) return -1;
      return m_nValue > other.m_nValue ? 1 : 0;
    case kDoubleDataValue:
      // Written so that any pair involving a NaN gives 0.
      if (other.m_dValue > m_dValue) return -1;
      return m_dValue > other.m_dValue ? 1 : 0;
    case kStringDataValue:
      return QelString::compare(*m_pString, *other.m_pString);
    case kUnkDataValueType:
      break;
  }
  return 0;
}

QelString QelBomDataValue::asString() const {
  QelString text;
  switch (m_eValueType) {
    case kIntDataValue:
      text.format("%d", m_nValue);
      break;
    case kDoubleDataValue:
      text.format("%g", m_dValue);
      break;
    case kStringDataValue:
      text = *m_pString;
      break;
    case kUnkDataValueType:
      break;
  }
  return text;
}
