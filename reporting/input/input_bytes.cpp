#include "input/input_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "BomReportErrors.h"
#include "input/gzip_stream.h"

namespace bomreport {
namespace {

constexpr std::size_t kBlock = 1 << 20;  // a pipe is widened to this (widenPipe)
constexpr std::string_view kGzipMagic = "\x1F\x8B";

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

// A pipe holds 64 KiB by default: its writer and this reader would take
// turns at that size. Widened where the system allows (an unprivileged
// process up to fs/pipe-max-size, 1 MiB by default); nothing else changes.
void widenPipe(int fd) {
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode)) {
    ::fcntl(fd, F_SETPIPE_SZ, static_cast<int>(kBlock));
  }
}

}  // namespace

InputBytes::InputBytes(const std::string& path, const InputLimits& limits, StreamWatch* watch)
    : name_(path == "-" ? kStandardInputName : path), limits_(limits) {
  const bool standardInput = path == "-";
  FileDescriptor fd(standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC),
                    !standardInput);
  if (fd.get() < 0) throw InputError(name_, systemReason("cannot open"));
  struct stat info;
  if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    map(fd.get(), static_cast<std::size_t>(info.st_size));
  }
  if (mapped_ == nullptr) {
    readStream(fd.get(), watch);
  } else if (startsWith(text_, kGzipMagic)) {
    GzipStream gzip(name_, limits_);
    gzip.setWatch(watch);
    gzip.feed(text_.data(), text_.size());
    gzip.finish();
    keep(std::move(gzip.text()));
  }
  checkEncoding();
  if (startsWith(text_, "\xEF\xBB\xBF")) text_.remove_prefix(3);
}

InputBytes::~InputBytes() { unmap(); }

void InputBytes::unmap() {
  if (mapped_ != nullptr) ::munmap(mapped_, mappedSize_);
  mapped_ = nullptr;
  anonymous_ = false;
}

void InputBytes::keep(std::string text) {
  unmap();
  buffer_ = std::move(text);
  text_ = buffer_;
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
  if (mapped_ == nullptr || anonymous_) return;  // its bytes are nowhere else
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const char* base = static_cast<const char*>(mapped_);
  const std::size_t end = static_cast<std::size_t>(text_.data() - base) + offset;
  if (end >= page) ::madvise(mapped_, end / page * page, MADV_DONTNEED);
}

// Reads one block onto `into`; false at the end of the input.
bool InputBytes::readBlock(int fd, std::string& into) const {
  const std::size_t old = into.size();
  into.resize(old + kBlock);
  const std::size_t n = readSome(fd, &into[old], kBlock);
  into.resize(old + n);
  return n > 0;
}

std::size_t InputBytes::readSome(int fd, char* into, std::size_t room) const {
  for (;;) {
    const ssize_t n = ::read(fd, into, room);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw InputError(name_, systemReason("cannot read"));
    return static_cast<std::size_t>(n);
  }
}

void InputBytes::growTo(std::size_t capacity) {
  void* address =
      mapped_ == nullptr
          ? ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
          : ::mremap(mapped_, mappedSize_, capacity, MREMAP_MAYMOVE);
  if (address == MAP_FAILED) throw std::bad_alloc();
  mapped_ = address;
  mappedSize_ = capacity;
  anonymous_ = true;
}

// Standard input, a pipe or a device: read as it comes, decompressed when it
// starts like gzip, never past the limits. Nothing after a NUL byte is read: it
// may be a device that never ends.
void InputBytes::readStream(int fd, StreamWatch* watch) {
  widenPipe(fd);
  const std::size_t maxBytes = limits_.effectiveMaxBytes();
  std::string head;
  bool more = true;
  while (more && head.size() < kGzipMagic.size()) more = readBlock(fd, head);
  if (startsWith(head, kGzipMagic)) {
    GzipStream gzip(name_, limits_);
    gzip.setWatch(watch);
    bool wanted = gzip.feed(head.data(), head.size());
    std::string block;
    while (wanted && more) {
      block.clear();
      more = readBlock(fd, block);
      wanted = gzip.feed(block.data(), block.size());
    }
    gzip.finish();
    keep(std::move(gzip.text()));
    return;
  }
  // The bytes go to an anonymous mapping that grows in place: a string
  // would copy what it holds at every doubling, onto new pages the kernel
  // clears first.
  growTo(std::max(4 * kBlock, 2 * head.size()));
  char* base = static_cast<char*>(mapped_);
  std::memcpy(base, head.data(), head.size());
  std::size_t size = head.size();
  std::size_t checked = 0;
  std::size_t watched = 0;  // what `watch` was last told of
  while (more && std::memchr(base + checked, 0, size - checked) == nullptr) {
    if (size > maxBytes) {
      throw InputError(name_, "more than the input size limit of " + sizeText(maxBytes));
    }
    if (watch != nullptr && size >= watched + StreamWatch::kStep) {
      watched = size;
      watch->streamed(std::string_view(base, size));
    }
    checked = size;
    if (mappedSize_ - size < kBlock) {
      growTo(2 * mappedSize_);
      base = static_cast<char*>(mapped_);
    }
    const std::size_t n = readSome(fd, base + size, kBlock);
    size += n;
    more = n > 0;
  }
  text_ = std::string_view(base, size);
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
