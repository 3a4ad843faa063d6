// QelBomTemplate: the root of a report template. Owns its units object; the
// section tree below it is released by the host with empty() before delete.
// A copy gets its own copy of the units object. Not thread-safe.
#ifndef QEL_BOM_TEMPLATE_H_
#define QEL_BOM_TEMPLATE_H_

#include "QelArray.h"
#include "QelBomTemplateItem.h"
#include "QelBomTemplateUnits.h"
#include "QelString.h"
#include "QelUnitsManager.h"
#include "VRKBomEngineExport.h"

class VRK_BOM_ENGINE_API QelBomTemplate : public QelBomTemplateItem {
 public:
  QelBomTemplate();  // type kBomTemplate, a new default units object
  QelBomTemplate(const QelBomTemplate& other);
  QelBomTemplate& operator=(const QelBomTemplate& other);
  ~QelBomTemplate() override;  // deletes the units object, not the sections

  const QelBomTemplateUnits* getBomTemplateUnits() const noexcept { return m_pTemplateUnits; }
  // For the host's own AddTokenType entries.
  QelBomTemplateUnits* getBomTemplateUnits() noexcept { return m_pTemplateUnits; }

  // Binds the units object to `manager` (skipped when null) and enters the
  // standard table of 25 token unit types.
  void setUnitsForTokens(const QelUnitsManager* manager);
  // Appends, without duplicates (exact equality, `trace` included), the tokens
  // every section uses, sections breadth-first; rebuilds every section's
  // grouping and sorting tokens on the way. Returns 1.
  int getTokenTrace(QelArray<QelString>& trace);
  // Appends every section's filter object types, breadth-first, duplicates
  // kept. Returns 1.
  int getFilterObjTypes(QelIntArray& types);

  // The default template: a filtering report header, two nested group levels
  // that group, sort and sum, and a details section. The caller owns it.
  static QelBomTemplate* createDefaultTemplate();

 private:
  // Rebuilds the grouping and sorting tokens of `section` alone.
  static void rebuildSectionLists(QelBomTemplateItem& section);

  QelBomTemplateUnits* m_pTemplateUnits;  // owned
};

#endif  // QEL_BOM_TEMPLATE_H_
