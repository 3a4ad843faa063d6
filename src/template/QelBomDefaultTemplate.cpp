// The ready-made default template.
#include <memory>

#include "QelBomTemplate.h"
#include "QelBomValues.h"

namespace {

// A tuple with an empty text value.
QelBomDataTuple textTuple(const char16_t* token) {
  return QelBomDataTuple(QelString(token), QelString());
}

// A tuple with the integer value 0.
QelBomDataTuple intTuple(const char16_t* token) { return QelBomDataTuple(QelString(token), 0); }

}  // namespace

// The shape: template > report header (closed by the report footer) > outer
// group header (closed by its footer) > inner group header (closed by its
// footer) > details. The inner level's "Material" and "Weight" and the
// details' "%posNum" are written exactly so.
QelBomTemplate* QelBomTemplate::createDefaultTemplate() {
  // Held by unique_ptr until complete, so that a failed allocation leaks
  // nothing; the links do not own.
  std::unique_ptr<QelBomTemplate> root(new QelBomTemplate());
  std::unique_ptr<QelBomTemplateItem> sections[] = {
      std::make_unique<QelBomTemplateItem>(kReportHeader),
      std::make_unique<QelBomTemplateItem>(kReportFooter),
      std::make_unique<QelBomTemplateItem>(kGroupHeader),
      std::make_unique<QelBomTemplateItem>(kGroupFooter),
      std::make_unique<QelBomTemplateItem>(kGroupHeader),
      std::make_unique<QelBomTemplateItem>(kGroupFooter),
      std::make_unique<QelBomTemplateItem>(kDetails)};
  QelBomTemplateItem* reportHeader = sections[0].get();
  QelBomTemplateItem* reportFooter = sections[1].get();
  QelBomTemplateItem* outerHeader = sections[2].get();
  QelBomTemplateItem* outerFooter = sections[3].get();
  QelBomTemplateItem* innerHeader = sections[4].get();
  QelBomTemplateItem* innerFooter = sections[5].get();
  QelBomTemplateItem* details = sections[6].get();

  root->addChild(reportHeader);
  root->addChild(reportFooter);
  reportHeader->addChild(outerHeader);
  reportHeader->addChild(outerFooter);
  outerHeader->addChild(innerHeader);
  outerHeader->addChild(innerFooter);
  innerHeader->addChild(details);

  reportHeader->addData(textTuple(u"%FilterBy: %Beam , %Plate"));

  outerHeader->addData(textTuple(u"%GroupBy:%PosNum"));
  outerHeader->addData(textTuple(u"%SortAscBy:%Material"));
  outerHeader->addData(intTuple(u"%PosNum"));

  innerHeader->addData(textTuple(u"%GroupBy:Material"));
  innerHeader->addData(textTuple(u"%SortDescBy:Weight"));
  innerHeader->addData(intTuple(u"%Material"));

  details->addData(intTuple(u"%posNum"));
  details->addData(intTuple(u"%Weight"));
  details->addData(intTuple(u"%Material"));

  innerFooter->addData(intTuple(u"%SumBy:%Weight"));
  outerFooter->addData(intTuple(u"%SumBy:%Weight"));

  QelBomTemplateUnits* units = root->getBomTemplateUnits();
  units->AddTokenType(QelString(u"%PosNum"), QelBomTemplateUnits::kUnkTokenUnitType);
  units->AddTokenType(QelString(u"%Material"), QelBomTemplateUnits::kUnkTokenUnitType);
  units->AddTokenType(QelString(u"%Weight"), QelBomTemplateUnits::kWeightUnit);
  units->AddTokenType(QelString(u"%SumBy:%Weight"), QelBomTemplateUnits::kWeightUnit);

  // From here on the tree below the root owns the sections.
  for (std::unique_ptr<QelBomTemplateItem>& section : sections) {
    static_cast<void>(section.release());
  }
  return root.release();
}
