#include "PartsGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "VRKBomEngine.h"

namespace bombench {
namespace {

struct Profile {
  const char* name;
  PartKind kind;
  double kgPerMetre;
  double width;
};

constexpr Profile kProfiles[] = {
    {"HEA200", kColumn, 42.3, 200},  {"HEA300", kColumn, 88.3, 300},
    {"HEB240", kColumn, 83.2, 240},  {"IPE200", kBeam, 22.4, 100},
    {"IPE300", kBeam, 42.2, 150},    {"IPE400", kBeam, 66.3, 180},
    {"UPN160", kBeam, 18.8, 65},     {"L80*8", kBeam, 9.66, 80},
    {"PL10*200", kPlate, 15.7, 200}, {"PL15*250", kPlate, 29.4, 250},
    {"PL20*300", kPlate, 47.1, 300}, {"M16", kBolt, 0.0, 16},
    {"M20", kBolt, 0.0, 20},         {"M24", kBolt, 0.0, 24},
};
constexpr int kProfileCount = sizeof(kProfiles) / sizeof(kProfiles[0]);
constexpr const char* kSteel[] = {"S235JR", "S275JR", "S355J2", "S355JR", "S460M"};
constexpr const char* kBoltGrades[] = {"8.8", "10.9"};

}  // namespace

// Position numbers: 1 to 6 are bolts, 7 to 606 plates, 1001 and up main
// members (one per assembly type).
constexpr int kBoltPositions = 6;
constexpr int kPlatePositions = 600;
constexpr int kFirstMainPosition = 1001;

bool shapeFromName(const std::string& name, Shape& shape) {
  for (Shape candidate : {Shape::kRepetitive, Shape::kCatalogue, Shape::kFlat}) {
    if (name == shapeName(candidate)) {
      shape = candidate;
      return true;
    }
  }
  return false;
}

const char* shapeName(Shape shape) {
  switch (shape) {
    case Shape::kCatalogue:
      return "catalogue";
    case Shape::kFlat:
      return "flat";
    default:
      return "repetitive";
  }
}

PartsGenerator::PartsGenerator(std::uint64_t seed, int count, Shape shape, Traits traits)
    : m_rng(seed),
      m_shape(shape),
      m_traits(traits),
      m_count(count),
      m_produced(0),
      m_assemblies(0),
      m_type(0),
      m_next(0),
      m_size(0),
      m_catalogue(std::max(1, count / 25)) {
  if (shape != Shape::kRepetitive) {
    startAssembly();
    return;
  }
  // About 18 parts per instance and 50 instances per type.
  const int typeCount = std::max(4, count / 900);
  for (int t = 0; t < typeCount; ++t) {
    std::vector<int> positions{kFirstMainPosition + t};
    const int plates = 2 + static_cast<int>(m_rng() % 3);
    for (int p = 0; p < plates; ++p) {
      const int plate = kBoltPositions + 1 + static_cast<int>(m_rng() % kPlatePositions);
      positions.insert(positions.end(), 1 + m_rng() % 2, plate);
    }
    const int boltKinds = 1 + static_cast<int>(m_rng() % 2);
    for (int b = 0; b < boltKinds; ++b) {
      const int bolt = 1 + static_cast<int>(m_rng() % kBoltPositions);
      positions.insert(positions.end(), 4 + m_rng() % 9, bolt);
    }
    m_types.push_back(positions);
  }
  startAssembly();
}

void PartsGenerator::startAssembly() {
  ++m_assemblies;
  m_next = 0;
  if (m_shape == Shape::kRepetitive) {
    m_type = static_cast<int>(m_rng() % m_types.size());
    m_size = static_cast<int>(m_types[static_cast<size_t>(m_type)].size());
  } else {
    m_size = 20 + static_cast<int>(m_rng() % 41);  // 20 to 60 parts, 40 on average
  }
}

// Catalogue positions are numbered from 1 in order of popularity and drawn
// log-uniformly: position p is chosen about 1/p as often as position 1.
int PartsGenerator::nextPosition() {
  switch (m_shape) {
    case Shape::kRepetitive:
      return m_types[static_cast<size_t>(m_type)][static_cast<size_t>(m_next)];
    case Shape::kCatalogue: {
      const double u = std::uniform_real_distribution<double>(0.0, 1.0)(m_rng);
      const int drawn = static_cast<int>(std::pow(static_cast<double>(m_catalogue) + 1.0, u));
      return std::min(std::max(drawn, 1), m_catalogue);
    }
    default:
      return m_produced;  // every part its own position
  }
}

// A position's profile: in the repetitive shape by its number range (bolts,
// plates, main members); otherwise drawn from the position's hash, about a
// quarter of the positions bolts, half plates, a quarter main members.
static const Profile& profileOf(Shape shape, int position, unsigned mix) {
  if (shape == Shape::kRepetitive) {
    return position <= kBoltPositions      ? kProfiles[11 + position % 3]
           : position < kFirstMainPosition ? kProfiles[8 + (mix >> 8) % 3]
                                           : kProfiles[(mix >> 8) % 8];
  }
  const unsigned kind = (mix >> 24) % 4;
  return kind == 0   ? kProfiles[11 + (mix >> 8) % 3]
         : kind == 3 ? kProfiles[(mix >> 8) % 8]
                     : kProfiles[8 + (mix >> 8) % 3];
}

// With every part kept, a bolt position is a plate instead.
static const Profile& keptProfileOf(Shape shape, int position, unsigned mix, bool allKept) {
  const Profile& profile = profileOf(shape, position, mix);
  return allKept && profile.kind == kBolt ? kProfiles[8 + (mix >> 8) % 3] : profile;
}

void PartsGenerator::describePosition(int position, Part& part) const {
  const unsigned mix = static_cast<unsigned>(position) * 2654435761u;
  const Profile& profile = keptProfileOf(m_shape, position, mix, m_traits.allKept);
  part.kind = profile.kind;
  part.profile = profile.name;
  part.width = profile.width;
  if (profile.kind == kBolt) {
    part.material = kBoltGrades[position % 2];
    part.length = 40 + 10 * static_cast<double>(position % 8);
    part.weight = 0.05 * profile.width * part.length / 40.0;
  } else {
    part.material = kSteel[(mix >> 4) % 5];
    part.length = 150 + 50 * static_cast<double>((mix >> 12) % 240);
    part.weight = profile.kgPerMetre * part.length / 1000.0;
  }
  part.klass = std::to_string(1 + (mix >> 20) % 9);
}

int PartsGenerator::nextMark() {
  if (m_shape == Shape::kRepetitive) return m_type + 1;
  if (!m_traits.scattered) return m_assemblies;
  const auto marks = static_cast<std::uint64_t>(std::max(1, m_count / 40));
  return 1 + static_cast<int>(m_rng() % marks);
}

bool PartsGenerator::next(Part& part) {
  if (m_produced >= m_count) return false;
  ++m_produced;
  part.handle = m_produced;
  // In the repetitive shape a mark names an assembly type; otherwise every
  // assembly has a mark of its own.
  const int mark = nextMark();
  part.assembly = "A" + std::to_string(mark);
  part.position = nextPosition();
  describePosition(part.position, part);
  part.quantity = 1;
  part.phase = std::to_string(1 + (mark - 1) % 5);  // a mark is erected in one phase
  if (++m_next == m_size) startAssembly();
  return true;
}

void writePartsCsv(std::ostream& out, std::uint64_t seed, int count, Shape shape, Traits traits) {
  out << "#handle,#type,%MNum,%PosNum,%Name,%Material,%Length,%Weight,%Quantity,%Phase,%Class,"
         "%Width\n";
  PartsGenerator generator(seed, count, shape, traits);
  Part part;
  char numbers[64];
  while (generator.next(part)) {
    out << part.handle << ',' << part.kind << ',' << part.assembly << ',' << part.position << ','
        << part.profile << ',' << part.material << ',';
    std::snprintf(numbers, sizeof(numbers), "%.1f,%.3f,", part.length, part.weight);
    out << numbers << part.quantity << ',' << part.phase << ',' << part.klass << ',';
    std::snprintf(numbers, sizeof(numbers), "%.1f\n", part.width);
    out << numbers;
  }
}

QelBomData* buildPartsData(std::uint64_t seed, int count, Shape shape, Traits traits) {
  const QelString mnum(u"%MNum"), pos(u"%PosNum"), name(u"%Name"), material(u"%Material"),
      length(u"%Length"), weight(u"%Weight"), quantity(u"%Quantity"), phase(u"%Phase"),
      klass(u"%Class"), width(u"%Width");
  QelBomData* data = new QelBomData();
  PartsGenerator generator(seed, count, shape, traits);
  Part part;
  while (generator.next(part)) {
    QelBomDataRow* row = new QelBomDataRow();
    QelString handle;
    handle.format("%d", part.handle);
    row->setObjectHandle(handle);
    row->getData().setCapacity(10);
    row->addData(QelBomDataTuple(mnum, QelString::fromUtf8(part.assembly)));
    row->addData(QelBomDataTuple(pos, part.position));
    row->addData(QelBomDataTuple(name, QelString::fromUtf8(part.profile)));
    row->addData(QelBomDataTuple(material, QelString::fromUtf8(part.material)));
    row->addData(QelBomDataTuple(length, part.length));
    row->addData(QelBomDataTuple(weight, part.weight));
    row->addData(QelBomDataTuple(quantity, part.quantity));
    row->addData(QelBomDataTuple(phase, QelString::fromUtf8(part.phase)));
    row->addData(QelBomDataTuple(klass, QelString::fromUtf8(part.klass)));
    row->addData(QelBomDataTuple(width, part.width));
    data->addChild(row);
  }
  return data;
}

namespace {

QelBomTemplateItem* section(QelBomTemplateItem::eTemplateItemType type,
                            std::initializer_list<const char16_t*> textTokens,
                            std::initializer_list<const char16_t*> valueTokens) {
  auto* item = new QelBomTemplateItem(type);
  for (const char16_t* token : textTokens) item->addData(QelBomDataTuple(token, QelString()));
  for (const char16_t* token : valueTokens) item->addData(QelBomDataTuple(token, 0));
  return item;
}

}  // namespace

QelBomTemplate* buildPartsTemplate() {
  using T = QelBomTemplateItem;
  auto* templ = new QelBomTemplate();
  T* report = section(T::kReportHeader, {u"%FilterBy: 1, 2, 3, 4"}, {});
  T* reportFooter =
      section(T::kReportFooter, {}, {u"%SumBy:%Weight", u"%SumBy:%Length", u"%SumBy:%Quantity"});
  T* assembly =
      section(T::kGroupHeader, {u"%GroupBy:%MNum", u"%SortAscBy:%MNum"}, {u"%MNum", u"%Phase"});
  T* assemblyFooter =
      section(T::kGroupFooter, {}, {u"%SumBy:%Weight", u"%SumBy:%Length", u"%SumBy:%Quantity"});
  T* position =
      section(T::kGroupHeader, {u"%GroupBy:%PosNum", u"%SortAscBy:%Material,%Name,%PosNum"},
              {u"%PosNum", u"%Name", u"%Material"});
  T* positionFooter =
      section(T::kGroupFooter, {}, {u"%SumBy:%Weight", u"%SumBy:%Length", u"%SumBy:%Quantity"});
  T* details = section(T::kDetails, {},
                       {u"%PosNum", u"%Name", u"%Material", u"%Length", u"%Weight", u"%Quantity",
                        u"%Phase", u"%Class"});
  templ->addChild(report);
  templ->addChild(reportFooter);
  report->addChild(assembly);
  report->addChild(assemblyFooter);
  assembly->addChild(position);
  assembly->addChild(positionFooter);
  position->addChild(details);

  QelUnitsManager units;
  templ->setUnitsForTokens(&units);
  QelArray<QelString> trace;
  templ->getTokenTrace(trace);
  return templ;
}

}  // namespace bombench
