// The bill-of-materials report engine: everything a host includes.
//
// The road of one report:
//   1. build a QelBomTemplate (or QelBomTemplate::createDefaultTemplate());
//   2. templ->setUnitsForTokens(&unitsManager);
//   3. templ->getTokenTrace(trace); templ->getFilterObjTypes(types);
//   4. data->setTemplUsedTokensAndObjTypes(trace, types); add one
//      QelBomDataRow per object, asking isItemPresent / isTokenRequired;
//   5. QelBomEvaluator2::evaluate(templ, data, output);
//   6. read the output tree (list(), getUsedHandlesAndTokens());
//   7. release each tree: root->empty(); delete root.
#ifndef VRK_BOM_ENGINE_H_
#define VRK_BOM_ENGINE_H_

// Host libraries.
#include "QelGenericString.h"
#include "QelMemoryControllerController.h"
#include "QelString.h"
#include "QelUnitsManager.h"
#include "VRKUnit.h"
#include "VRKUnitsCommon.h"
#include "qel_odbc.h"

// The engine.
#include "QelArray.h"
#include "QelBomData.h"
#include "QelBomEvaluator2.h"
#include "QelBomItems.h"
#include "QelBomTemplate.h"
#include "QelBomTemplateItem.h"
#include "QelBomTemplateUnits.h"
#include "QelBomValues.h"
#include "QelStringHashMap.h"

#endif  // VRK_BOM_ENGINE_H_
