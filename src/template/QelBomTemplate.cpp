// The template root: its units object, the token trace and the filter types.
#include "QelBomTemplate.h"

#include "QelBomValues.h"
#include "QelStringHashMap.h"

namespace {

using SectionList = QelArray<QelBomTemplateItem*>;

struct StandardTokenUnit {
  const char16_t* token;
  QelBomTemplateUnits::eTokenUnitType type;
};

// Entered by setUnitsForTokens, in this order.
const StandardTokenUnit kStandardTokenUnits[] = {
    {u"%Length", QelBomTemplateUnits::kDistanceUnit},
    {u"%SysLength", QelBomTemplateUnits::kDistanceUnit},
    {u"%SawLength", QelBomTemplateUnits::kDistanceUnit},
    {u"%CurvedBeamRadius", QelBomTemplateUnits::kDistanceUnit},
    {u"%Diameter", QelBomTemplateUnits::kDistanceUnit},
    {u"%Thick", QelBomTemplateUnits::kDistanceUnit},
    {u"%Width", QelBomTemplateUnits::kDistanceUnit},
    {u"%contourLength", QelBomTemplateUnits::kDistanceUnit},
    {u"%LengthInModel", QelBomTemplateUnits::kDistanceUnit},
    {u"%SawLengthInModel", QelBomTemplateUnits::kDistanceUnit},
    {u"%Weight", QelBomTemplateUnits::kWeightUnit},
    {u"%WeightInAssembly", QelBomTemplateUnits::kWeightUnit},
    {u"%WeightInAllAssembly", QelBomTemplateUnits::kWeightUnit},
    {u"%WeightInAllAssemblyInPhase", QelBomTemplateUnits::kWeightUnit},
    {u"%WeightInPhase", QelBomTemplateUnits::kWeightUnit},
    {u"%WeightInModel", QelBomTemplateUnits::kWeightUnit},
    {u"%ExactWeight", QelBomTemplateUnits::kWeightUnit},
    {u"%ExactWeightInAssembly", QelBomTemplateUnits::kWeightUnit},
    {u"%ExactWeightInAllAssembly", QelBomTemplateUnits::kWeightUnit},
    {u"%ExactWeightInAllAssemblyInPhase", QelBomTemplateUnits::kWeightUnit},
    {u"%ExactWeightInPhase", QelBomTemplateUnits::kWeightUnit},
    {u"%ExactWeightInModel", QelBomTemplateUnits::kWeightUnit},
    {u"%Area", QelBomTemplateUnits::kAreaUnit},
    {u"%Paint", QelBomTemplateUnits::kAreaUnit},
    {u"%PaintInAssembly", QelBomTemplateUnits::kAreaUnit},
};

// Fills `sections` with `root` and all its descendants, breadth-first: the
// root, then every section of depth 1, then of depth 2, each level in tree
// order. Nodes below a template are sections.
void collectSections(QelBomTemplateItem* root, SectionList& sections) {
  sections.setCapacity(8);
  sections.append(root);
  for (int i = 0; i < sections.count(); ++i) {
    for (QelBomItemBase* node = sections[i]->child(); node != nullptr; node = node->next()) {
      sections.appendGrowing(static_cast<QelBomTemplateItem*>(node));
    }
  }
}

// Collects the texts new to a token trace. A template may use a million
// distinct tokens, so the texts seen are kept in a hash map and the new ones
// in an array that grows geometrically; finish() appends them to the trace in
// one step, which leaves the trace's capacity as appending them one by one
// would.
class TraceBuilder {
 public:
  explicit TraceBuilder(QelArray<QelString>& trace) : m_trace(trace) {
    m_seen.resize(trace.count());
    for (const QelString& text : trace) m_seen.insert(text, 0);
  }

  // True when `text` is new.
  bool add(const QelString& text) {
    if (!m_seen.insert(text, 0).second) return false;
    m_added.appendGrowing(text);
    return true;
  }

  // The section's tuple tokens, each followed by its summed token.
  void addTuples(const QelBomTemplateItem& section);
  // The section's grouping tokens and sort keys (as last rebuilt).
  void addLists(const QelBomTemplateItem& section);

  void finish() { m_trace.appendArray(m_added); }

 private:
  QelArray<QelString>& m_trace;
  QelStringHashMap m_seen;
  QelArray<QelString> m_added;
};

void TraceBuilder::addTuples(const QelBomTemplateItem& section) {
  for (const QelBomDataTuple& tuple : section.getData()) {
    const QelString& token = tuple.token().token();
    // A token already traced contributes nothing, not even its summed token.
    if (!add(token)) continue;
    QelString summed;
    if (QelBomDataToken::summingRequestOf(token, summed) == 1) add(summed);
  }
}

void TraceBuilder::addLists(const QelBomTemplateItem& section) {
  for (const QelString& token : section.groupingTokens()) add(token);
  for (QelString key : section.sortingTokens()) {
    int ascending = 0;
    QelBomDataToken::removeSortingPrefix(key, ascending);  // keys without a prefix stay as they are
    add(key);
  }
}

}  // namespace

QelBomTemplate::QelBomTemplate()
    : QelBomTemplateItem(kBomTemplate), m_pTemplateUnits(new QelBomTemplateUnits()) {}

// Written out because each template owns a units object of its own: a copy
// gets a deep copy, where a defaulted copy would share the pointer.
QelBomTemplate::QelBomTemplate(const QelBomTemplate& other)
    : QelBomTemplateItem(other),
      m_pTemplateUnits(new QelBomTemplateUnits(*other.m_pTemplateUnits)) {}

// The target keeps its own units object and takes the source's content.
QelBomTemplate& QelBomTemplate::operator=(const QelBomTemplate& other) {
  if (this == &other) return *this;
  QelBomTemplateItem::operator=(other);
  *m_pTemplateUnits = *other.m_pTemplateUnits;
  return *this;
}

QelBomTemplate::~QelBomTemplate() {
  delete m_pTemplateUnits;
  m_pTemplateUnits = nullptr;
}

void QelBomTemplate::setUnitsForTokens(const QelUnitsManager* manager) {
  if (manager != nullptr) m_pTemplateUnits->setUnits(manager);
  for (const StandardTokenUnit& entry : kStandardTokenUnits) {
    m_pTemplateUnits->AddTokenType(QelString(entry.token), entry.type);
  }
}

void QelBomTemplate::rebuildSectionLists(QelBomTemplateItem& section) {
  section.rebuildGroupingTokens();
  section.rebuildSortingTokens();
}

int QelBomTemplate::getTokenTrace(QelArray<QelString>& trace) {
  SectionList sections;
  collectSections(this, sections);
  TraceBuilder builder(trace);
  // Every section is visited, so each rebuilds only itself: the lists end as
  // findGroupingTokens / findSortingTokens would leave them, without
  // rebuilding a chain of nested group headers once per level.
  for (int i = 0; i < sections.count(); ++i) {
    builder.addTuples(*sections[i]);
    rebuildSectionLists(*sections[i]);
    builder.addLists(*sections[i]);
  }
  builder.finish();
  return 1;
}

int QelBomTemplate::getFilterObjTypes(QelIntArray& types) {
  SectionList sections;
  collectSections(this, sections);
  for (int i = 0; i < sections.count(); ++i) {
    sections[i]->rebuildFilterObjTypes();
    types.appendArray(sections[i]->filterObjTypes());
  }
  return 1;
}
