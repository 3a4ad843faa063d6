// The files of the template designer's page (tools/bomreport/designer/),
// built into the program so that it serves them without reading any file.
#ifndef BOMREPORT_DESIGNER_ASSETS_H_
#define BOMREPORT_DESIGNER_ASSETS_H_

#include <cstddef>
#include <string_view>

namespace bomreport {

struct DesignerAsset {
  std::string_view name;  // "index.html"
  std::string_view body;
};

// The page's file `name`; null for a name it has no file of. The asset lives
// as long as the program.
const DesignerAsset* findDesignerAsset(std::string_view name);

}  // namespace bomreport

#endif  // BOMREPORT_DESIGNER_ASSETS_H_
