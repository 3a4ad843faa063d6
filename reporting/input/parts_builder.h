// PartsBuilder: turns parts read from a file into the data rows of a data set,
// as a host extracts objects from its model. Shared by the CSV and JSON parts
// readers. It also notes what the file holds (the tokens it names, the object
// types of its parts) for the host's warnings.
//
// A part becomes a row when the template does not filter, when the part has no
// object type, or when the data set says its type is present
// (isItemPresent). Of a row's values only those whose token the data set
// requires (isTokenRequired) are kept, unless every token is to be kept. Rows
// that are not kept are still read in full, so a file is valid or not whatever
// the template.
#ifndef BOMREPORT_INPUT_PARTS_BUILDER_H_
#define BOMREPORT_INPUT_PARTS_BUILDER_H_

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "VRKBomEngine.h"
#include "input/memory_budget.h"
#include "text/text_pool.h"

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

// Kept parts whose %Quantity is below 1: they count as no piece, or as fewer,
// in every quantity and total.
struct LowQuantities {
  long long parts = 0;      // how many
  long long firstPart = 0;  // the first one's number in the file (from 1)
  std::string firstHandle;  // its handle
  int firstValue = 0;       // its %Quantity
};

class PartsBuilder {
 public:
  // The data set must have been given the template's tokens and object types.
  // The values of `hostTokens` (exactly as written) are kept besides those the
  // template requires: the host derives other tokens from them.
  PartsBuilder(QelBomData* data, bool keepAllTokens, bool templateFilters,
               std::vector<std::string> hostTokens = {});

  // The token's catalogue type and whether its values are kept; looked up once
  // per distinct token. Either notes the token as named by the file.
  const TokenInfo& tokenInfo(std::string_view utf8Token);
  TokenInfo makeTokenInfo(std::string_view utf8Token);

  // Whether a part of this object type (when it has one) becomes a row. Notes
  // the type.
  bool keepsObjectType(bool hasType, int type) {
    if (hasType) {
      noteObjectType(type);
    } else {
      noteUntypedParts(1);
    }
    return wantsObjectType(hasType, type);
  }
  // The same without noting the type; safe on several threads at once.
  bool wantsObjectType(bool hasType, int type) const;
  // Notes that the file holds a part of object type `type`.
  void noteObjectType(int type);
  // Notes `count` parts without an object type, which the template's filter
  // (if any) keeps whatever it names.
  void noteUntypedParts(long long count) {
    if (templateFilters_) untypedKept_ += count;
  }
  // Parts the filter kept only because they have no object type.
  long long untypedKept() const { return untypedKept_; }

  // Parts read so far, kept or not; a part's number in the file is partsRead() + 1
  // while it is being read.
  long long partsRead() const { return partsRead_; }
  // Links `row` below the data set when `keep`, else deletes it; counts the part.
  void finishPart(QelBomDataRow* row, bool keep);

  // Shared texts for the cells of all parts.
  TextPool& texts() { return texts_; }
  // The memory the kept parts may need. Every row made to be kept is charged
  // against it as it is made (a reader that builds rows ahead of finishPart,
  // on several threads, charges them itself: chargeRow is safe on several
  // threads at once); more than the budget throws InputError.
  void setMemoryBudget(MemoryBudget budget) { budget_ = std::move(budget); }
  void chargeRow() const;
  // Checks the parts the whole file will keep, at the rate seen so far:
  // `kept` parts kept in the first `read` of its `size` bytes. A file far past
  // the budget then ends after a small share of it, not when its rows are
  // made. Safe on several threads at once.
  // REQUIRES: `read` is at least 1/kSampleShare of the text the caller reads
  // (a smaller sample does not speak for the file).
  void checkRate(long long kept, std::size_t read, std::size_t size) const;
  static constexpr std::size_t kSampleShare = 64;
  // A builder like this one (the same data set's tokens and object types,
  // the same tokens kept) that only counts: the rows it is given are deleted,
  // and it has no budget. For reading a sample of a text to learn its rate of
  // kept parts. The data set must outlive it.
  std::unique_ptr<PartsBuilder> counter() const;
  // The budget the kept parts are charged against.
  const MemoryBudget& memoryBudget() const { return budget_; }

  // Whether the template itself uses `token` (isTokenRequired).
  bool templateRequires(std::string_view utf8Token) const;
  // What a reader found suspect in the file without refusing it, one line
  // each, for the report's warnings.
  void warn(std::string warning) { warnings_.push_back(std::move(warning)); }
  const std::vector<std::string>& warnings() const { return warnings_; }

  // Takes back the naming of `utf8Token`: a reader that looked it up but found
  // no part with a value of it (an IFC mapping's token no element has).
  void unnameToken(const std::string& utf8Token) { named_.erase(utf8Token); }

  // Tokens whose naming by the file is always noted (see namedTokens).
  void watchTokens(std::vector<std::string> tokens) {
    watched_ = std::unordered_set<std::string>(tokens.begin(), tokens.end());
  }

  // What the file held: the tokens it names (columns, or tokens of any part:
  // every watched token, and of the others the first kMaxNotedTokens), the
  // object types of its parts, and how many parts became rows.
  const std::unordered_set<std::string>& namedTokens() const { return named_; }
  const std::set<int>& objectTypes() const { return types_; }
  long long partsKept() const { return partsKept_; }
  const LowQuantities& lowQuantities() const { return lowQuantities_; }

 private:
  // Notes a kept row whose first %Quantity is an integer below 1.
  void noteQuantity(const QelBomDataRow& row);

  QelBomData* data_;
  bool keepAllTokens_;
  bool templateFilters_;
  std::vector<std::string> hostTokens_;
  long long partsRead_ = 0;
  long long partsKept_ = 0;
  static constexpr std::size_t kMaxNotedTokens = 4096;  // a file may have millions
  std::unordered_set<std::string> watched_;
  std::unordered_set<std::string> named_;
  std::set<int> types_;
  int lastType_ = 0;  // the type noted last (most parts repeat it)
  bool typeNoted_ = false;
  std::unordered_map<std::string, TokenInfo> tokens_;
  TextPool texts_;
  std::vector<std::string> warnings_;
  LowQuantities lowQuantities_;
  long long untypedKept_ = 0;
  MemoryBudget budget_;
  bool countOnly_ = false;  // see counter()
  mutable std::atomic<long long> charged_{0};  // rows charged against budget_
};

// Splits a list of handles at ';' and white space, skipping empty pieces.
QelArray<QelString> splitHandles(std::string_view text);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_BUILDER_H_
