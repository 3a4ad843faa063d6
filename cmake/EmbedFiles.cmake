# Writes a C++ source that holds files as byte arrays, for a program that
# serves them (the template designer's page).
#   cmake -DOUTPUT=out.cpp -DHEADER=name.h -DFUNCTION=findAsset -DFILES="a;b" -P EmbedFiles.cmake
# The source defines `const DesignerAsset* FUNCTION(std::string_view name)`
# over the files' names without their folders.
set(entries "")
set(arrays "")
set(index 0)
foreach(file IN LISTS FILES)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  get_filename_component(name "${file}" NAME)
  string(APPEND arrays "const unsigned char kFile${index}[] = {${bytes}0x00};\n")
  string(APPEND entries "    {\"${name}\", kFile${index}, sizeof kFile${index} - 1},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Made by cmake/EmbedFiles.cmake; do not edit.
#include \"${HEADER}\"

namespace bomreport {
namespace {

${arrays}
struct Entry {
  const char* name;
  const unsigned char* bytes;
  std::size_t size;
};
const Entry kEntries[] = {
${entries}};

}  // namespace

const DesignerAsset* ${FUNCTION}(std::string_view name) {
  static const DesignerAsset* const assets = [] {
    static DesignerAsset made[sizeof kEntries / sizeof kEntries[0]];
    for (std::size_t i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i) {
      made[i] = {kEntries[i].name,
                 std::string_view(reinterpret_cast<const char*>(kEntries[i].bytes), kEntries[i].size)};
    }
    return made;
  }();
  for (std::size_t i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i) {
    if (assets[i].name == name) return &assets[i];
  }
  return nullptr;
}

}  // namespace bomreport
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
