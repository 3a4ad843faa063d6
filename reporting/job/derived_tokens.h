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

enum class Derivation {
  kQuantity,        // the row's pieces
  kPieces,          // the row's pieces, in the model
  kSum,             // the row's pieces × the per-piece source
  kAssembledPieces, // the row's pieces that lie in an assembly
  kAssembledSum,    // those pieces × the per-piece source
  kPerAssembly,     // that figure in one assembly
  kAssemblies,      // distinct assemblies of the row's mark
};

// The per-piece tokens the figures are summed from, by source index.
inline constexpr const char* kSources[] = {"%Weight", "%Length", "%SawLength", "%ExactWeight",
                                           "%Paint"};
inline constexpr int kSums = sizeof(kSources) / sizeof(kSources[0]);

struct DerivedToken {
  const char* name;
  Derivation how;
  const char* source;  // the token it is computed from
  int sum;             // its index in kSources, -1 for a count
  // The figure in the row's phase: the part's %Phase joins the match, so that
  // a merged row's pieces all lie in its phase and the figure is theirs.
  bool inPhase = false;
};

// The token that makes a row's phase.
inline constexpr const char kPhaseToken[] = "%Phase";

inline constexpr DerivedToken kDerived[] = {
    {"%Quantity", Derivation::kQuantity, "%Quantity", -1},
    {"%QuantityInModel", Derivation::kPieces, "%Quantity", -1},
    {"%WeightInModel", Derivation::kSum, "%Weight", 0},
    {"%LengthInModel", Derivation::kSum, "%Length", 1},
    {"%SawLengthInModel", Derivation::kSum, "%SawLength", 2},
    {"%ExactWeightInModel", Derivation::kSum, "%ExactWeight", 3},
    {"%QuantityInAllAssembly", Derivation::kAssembledPieces, "%Quantity", -1},
    {"%WeightInAllAssembly", Derivation::kAssembledSum, "%Weight", 0},
    {"%ExactWeightInAllAssembly", Derivation::kAssembledSum, "%ExactWeight", 3},
    {"%WeightInAssembly", Derivation::kPerAssembly, "%Weight", 0},
    {"%ExactWeightInAssembly", Derivation::kPerAssembly, "%ExactWeight", 3},
    {"%PaintInAssembly", Derivation::kPerAssembly, "%Paint", 4},
    {"%MQuantity", Derivation::kAssemblies, "%MNum", -1},
    {"%QuantityInPhase", Derivation::kPieces, "%Quantity", -1, true},
    {"%WeightInPhase", Derivation::kSum, "%Weight", 0, true},
    {"%ExactWeightInPhase", Derivation::kSum, "%ExactWeight", 3, true},
    {"%QuantityInAllAssemblyInPhase", Derivation::kAssembledPieces, "%Quantity", -1, true},
    {"%WeightInAllAssemblyInPhase", Derivation::kAssembledSum, "%Weight", 0, true},
    {"%ExactWeightInAllAssemblyInPhase", Derivation::kAssembledSum, "%ExactWeight", 3, true},
};
inline constexpr int kDerivedCount = sizeof(kDerived) / sizeof(kDerived[0]);

// Whether a derivation reads the parts' assembly marks, and their assemblies.
bool readsMarks(Derivation how);
bool readsAssemblies(Derivation how);

bool isDerived(std::string_view token);

// How a real of the match is shown: its value × `scale` rounded is what the
// report shows, in units of its last decimal; × `factor` is in `unit`.
struct DisplayPrecision {
  std::string token;
  double scale = 0.0;
  double factor = 1.0;
  std::string unit;
};

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
  std::vector<DisplayPrecision> keyPrecisions;  // by keyTokens; scale 0: matched exactly
  std::vector<std::string> instanceTokens;
  std::string assemblyToken;
  bool merge = false;
  bool fill[kDerivedCount] = {};  // by kDerived

  bool fillsAny() const;
  // Whether a derived token to fill in reads the marks, or the assemblies.
  bool readsMarks() const;
  bool readsAssemblies() const;
  bool countsMarkAssemblies() const {
    for (int i = 0; i < kDerivedCount; ++i) {
      if (fill[i] && kDerived[i].how == Derivation::kAssemblies) return true;
    }
    return false;
  }
  TokenRole roleOf(const QelString& token) const;
};

// A value of the match. A real of a token shown in a unit matches as it is
// shown: by `shown`, its value rounded to the shown decimals.
struct KeyEntry {
  int index;
  const QelBomDataValue* value;
  bool byDisplay = false;
  long long shown = 0;  // byDisplay: round(value × the token's display scale)
};


// The pieces a row or a group stands for, and their figures: all of them,
// and those that lie in an assembly (parts with an assembly mark).
struct PieceFigures {
  long long quantity = 0;
  double sums[kSums] = {};  // quantity × the per-piece figure
  bool hasSum[kSums] = {};
  long long assembledQuantity = 0;
  double assembledSums[kSums] = {};
  bool hasAssembledSum[kSums] = {};
  int assemblies = 0;  // distinct assemblies the assembled pieces lie in
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

// Adds a row's pieces to a group's figures (its assemblies are counted by
// the caller).
void addFigures(PieceFigures& group, const RowFacts& facts);

class RowReader {
 public:
  explicit RowReader(const Plan& plan) : plan_(plan) {}
  void read(QelBomDataRow& row, RowFacts& facts);

 private:
  KeyEntry keyEntry(int index, const QelBomDataValue& value) const;

  const Plan& plan_;
  TokenCache<TokenRole> roles_;
};

class Filler {
 public:
  Filler(const Plan& plan, std::string fileName);

  // The derived tokens of `row` from the figures of the pieces it stands
  // for and, for %MQuantity, its mark's assemblies (-1: it has no mark).
  // Throws InputError for a count beyond 32 bits.
  void fill(QelBomDataRow& row, const PieceFigures& figures, int markAssemblies) const;
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
