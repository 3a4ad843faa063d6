// QelBomTemplateItem: one section of a report template, and one evaluated item
// of the output.
//
// Shape of a template: a section's first child is the section one level in,
// the next sibling of that child is its closing section (a group header's
// group footer, a report header's report footer).
//
// A section derives three lists from its own tuples on request (find*): the
// grouping tokens, the sorting tokens and the filter object types. The lists
// are not kept in step with the tuples; QelBomTemplate::getTokenTrace rebuilds
// the first two for every section, and the evaluator only reads them.
//
// Sections are heap objects owned by the tree they are linked into (release
// with empty() on the root). Not thread-safe.
#ifndef QEL_BOM_TEMPLATE_ITEM_H_
#define QEL_BOM_TEMPLATE_ITEM_H_

#include "QelArray.h"
#include "QelBomItems.h"
#include "QelString.h"
#include "VRKBomEngineExport.h"

class VRK_BOM_ENGINE_API QelBomTemplateItem : public QelBomItemBase {
 public:
  enum eTemplateItemType {
    kUnkTemplateItemType = 0,
    kBomTemplate = 1,
    kReportHeader = 2,
    kPageHeader = 3,
    kGroupHeader = 4,
    kDetails = 5,
    kGroupFooter = 6,
    kPageFooter = 7,
    kReportFooter = 8
  };

  QelBomTemplateItem();
  explicit QelBomTemplateItem(eTemplateItemType type);
  // Links copied as pointers, tuples and the three lists deep, type and first
  // data row copied.
  QelBomTemplateItem(const QelBomTemplateItem& other);
  QelBomTemplateItem& operator=(const QelBomTemplateItem& other);
  ~QelBomTemplateItem() override;

  // Writes the section label (for types 0 to 8), then the base listing.
  int list(QelString& text, int level, int withChildren, int withSiblings) const override;

  // The label list() writes for `type` ("[ kGroupHeader ]"), or an empty text
  // for a value outside 0 to 8.
  static QelString typeLabel(int type);

  eTemplateItemType type() const noexcept { return m_eType; }
  void setType(eTemplateItemType type) noexcept { m_eType = type; }

  // The first direct child of type `type`, or null.
  QelBomTemplateItem* getSubItemAt(eTemplateItemType type) const;

  // Each rebuilds its list from this section's tuples, then descends into the
  // first kGroupHeader child (only the first) and does the same; returns 1.
  int findGroupingTokens();
  int findSortingTokens();
  int findFilterObjTypes();

  const QelArray<QelString>& groupingTokens() const noexcept { return m_arrGroupingTokens; }
  const QelArray<QelString>& sortingTokens() const noexcept { return m_arrSortingTokens; }
  const QelIntArray& filterObjTypes() const noexcept { return m_arrFilterObjTypes; }

  // In an evaluated item: the row that opened its group; not owned.
  QelBomDataRow* getFirstDataRow() const noexcept { return m_pFirstDataRow; }
  void setFirstDataRow(QelBomDataRow* row) noexcept { m_pFirstDataRow = row; }

 protected:
  void appendLabel(QelString& text) const override;

 private:
  friend class QelBomTemplate;  // rebuilds every section once when it walks them all

  // Rebuild the list of this section only.
  void rebuildGroupingTokens();
  void rebuildSortingTokens();
  void rebuildFilterObjTypes();

  eTemplateItemType m_eType;
  QelArray<QelString> m_arrGroupingTokens;
  QelArray<QelString> m_arrSortingTokens;
  QelIntArray m_arrFilterObjTypes;
  QelBomDataRow* m_pFirstDataRow;
};

#endif  // QEL_BOM_TEMPLATE_ITEM_H_
