// The engine's classes that the reporting library's interface passes by
// pointer or reference, as handles: declared here, never defined. Nothing the
// library offers requires their definitions. A front end that reaches into
// an evaluated tree itself includes the engine's headers and links the
// engine on its own account; the library does not hand them on.
#ifndef BOM_ENGINE_HANDLES_H_
#define BOM_ENGINE_HANDLES_H_

class QelString;
class QelBomItemBase;
class QelBomTemplateItem;
class QelBomTemplate;
class QelBomData;
class QelBomTemplateUnits;
class QelUnitsManager;

#endif  // BOM_ENGINE_HANDLES_H_
