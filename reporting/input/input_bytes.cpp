#include "input/input_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "BomReportErrors.h"

namespace bomreport {
namespace {

constexpr std::size_t kBlock = 1 << 16;

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string systemReason(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

// Closes a descriptor of our own on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd, bool owned) : fd_(fd), owned_(owned) {}
  ~FileDescriptor() {
    if (owned_ && fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
  bool owned_;
};

}  // namespace

InputBytes::InputBytes(const std::string& path) : name_(path == "-" ? kStandardInputName : path) {
  const bool standardInput = path == "-";
  FileDescriptor fd(standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC),
                    !standardInput);
  if (fd.get() < 0) throw InputError(name_, systemReason("cannot open"));
  struct stat info;
  if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    map(fd.get(), static_cast<std::size_t>(info.st_size));
  }
  if (mapped_ == nullptr) readStream(fd.get());
  if (startsWith(text_, "\x1F\x8B")) inflateGzip();
  checkEncoding();
  if (startsWith(text_, "\xEF\xBB\xBF")) text_.remove_prefix(3);
}

InputBytes::~InputBytes() {
  if (mapped_ != nullptr) ::munmap(mapped_, mappedSize_);
}

void InputBytes::map(int fd, std::size_t size) {
  void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (address == MAP_FAILED) return;  // read it instead
  ::madvise(address, size, MADV_WILLNEED);
  mapped_ = address;
  mappedSize_ = size;
  text_ = std::string_view(static_cast<const char*>(address), size);
}

void InputBytes::dropBefore(std::size_t offset) const {
  if (mapped_ == nullptr) return;
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const char* base = static_cast<const char*>(mapped_);
  const std::size_t end = static_cast<std::size_t>(text_.data() - base) + offset;
  if (end >= page) ::madvise(mapped_, end / page * page, MADV_DONTNEED);
}

void InputBytes::readStream(int fd) {
  for (;;) {
    const std::size_t old = buffer_.size();
    buffer_.resize(old + kBlock);
    const ssize_t n = ::read(fd, &buffer_[old], kBlock);
    if (n < 0 && errno == EINTR) {
      buffer_.resize(old);
      continue;
    }
    if (n < 0) throw InputError(name_, systemReason("cannot read"));
    buffer_.resize(old + static_cast<std::size_t>(n));
    // Nothing after a NUL byte is read: it may be a device that never ends.
    if (n == 0 || std::memchr(&buffer_[old], 0, static_cast<std::size_t>(n)) != nullptr) break;
  }
  text_ = buffer_;
}

// Every member of the gzip stream, one after the other.
void InputBytes::inflateGzip() {
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) throw InputError(name_, "gzip: cannot start zlib");
  std::string out;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text_.data()));
  std::size_t left = text_.size();
  int status = Z_OK;
  while (true) {
    const uInt chunk = left > (1u << 30) ? (1u << 30) : static_cast<uInt>(left);
    stream.avail_in = chunk;
    const std::size_t old = out.size();
    out.resize(old + (1 << 20));
    stream.next_out = reinterpret_cast<Bytef*>(&out[old]);
    stream.avail_out = 1 << 20;
    status = inflate(&stream, Z_NO_FLUSH);
    out.resize(old + (1 << 20) - stream.avail_out);
    left -= chunk - stream.avail_in;
    if (status == Z_STREAM_END) {
      if (left == 0) break;
      inflateReset(&stream);  // a further member
      continue;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) break;
    if (status == Z_BUF_ERROR && left == 0) break;  // cut short
  }
  const char* message = stream.msg;
  inflateEnd(&stream);
  if (status != Z_STREAM_END) {
    throw InputError(name_, std::string("not a complete gzip file") +
                                (message != nullptr ? std::string(" (") + message + ")" : ""));
  }
  if (mapped_ != nullptr) ::munmap(mapped_, mappedSize_);
  mapped_ = nullptr;
  buffer_ = std::move(out);
  text_ = buffer_;
}

// UTF-16 and UTF-32 are told by their byte-order marks, or by the NUL bytes
// that ASCII characters leave in them.
void InputBytes::checkEncoding() const {
  const auto byte = [this](std::size_t i) {
    return i < text_.size() ? static_cast<unsigned char>(text_[i]) : 0x100u;
  };
  const char* kind = nullptr;
  if (startsWith(text_, std::string_view("\xFF\xFE\0\0", 4)) ||
      startsWith(text_, std::string_view("\0\0\xFE\xFF", 4))) {
    kind = "UTF-32";
  } else if (startsWith(text_, "\xFF\xFE") || startsWith(text_, "\xFE\xFF")) {
    kind = "UTF-16";
  } else if (text_.size() >= 2 &&
             ((byte(0) != 0 && byte(1) == 0) || (byte(0) == 0 && byte(1) != 0))) {
    kind = byte(2) == 0 && byte(3) == 0 ? "UTF-32" : "UTF-16";
  }
  if (kind != nullptr) {
    throw InputError(name_, std::string("looks like ") + kind +
                                " text; save it as UTF-8 (every input file is read as UTF-8)");
  }
}

}  // namespace bomreport
