// Any bytes, compressed as one or two gzip members and fed in pieces of a
// size the input chooses, come out as they went in (up to a NUL byte, within
// the limits); any bytes fed as gzip are inflated or refused, never a crash.
#include <zlib.h>

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "input/gzip_stream.h"
#include "BomReportErrors.h"

namespace {

std::string gzipMember(const uint8_t* data, std::size_t size) {
  z_stream zs{};
  deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, static_cast<uLong>(size)), '\0');
  zs.next_in = const_cast<Bytef*>(data);
  zs.avail_in = static_cast<uInt>(size);
  zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(out.size() - zs.avail_out);
  deflateEnd(&zs);
  return out;
}

// Feeds `compressed` in pieces of `piece` bytes; the text, or "!" and the message.
std::string inflateInPieces(const std::string& compressed, std::size_t piece) {
  bomreport::InputLimits limits;
  limits.maxBytes = 1 << 20;
  limits.maxLine = 1 << 16;
  try {
    bomreport::GzipStream gzip("fuzz", limits);
    bool wanted = true;
    for (std::size_t at = 0; wanted && at < compressed.size(); at += piece) {
      wanted = gzip.feed(compressed.data() + at, std::min(piece, compressed.size() - at));
    }
    gzip.finish();
    return gzip.text();
  } catch (const bomreport::InputError& error) {
    return std::string("!") + error.what();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::size_t piece = 1 + data[0] % 64u * (data[1] % 4u == 0 ? 97u : 1u);
  data += 2;
  size -= 2;
  inflateInPieces(std::string(reinterpret_cast<const char*>(data), size), piece);
  const std::size_t half = size / 2;
  const std::string text =
      inflateInPieces(gzipMember(data, half) + gzipMember(data + half, size - half), piece);
  const std::string original(reinterpret_cast<const char*>(data), size);
  std::size_t longest = 0;
  for (std::size_t from = 0; from <= size;) {
    const std::size_t end = std::min(original.find('\n', from), size);
    longest = std::max(longest, end - from);
    from = end + 1;
  }
  const bool readable = original.find('\0') == std::string::npos && longest < (1u << 16);
  if (readable && text != original) std::abort();
  return 0;
}
