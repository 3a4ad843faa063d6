#include "input/ifc_zip.h"

#include <zip.h>

#include <memory>

#include "BomReportErrors.h"
#include "input/input_limits.h"

namespace bomreport {
namespace {

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

bool isIfcName(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ending(name.substr(name.size() - 4));
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ending == ".ifc";
}

}  // namespace

bool looksLikeZip(std::string_view bytes) { return bytes.substr(0, 4) == "PK\x03\x04"; }

std::string unzipIfc(const std::string& name, std::string_view bytes, std::size_t maxBytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  std::unique_ptr<zip_t, ArchiveCloser> archive(
      source != nullptr ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr);
  if (archive == nullptr) {
    if (source != nullptr) zip_source_free(source);
    const std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw InputError(name, "not a zip archive that can be read (" + reason + ")");
  }
  zip_error_fini(&error);
  zip_int64_t member = -1;
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t k = 0; k < count; ++k) {
    const char* entry = zip_get_name(archive.get(), static_cast<zip_uint64_t>(k), 0);
    if (entry == nullptr || !isIfcName(entry)) continue;
    if (member >= 0) throw InputError(name, "the archive holds more than one .ifc file");
    member = k;
  }
  if (member < 0) throw InputError(name, "the archive holds no .ifc file");
  std::unique_ptr<zip_file_t, FileCloser> file(
      zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(member), 0));
  if (file == nullptr) {
    throw InputError(
        name, std::string("cannot read its .ifc file (") + zip_strerror(archive.get()) + ")");
  }
  std::string content;
  char buffer[1 << 16];
  for (;;) {
    const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
    if (n < 0) {
      throw InputError(
          name, std::string("cannot read its .ifc file (") + zip_file_strerror(file.get()) + ")");
    }
    if (n == 0) break;
    if (content.size() + static_cast<std::size_t>(n) > maxBytes) {
      throw InputError(name, "its .ifc file decompresses to more than the input size limit of " +
                                 sizeText(maxBytes));
    }
    content.append(buffer, static_cast<std::size_t>(n));
  }
  return content;
}

}  // namespace bomreport
