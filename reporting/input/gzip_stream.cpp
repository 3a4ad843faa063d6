#include "input/gzip_stream.h"

#include <algorithm>
#include <cstring>

#include "BomReportErrors.h"

namespace bomreport {
namespace {

// Inflated text grows by this much at a time.
constexpr std::size_t kOutputStep = std::size_t{1} << 20;

}  // namespace

GzipStream::GzipStream(std::string name, const InputLimits& limits)
    : name_(std::move(name)), limits_(limits) {
  limits_.maxBytes = limits.effectiveMaxBytes();
  if (inflateInit2(&zlib_, 15 + 16) != Z_OK) throw InputError(name_, "gzip: cannot start zlib");
}

GzipStream::~GzipStream() { inflateEnd(&zlib_); }

void GzipStream::fail(const std::string& reason) const { throw InputError(name_, lines_, 0, reason); }

bool GzipStream::feed(const char* data, std::size_t size) {
  while (size > 0 && !stopped_) {
    if (!inMember_) {
      // A member ends where the next begins; anything else after one is not gzip.
      if (static_cast<unsigned char>(*data) != 0x1F) {
        throw InputError(name_, "data after the end of the gzip stream that is no further member");
      }
      inflateReset(&zlib_);
      inMember_ = true;
    }
    const uInt piece = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    zlib_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    zlib_.avail_in = piece;
    inflatePiece();
    const std::size_t used = piece - zlib_.avail_in;
    data += used;
    size -= used;
  }
  return !stopped_;
}

// Inflates what zlib_ holds until it has used all of it, the member ends, or a
// NUL byte stops the text.
void GzipStream::inflatePiece() {
  while (zlib_.avail_in > 0 && inMember_ && !stopped_) {
    const std::size_t old = text_.size();
    if (old >= limits_.maxBytes) {
      fail("decompresses to more than the input size limit of " + sizeText(limits_.maxBytes));
    }
    const std::size_t step = std::min(kOutputStep, limits_.maxBytes - old);
    text_.resize(old + step);
    zlib_.next_out = reinterpret_cast<Bytef*>(&text_[old]);
    zlib_.avail_out = static_cast<uInt>(step);
    const int status = inflate(&zlib_, Z_NO_FLUSH);
    text_.resize(old + step - zlib_.avail_out);
    if (status == Z_STREAM_END) {
      inMember_ = false;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      throw InputError(name_, std::string("not a complete gzip file") +
                                  (zlib_.msg != nullptr ? std::string(" (") + zlib_.msg + ")" : ""));
    }
    check(old);
    if (watch_ != nullptr && text_.size() >= watched_ + StreamWatch::kStep) {
      watched_ = text_.size();
      watch_->streamed(text_);
    }
    if (status == Z_BUF_ERROR && zlib_.avail_out > 0) break;  // wants more input
  }
}

// The checks on text_[from, end): NUL bytes and line lengths.
void GzipStream::check(std::size_t from) {
  const char* begin = text_.data() + from;
  const char* end = text_.data() + text_.size();
  if (std::memchr(begin, 0, static_cast<std::size_t>(end - begin)) != nullptr) stopped_ = true;
  for (const char* at = begin; at < end;) {
    const char* newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
    const std::size_t run = static_cast<std::size_t>((newline != nullptr ? newline : end) - at);
    lineLength_ += run;
    if (lineLength_ > limits_.maxLine) {
      fail("a line longer than " + sizeText(limits_.maxLine) +
           " in the decompressed text: not a parts or template file");
    }
    if (newline == nullptr) break;
    lineLength_ = 0;
    ++lines_;
    at = newline + 1;
  }
}

void GzipStream::finish() {
  if (inMember_ && !stopped_) throw InputError(name_, "not a complete gzip file");
}

}  // namespace bomreport
