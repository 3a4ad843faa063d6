// InputBytes: the content of an input file as one read-only range of bytes.
//
// A regular file is mapped into memory; standard input (the path "-"), pipes
// and devices are read into memory of their own as the data arrives, up to the end or up
// to the block that holds the first NUL byte (no text input holds one, and a
// device such as /dev/zero would never end). An input that starts like gzip is
// decompressed as it is read, every member, whatever its name (GzipStream).
// What is read or decompressed into memory never exceeds InputLimits. A file
// that looks like UTF-16 or UTF-32 text is refused with a message that says
// so: every reader takes UTF-8.
//
// Thread-safety: an InputBytes is read-only once made; any number of threads
// may read its bytes at once.
#ifndef BOMREPORT_INPUT_INPUT_BYTES_H_
#define BOMREPORT_INPUT_INPUT_BYTES_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "input/input_limits.h"
#include "input/stream_watch.h"

namespace bomreport {

class InputBytes {
 public:
  // The name standard input has in messages.
  static constexpr const char* kStandardInputName = "standard input";

  // Reads `path` ("-": standard input). Throws InputError "NAME: reason" when
  // it cannot be opened or read, is past the limits, or does not hold UTF-8
  // text.
  // `watch`, when given, is told of the text of a stream or of a compressed
  // file as it arrives; it is not kept.
  explicit InputBytes(const std::string& path, const InputLimits& limits = InputLimits(),
                      StreamWatch* watch = nullptr);
  ~InputBytes();
  InputBytes(const InputBytes&) = delete;
  InputBytes& operator=(const InputBytes&) = delete;

  // The bytes, without a UTF-8 byte-order mark. Valid while this object lives.
  std::string_view text() const { return text_; }
  // How messages name the input: its path, or "standard input".
  const std::string& name() const { return name_; }
  // Gives the memory of a mapped file's bytes before `offset` (of text())
  // back to the system, for a reader that reads once from start to end;
  // reading them again reads the file again. Does nothing for a buffer.
  void dropBefore(std::size_t offset) const;

 private:
  void readStream(int fd, StreamWatch* watch);
  bool readBlock(int fd, std::string& into) const;
  std::size_t readSome(int fd, char* into, std::size_t room) const;  // 0 at the end
  void growTo(std::size_t capacity);  // the anonymous mapping; throws std::bad_alloc
  void map(int fd, std::size_t size);
  void unmap();
  void keep(std::string text);  // the text replaces the mapping
  void checkEncoding() const;

  std::string name_;
  InputLimits limits_;
  std::string buffer_;      // the content when it is not mapped
  void* mapped_ = nullptr;  // the mapping of a regular file or of a stream's bytes, or null
  std::size_t mappedSize_ = 0;
  bool anonymous_ = false;  // mapped_ holds a stream's bytes (growTo)
  std::string_view text_;
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_INPUT_BYTES_H_
