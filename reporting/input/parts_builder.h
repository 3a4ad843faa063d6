// PartsBuilder: turns parts read from a file into the data rows of a data set,
// as a host extracts objects from its model. Shared by the CSV and JSON parts
// readers.
//
// A part becomes a row when the template does not filter, when the part has no
// object type, or when the data set says its type is present
// (isItemPresent). Of a row's values only those whose token the data set
// requires (isTokenRequired) are kept, unless every token is to be kept. Rows
// that are not kept are still read in full, so a file is valid or not whatever
// the template.
#ifndef BOMREPORT_INPUT_PARTS_BUILDER_H_
#define BOMREPORT_INPUT_PARTS_BUILDER_H_

#include <string>
#include <string_view>
#include <unordered_map>

#include "VRKBomEngine.h"
#include "input/text_pool.h"

namespace bomreport {

// What the tool knows about one token of a parts file.
struct TokenInfo {
  // As written in the file; empty when nothing needs it (neither kept nor of the
  // catalogue, so neither stored nor named in a message).
  QelString token;
  QelBomDataValue::eBomDataValueType catalogue;  // getTokenType of the token
  bool kept;                                     // its values go into rows
};

// Typing a text cell. With a catalogue type the cell must parse as that type
// (an integer cell is accepted for a real token); without one it becomes an
// integer when it is a 32-bit integer, a real when it is a number, a text
// otherwise. Sets `value` unless it is null (a check only); texts come from
// `texts` when given. Returns an empty string on success, else the reason.
std::string typeCell(std::string_view cell, QelBomDataValue::eBomDataValueType catalogue,
                     QelBomDataValue* value, TextPool* texts = nullptr);

class PartsBuilder {
 public:
  // The data set must have been given the template's tokens and object types.
  PartsBuilder(QelBomData* data, bool keepAllTokens, bool templateFilters);

  // The token's catalogue type and whether its values are kept; looked up once
  // per distinct token.
  const TokenInfo& tokenInfo(std::string_view utf8Token);
  TokenInfo makeTokenInfo(std::string_view utf8Token) const;

  // Whether a part of this object type (when it has one) becomes a row.
  bool keepsObjectType(bool hasType, int type) const;

  // Parts read so far, kept or not; a part's number in the file is partsRead() + 1
  // while it is being read.
  long long partsRead() const { return partsRead_; }
  // Links `row` below the data set when `keep`, else deletes it; counts the part.
  void finishPart(QelBomDataRow* row, bool keep);

  // Shared texts for the cells of all parts.
  TextPool& texts() { return texts_; }

 private:
  QelBomData* data_;
  bool keepAllTokens_;
  bool templateFilters_;
  long long partsRead_ = 0;
  std::unordered_map<std::string, TokenInfo> tokens_;
  TextPool texts_;
};

// Splits a list of handles at ';' and white space, skipping empty pieces.
QelArray<QelString> splitHandles(std::string_view text);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_BUILDER_H_
