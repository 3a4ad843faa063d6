// Small text helpers shared by the readers and writers: UTF-8 conversion,
// strict number parsing, positions in a text, and quoting for messages.
#ifndef BOMREPORT_TEXT_TEXT_UTIL_H_
#define BOMREPORT_TEXT_TEXT_UTIL_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "VRKBomEngine.h"

namespace bomreport {

// The longest text a QelString holds, in UTF-8 bytes (a readers' limit: a
// longer text in a file is an error).
constexpr std::size_t kMaxTextBytes = 0x7FFFFFFE;

inline QelString toQel(std::string_view utf8) { return QelString::fromUtf8(utf8); }
inline std::string toUtf8(const QelString& text) { return text.toUtf8(); }
// Appends the UTF-8 form of `text` to `out` (without a temporary for ASCII).
void appendUtf8(std::string& out, const QelString& text);

// A 32-bit integer written as [+-]digits, nothing else (no spaces).
bool parseInt32(std::string_view text, int& value);
// Decimal number syntax: [+-] digits [. digits] [(e|E) [+-] digits], with at
// least one digit before or after the point. No spaces, no "inf" or "nan".
bool isDecimalNumber(std::string_view text);
// A decimal number that a double holds: the nearest double, a value too small
// for one giving 0, negative zero giving 0; false for anything else, a value
// beyond the largest double included.
bool parseReal(std::string_view text, double& value);

// True when `text` is well-formed UTF-8; otherwise `badOffset` is the byte
// offset of the first ill-formed sequence.
bool isValidUtf8(std::string_view text, std::size_t& badOffset);

// Characters as a terminal shows them: code points, each one column.
int displayWidth(const QelString& text);
int displayWidth(std::string_view utf8);

// 1-based line and column (in code points) of byte `offset` of `text`.
void lineColumnAt(std::string_view text, std::size_t offset, long long& line, long long& column);

// `text` in double quotes for a message, cut to a sensible length.
std::string quoteForMessage(std::string_view text);

}  // namespace bomreport

#endif  // BOMREPORT_TEXT_TEXT_UTIL_H_
