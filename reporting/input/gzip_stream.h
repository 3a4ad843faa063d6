// GzipStream: gzip-compressed text decompressed as it arrives, member after
// member, checked as it grows.
//
// Compressed bytes are fed in pieces of any size (a pipe may hand them over in
// reads of a few bytes); the text grows as they are inflated. Decompression
// stops at once, with a message, when the text cannot be a parts or template
// file or grows past its limits, so that a small file that inflates to
// gigabytes never takes more memory than the limits allow:
//   - a NUL byte: the text is kept up to the end of the piece that holds it,
//     and no further byte is inflated (the reader then names the NUL where it
//     stands, as for an uncompressed file);
//   - a line longer than InputLimits::maxLine bytes;
//   - more than InputLimits::maxBytes bytes in all.
//
// Thread-safety: one stream per thread.
#ifndef BOMREPORT_INPUT_GZIP_STREAM_H_
#define BOMREPORT_INPUT_GZIP_STREAM_H_

#include <zlib.h>

#include <cstddef>
#include <string>

#include "input/input_limits.h"
#include "input/stream_watch.h"

namespace bomreport {

class GzipStream {
 public:
  // `name` names the input in messages. Throws InputError when zlib cannot start.
  GzipStream(std::string name, const InputLimits& limits);
  ~GzipStream();
  GzipStream(const GzipStream&) = delete;
  GzipStream& operator=(const GzipStream&) = delete;

  // Inflates `size` compressed bytes onto text(). Returns false once no more
  // input is wanted (a NUL byte was met). Throws InputError for data that is
  // not gzip, a broken member, or a text past the limits.
  bool feed(const char* data, std::size_t size);
  // The end of the compressed input: throws InputError when it ends inside a
  // member ("not a complete gzip file").
  void finish();

  // Tells `watch` (not owned; null: none) of the text as it grows.
  void setWatch(StreamWatch* watch) { watch_ = watch; }

  // The text inflated so far; the caller may move it away after finish().
  std::string& text() { return text_; }

 private:
  void inflatePiece();
  void check(std::size_t from);
  [[noreturn]] void fail(const std::string& reason) const;

  std::string name_;
  InputLimits limits_;
  z_stream zlib_{};
  std::string text_;
  bool inMember_ = false;      // between a member's header and its end
  bool stopped_ = false;       // a NUL byte was met
  std::size_t lineLength_ = 0;  // bytes since the last line feed
  long long lines_ = 1;        // the line being inflated, for messages
  StreamWatch* watch_ = nullptr;
  std::size_t watched_ = 0;    // what watch_ was last told of
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_GZIP_STREAM_H_
