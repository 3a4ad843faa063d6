// The IFC file inside an ".ifczip" archive: a zip archive holding one file
// whose name ends in ".ifc" (in any case), read with libzip.
#ifndef BOMREPORT_INPUT_IFC_ZIP_H_
#define BOMREPORT_INPUT_IFC_ZIP_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace bomreport {

// True when `bytes` start like a zip archive.
bool looksLikeZip(std::string_view bytes);

// The content of the archive's one ".ifc" member. `name` names the archive in
// messages. Throws InputError when the archive cannot be read or holds no
// ".ifc" file, or several, or when the member inflates to more than
// `maxBytes` (the input size limit: a zip bomb ends there).
std::string unzipIfc(const std::string& name, std::string_view bytes, std::size_t maxBytes);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_IFC_ZIP_H_
