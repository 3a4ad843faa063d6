// StreamWatch: told of an input's text as it arrives, when its size is not
// known before it ends (standard input, pipes, compressed files).
//
// Thread-safety: called on the reading thread only.
#ifndef BOMREPORT_INPUT_STREAM_WATCH_H_
#define BOMREPORT_INPUT_STREAM_WATCH_H_

#include <cstddef>
#include <string_view>

namespace bomreport {

class StreamWatch {
 public:
  // How many bytes arrive between two calls.
  static constexpr std::size_t kStep = std::size_t{64} << 20;

  virtual ~StreamWatch() = default;
  // `soFar`: the text up to now, valid during the call. May throw to stop the
  // reading.
  virtual void streamed(std::string_view soFar) = 0;
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_STREAM_WATCH_H_
