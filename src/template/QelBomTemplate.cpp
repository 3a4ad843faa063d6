// The template root: its units object, the token trace and the filter types.
#include "QelBomTemplate.h"

#include "QelBomValues.h"

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
      sections.append(static_cast<QelBomTemplateItem*>(node));
    }
  }
}

// Appends `text` unless `trace` already holds an equal text; true when
// appended.
bool appendIfNew(QelArray<QelString>& trace, const QelString& text) {
  for (int i = 0; i < trace.count(); ++i) {
    if (trace[i] == text) return false;
  }
  trace.append(text);
  return true;
}

// A directive's argument: the text without its first (prefix length)
// characters.
QelString argumentOf(const QelString& token, const QelString& prefix) {
  return token.right(token.length() - prefix.length());
}

}  // namespace

QelBomTemplate::QelBomTemplate()
    : QelBomTemplateItem(kBomTemplate), m_pTemplateUnits(new QelBomTemplateUnits()) {}

// Each template owns a units object of its own: a copy gets a deep copy.
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

void QelBomTemplate::traceSection(QelBomTemplateItem& section, QelArray<QelString>& trace) {
  const QelArray<QelBomDataTuple>& tuples = section.getData();
  for (int i = 0; i < tuples.count(); ++i) {
    const QelString& token = tuples[i].token().token();
    // A token already traced contributes nothing, not even its summed token.
    if (!appendIfNew(trace, token)) continue;
    if (token.find(QelBomDataToken::kSumPrefix) != -1) {
      appendIfNew(trace, argumentOf(token, QelBomDataToken::kSumPrefix));
    }
  }

  // Every section is visited, so each rebuilds only itself: the lists end as
  // findGroupingTokens / findSortingTokens would leave them, without
  // rebuilding a chain of nested group headers once per level.
  section.rebuildGroupingTokens();
  section.rebuildSortingTokens();

  const QelArray<QelString>& grouping = section.groupingTokens();
  for (int i = 0; i < grouping.count(); ++i) appendIfNew(trace, grouping[i]);

  const QelArray<QelString>& sorting = section.sortingTokens();
  for (int i = 0; i < sorting.count(); ++i) {
    QelString key = sorting[i];
    int ascending = 0;
    QelBomDataToken::removeSortingPrefix(key, ascending);  // keys without a prefix stay as they are
    appendIfNew(trace, key);
  }
}

int QelBomTemplate::getTokenTrace(QelArray<QelString>& trace) {
  SectionList sections;
  collectSections(this, sections);
  for (int i = 0; i < sections.count(); ++i) traceSection(*sections[i], trace);
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
