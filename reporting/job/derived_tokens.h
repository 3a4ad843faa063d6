// The quantity tokens a host derives over its model, and how a row is read
// and filled in for them (see host_tokens.h for what each one is).
//
// A Plan, decided before the rows are read, says which derived tokens are
// filled in and which tokens the equal-part match compares; a RowReader reads
// each row's facts (its match values, its quantity, its per-piece figures,
// its assembly); a Filler writes the derived tokens from a group's figures.
#ifndef BOMREPORT_JOB_DERIVED_TOKENS_H_
#define BOMREPORT_JOB_DERIVED_TOKENS_H_

#include <string>
#include <string_view>
#include <vector>

#include "VRKBomEngine.h"
#include "job/assembly_counter.h"
#include "job/token_cache.h"

namespace bomreport {

enum class Derivation { kQuantity, kQuantityInModel, kSum, kAssemblies };

struct DerivedToken {
  const char* name;
  Derivation how;
  const char* source;  // the token it is computed from
};

inline constexpr DerivedToken kDerived[] = {
    {"%Quantity", Derivation::kQuantity, "%Quantity"},
    {"%QuantityInModel", Derivation::kQuantityInModel, "%Quantity"},
    {"%WeightInModel", Derivation::kSum, "%Weight"},
    {"%LengthInModel", Derivation::kSum, "%Length"},
    {"%SawLengthInModel", Derivation::kSum, "%SawLength"},
    {"%ExactWeightInModel", Derivation::kSum, "%ExactWeight"},
    {"%MQuantity", Derivation::kAssemblies, "%MNum"},
};
inline constexpr int kDerivedCount = sizeof(kDerived) / sizeof(kDerived[0]);
inline constexpr int kFirstSum = 2;  // kDerived[kFirstSum + i] is sum i
inline constexpr int kSums = 4;

bool isDerived(std::string_view token);

// What one token of a row is to the merge.
struct TokenRole {
  int keyIndex = -1;  // its place in the match, or -1
  int sumIndex = -1;  // the sum it feeds, or -1
  bool instance = false;
  bool quantity = false;
  bool mark = false;
  bool assembly = false;
};

// What is to be done, decided before the rows are read.
struct Plan {
  std::vector<std::string> keyTokens;  // the match, in the template's order
  std::vector<std::string> instanceTokens;
  std::string assemblyToken;
  bool merge = false;
  bool fill[kDerivedCount] = {};  // by kDerived

  // Whether rows are gathered into groups of equal parts.
  bool grouping() const;
  bool fillsAny() const;
  bool countsAssemblies() const { return fill[kDerivedCount - 1]; }
  TokenRole roleOf(const QelString& token) const;
};

struct KeyEntry {
  int index;
  const QelBomDataValue* value;
};

// The pieces a row or a group stands for, and their figures.
struct PieceFigures {
  long long quantity = 0;
  double sums[kSums] = {};  // quantity × the per-piece figure
  bool hasSum[kSums] = {};
};

// What the merge reads of one row.
struct RowFacts {
  std::vector<KeyEntry> key;  // sorted by index, each index once
  long long quantity = 1;
  double sums[kSums] = {};  // per piece
  bool hasSum[kSums] = {};
  const QelBomDataValue* mark = nullptr;
  const QelBomDataValue* assembly = nullptr;
};

// Adds a row's pieces to a group's figures.
void addFigures(PieceFigures& group, const RowFacts& facts);

class RowReader {
 public:
  explicit RowReader(const Plan& plan) : plan_(plan) {}
  void read(QelBomDataRow& row, RowFacts& facts);

 private:
  const Plan& plan_;
  TokenCache<TokenRole> roles_;
};

class Filler {
 public:
  Filler(const Plan& plan, std::string fileName);

  // The derived tokens of `row` from its group's figures (null: no group)
  // and, for %MQuantity, its mark. `quantity` is the row's own %Quantity.
  // Throws InputError for a count beyond 32 bits.
  void fill(QelBomDataRow& row, const PieceFigures* group, long long quantity,
            const AssemblyCounter& assemblies, const QelBomDataValue* mark) const;
  // Leaves the per-instance tokens out of `row`.
  void dropInstanceTokens(QelBomDataRow& row);

 private:
  bool isInstance(const QelBomDataTuple& tuple);

  const Plan& plan_;
  std::string fileName_;
  std::vector<QelString> tokens_;  // by kDerived
  TokenCache<TokenRole> roles_;
};

}  // namespace bomreport

#endif  // BOMREPORT_JOB_DERIVED_TOKENS_H_
