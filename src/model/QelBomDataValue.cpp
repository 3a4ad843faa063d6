// QelBomDataValue: an empty, int, double or text value that owns its content.
//
// The content lives inline in the union: an int, a double, or a QelString that
// is constructed while the value holds a text. data() hands out its address.
#include <new>
#include <utility>

#include "QelBomValues.h"
#include "model/QelBomComparison.h"

QelBomDataValue::QelBomDataValue() noexcept : m_eValueType(kUnkDataValueType), m_nValue(0) {}

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
      set(other.m_string);
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
  switch (other.m_eValueType) {
    case kIntDataValue:
      set(other.m_nValue);
      break;
    case kDoubleDataValue:
      set(other.m_dValue);
      break;
    default:
      if (m_eValueType == kStringDataValue) {
        m_string = std::move(other.m_string);
      } else {
        new (&m_string) QelString(std::move(other.m_string));
        m_eValueType = kStringDataValue;
      }
      break;
  }
  other.empty();
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
  if (m_eValueType == kStringDataValue) {
    m_string = value;  // safe when `value` is this value's own text
    return;
  }
  new (&m_string) QelString(value);
  m_eValueType = kStringDataValue;
}

void QelBomDataValue::set(QelString&& value) {
  if (m_eValueType == kStringDataValue) {
    m_string = std::move(value);
    return;
  }
  empty();
  new (&m_string) QelString(std::move(value));
  m_eValueType = kStringDataValue;
}

void QelBomDataValue::empty() noexcept {
  if (m_eValueType == kStringDataValue) m_string.~QelString();
  m_nValue = 0;
  m_eValueType = kUnkDataValueType;
}

int QelBomDataValue::compare(const QelBomDataValue& other) const {
  return qel_bom_model::compareValues<qel_bom_model::ValueOrder>(*this, other);
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
      text = m_string;
      break;
    case kUnkDataValueType:
      break;
  }
  return text;
}
