// Template sections: section type, the lists derived from the tuples, labels.
#include "QelBomTemplateItem.h"

namespace {

// Indexed by eTemplateItemType; every label but the first is 16 characters.
const char16_t* const kTypeLabels[] = {
    u"[ kUnkTemplateItemType ]", u"[ kBomTemplate ]", u"[ kReportHeader]",
    u"[ kPageHeader  ]",         u"[ kGroupHeader ]", u"[ kDetails     ]",
    u"[ kGroupFooter ]",         u"[ kPageFooter  ]", u"[ kReportFooter]"};
constexpr int kTypeLabelCount = sizeof(kTypeLabels) / sizeof(kTypeLabels[0]);

// Every node linked below a section is itself a section (template or output
// tree), so the links are read as sections.
QelBomTemplateItem* asSection(QelBomItemBase* node) {
  return static_cast<QelBomTemplateItem*>(node);
}

// The first direct child of `section` that is a group header, or null.
QelBomTemplateItem* firstGroupHeaderChild(const QelBomTemplateItem& section) {
  return section.getSubItemAt(QelBomTemplateItem::kGroupHeader);
}

}  // namespace

QelBomTemplateItem::QelBomTemplateItem() : QelBomTemplateItem(kUnkTemplateItemType) {}

QelBomTemplateItem::QelBomTemplateItem(eTemplateItemType type)
    : m_eType(type), m_pFirstDataRow(nullptr) {}

// Member by member. QelArray's copy gives up the old storage and takes the
// source's count, grow step and elements.
QelBomTemplateItem::QelBomTemplateItem(const QelBomTemplateItem& other) = default;
QelBomTemplateItem& QelBomTemplateItem::operator=(const QelBomTemplateItem& other) = default;

QelBomTemplateItem::~QelBomTemplateItem() = default;

QelString QelBomTemplateItem::typeLabel(int type) {
  if (type < 0 || type >= kTypeLabelCount) return QelString();
  return QelString(kTypeLabels[type]);
}

void QelBomTemplateItem::appendLabel(QelString& text) const {
  const int type = static_cast<int>(m_eType);
  if (type >= 0 && type < kTypeLabelCount) text += QelString(kTypeLabels[type]);
}

int QelBomTemplateItem::list(QelString& text, int level, int withChildren, int withSiblings) const {
  // The base walker writes each node's label (appendLabel) before its tuples,
  // this node's included.
  return QelBomItemBase::list(text, level, withChildren, withSiblings);
}

QelBomTemplateItem* QelBomTemplateItem::getSubItemAt(eTemplateItemType type) const {
  for (QelBomItemBase* node = m_pChild; node != nullptr; node = node->next()) {
    QelBomTemplateItem* section = asSection(node);
    if (section->m_eType == type) return section;
  }
  return nullptr;
}

// Each find* rebuilds this section and the chain of first group-header
// children below it; the rebuild* operations do one section.
int QelBomTemplateItem::findGroupingTokens() {
  for (QelBomTemplateItem* at = this; at != nullptr; at = firstGroupHeaderChild(*at)) {
    at->rebuildGroupingTokens();
  }
  return 1;
}

int QelBomTemplateItem::findSortingTokens() {
  for (QelBomTemplateItem* at = this; at != nullptr; at = firstGroupHeaderChild(*at)) {
    at->rebuildSortingTokens();
  }
  return 1;
}

int QelBomTemplateItem::findFilterObjTypes() {
  for (QelBomTemplateItem* at = this; at != nullptr; at = firstGroupHeaderChild(*at)) {
    at->rebuildFilterObjTypes();
  }
  return 1;
}

void QelBomTemplateItem::rebuildGroupingTokens() {
  m_arrGroupingTokens.removeAll();
  for (int i = 0; i < m_arrData.count(); ++i) {
    QelString token;
    if (m_arrData[i].token().getGroupingRequest(token) == 1) m_arrGroupingTokens.append(token);
  }
}

void QelBomTemplateItem::rebuildSortingTokens() {
  m_arrSortingTokens.removeAll();
  for (int i = 0; i < m_arrData.count(); ++i) {
    QelArray<QelString> pieces;
    if (m_arrData[i].token().getSortingRequest(pieces) != 0 && pieces.count() > 0) {
      m_arrSortingTokens.appendArray(pieces);
    }
  }
}

void QelBomTemplateItem::rebuildFilterObjTypes() {
  m_arrFilterObjTypes.removeAll();
  for (int i = 0; i < m_arrData.count(); ++i) {
    QelIntArray types;
    if (m_arrData[i].token().getFilteringRequest(types) != 0 && types.count() > 0) {
      m_arrFilterObjTypes.appendArray(types);
    }
  }
}
