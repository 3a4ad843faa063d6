// Deterministic generator of realistic steel parts for benchmarks.
//
// A model of `count` parts built the way steel models are: assemblies are
// instances of a limited set of assembly types, and every instance of a type
// carries the same mark ("%MNum") and the same parts: one main member (a beam
// or a column), a few plates, and bolts in quantity. Positions ("%PosNum"
// integers) are shared: a position always has the same profile, material,
// length and weight, plates and bolts recur across types, so most parts repeat
// a position. Instances come in a random order, and every part has ten tuples.
// The same seed and count always give the same parts.
#ifndef BOM_BENCH_PARTS_GENERATOR_H_
#define BOM_BENCH_PARTS_GENERATOR_H_

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

class QelBomData;
class QelBomTemplate;

namespace bombench {

// Object-type codes the generator uses (the host's codes for its objects).
enum PartKind { kBeam = 1, kColumn = 2, kPlate = 3, kBolt = 4 };

struct Part {
  int handle = 0;
  int kind = kBeam;
  std::string assembly;  // %MNum
  int position = 0;      // %PosNum
  std::string profile;   // %Name
  std::string material;  // %Material
  double length = 0;     // %Length, mm
  double weight = 0;     // %Weight, kg
  int quantity = 1;      // %Quantity
  std::string phase;     // %Phase
  std::string klass;     // %Class
  double width = 0;      // %Width, mm
};

class PartsGenerator {
 public:
  PartsGenerator(std::uint64_t seed, int count);

  // The next part; false after `count` parts.
  bool next(Part& part);

 private:
  void startAssembly();
  void describePosition(int position, Part& part) const;

  std::mt19937_64 m_rng;
  int m_count;
  int m_produced;
  std::vector<std::vector<int>> m_types;  // the positions of each assembly type, in order
  int m_type;                             // the type of the current instance
  int m_next;                             // the next part of the current instance
};

// The CSV header and one line per part, in the format bomreport reads.
void writePartsCsv(std::ostream& out, std::uint64_t seed, int count);

// A data set holding `count` generated parts (ten tuples each). The caller
// owns it: empty() then delete.
QelBomData* buildPartsData(std::uint64_t seed, int count);

// The four-level parts template: a report header filtering beams, columns,
// plates and bolts; a group by assembly; a group by position sorted by
// material and profile; a details line of eight tokens; footers summing
// weight, length and quantity. Units bound to the current units, traced.
// The caller owns it: empty() then delete.
QelBomTemplate* buildPartsTemplate();

}  // namespace bombench

#endif  // BOM_BENCH_PARTS_GENERATOR_H_
