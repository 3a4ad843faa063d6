// QelBomDataTuple: a token with its value and used mark. Copying and
// assignment are the defaulted member-wise ones declared in the header, which
// give exactly the tuple rules (the value's assignment keeps an existing value
// when the source value is empty).
#include "QelBomValues.h"

QelBomDataTuple::QelBomDataTuple(const QelString& token, int value)
    : m_token(token), m_value(value), m_nUsed(0) {}

QelBomDataTuple::QelBomDataTuple(const QelString& token, double value)
    : m_token(token), m_value(value), m_nUsed(0) {}

QelBomDataTuple::QelBomDataTuple(const QelString& token, const QelString& text)
    : m_token(token), m_value(text), m_nUsed(0) {}
