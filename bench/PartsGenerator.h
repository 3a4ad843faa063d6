// Deterministic generator of steel parts for benchmarks, in three shapes that
// stress different things:
//
//   repetitive  assemblies are instances of a limited set of assembly types
//               (about 50 instances per type), and every instance of a type
//               carries the same mark ("%MNum") and the same parts: one main
//               member, a few plates, bolts in quantity. Positions are shared
//               across types, so nearly every part repeats a details line.
//   catalogue   about count/25 positions in a catalogue; assemblies of about 40
//               parts, each with a mark of its own, draw their parts' positions
//               with a heavy-tailed choice (a few positions are very common,
//               most are rare). Some lines repeat, most are kept.
//   flat        every part is its own position: nothing repeats.
//
// Two traits make a catalogue or flat model harder, as real flat models are
// (Traits below): every part kept by the comparison job's filter (no bolts,
// object type 4), and the parts of one assembly scattered through the file
// (each part's assembly mark drawn at random), so that the sorted walk is
// random in memory.
//
// A position ("%PosNum" integer) always has the same profile, material,
// length and weight. Every part has ten tuples. The same shape, seed and count
// always give the same parts.
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

enum class Shape { kRepetitive, kCatalogue, kFlat };

struct Traits {
  // No bolts: a position that would be a bolt is a plate.
  bool allKept = false;
  // Catalogue and flat: each part's assembly mark drawn at random among
  // count/40 marks (about the number of assemblies) instead of assemblies
  // following one another.
  bool scattered = false;
};

// "repetitive", "catalogue", "flat"; false for another name.
bool shapeFromName(const std::string& name, Shape& shape);
const char* shapeName(Shape shape);

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
  // `traits.scattered` is ignored in the repetitive shape, whose marks name
  // assembly types.
  PartsGenerator(std::uint64_t seed, int count, Shape shape = Shape::kRepetitive,
                 Traits traits = Traits());

  // The next part; false after `count` parts.
  bool next(Part& part);

 private:
  void startAssembly();
  // The position of the next part of the current assembly.
  int nextPosition();
  void describePosition(int position, Part& part) const;

  // The assembly mark of the part being made.
  int nextMark();

  std::mt19937_64 m_rng;
  Shape m_shape;
  Traits m_traits;
  int m_count;
  int m_produced;
  std::vector<std::vector<int>> m_types;  // repetitive: the positions of each assembly type
  int m_assemblies;                       // assemblies started so far
  int m_type;                             // repetitive: the type of the current assembly
  int m_next;                             // the next part of the current assembly
  int m_size;                             // catalogue and flat: the parts of the current assembly
  int m_catalogue;                        // catalogue: the number of positions
};

// The CSV header and one line per part, in the format bomreport reads.
void writePartsCsv(std::ostream& out, std::uint64_t seed, int count,
                   Shape shape = Shape::kRepetitive, Traits traits = Traits());

// A data set holding `count` generated parts (ten tuples each). The caller
// owns it: empty() then delete.
QelBomData* buildPartsData(std::uint64_t seed, int count, Shape shape = Shape::kRepetitive,
                           Traits traits = Traits());

// The four-level parts template: a report header filtering beams, columns,
// plates and bolts; a group by assembly; a group by position sorted by
// material and profile; a details line of eight tokens; footers summing
// weight, length and quantity. Units bound to the current units, traced.
// The caller owns it: empty() then delete.
QelBomTemplate* buildPartsTemplate();

}  // namespace bombench

#endif  // BOM_BENCH_PARTS_GENERATOR_H_
