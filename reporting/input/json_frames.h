// The open objects and arrays of a JSON reader, a frame each.
//
// Every JSON reader of the tool keeps the same bookkeeping while it reads: the
// kind of each open object or array, the key whose value comes next, the keys
// an object has given so far (each may be given once), and how many elements a
// short array such as a [token, value] pair holds so far. JsonFrameReader keeps
// it once for all of them. A reader names its kinds of frame and its keys with
// enums of its own, keeps data of its own in each frame (`Data`), and still
// handles the events itself.
//
// Key must be an enum whose value-initialised value (0) means "no key" and
// whose values are below 32.
//
// Thread-safety: a reader is used by one thread.
#ifndef BOMREPORT_INPUT_JSON_FRAMES_H_
#define BOMREPORT_INPUT_JSON_FRAMES_H_

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "input/json_input.h"
#include "text/text_util.h"

namespace bomreport {

// For readers that keep nothing of their own in a frame.
struct NoFrameData {};

template <class Frame, class Key, class Data = NoFrameData>
class JsonFrameReader : public JsonEventReader {
 public:
  using JsonEventReader::JsonEventReader;

 protected:
  struct Entry {
    Entry(Frame kind, Data&& own) : frame(kind), data(std::move(own)) {}

    Frame frame;
    Key key{};          // an object: the key whose value comes next, or none
    unsigned seen = 0;  // an object: a bit per key given so far
    int elements = 0;   // an array: the elements read so far
    Data data;
  };

  // True while the reader is inside the file's top-level value.
  bool inside() const { return !frames_.empty(); }
  // The innermost open frame. REQUIRES: inside().
  Entry& top() { return frames_.back(); }
  const Entry& top() const { return frames_.back(); }
  // The kind of the frame `below` levels under the innermost one, or
  // `outside` when there is none.
  Frame frameAt(std::size_t below, Frame outside) const {
    return frames_.size() > below ? frames_[frames_.size() - 1 - below].frame : outside;
  }
  // True when the innermost frame is of kind `frame` and waits for the value
  // of `key`.
  bool at(Frame frame, Key key = Key{}) const {
    return inside() && top().frame == frame && top().key == key;
  }

  // Opens a frame. Returns true, for an event handler to return.
  bool push(Frame frame, Data data = Data()) {
    frames_.emplace_back(frame, std::move(data));
    return true;
  }
  // Closes the innermost frame: it was the value of its parent's key.
  // REQUIRES: inside().
  void pop() {
    frames_.pop_back();
    if (!frames_.empty()) frames_.back().key = Key{};
  }

  // Makes `key`, spelled `name` in the file, the key whose value comes next in
  // the innermost object; fails when the object has given it before.
  // REQUIRES: inside().
  bool takeKey(Key key, const std::string& name) {
    const unsigned bit = 1u << static_cast<unsigned>(key);
    if ((top().seen & bit) != 0) return fail("duplicate key " + quoteForMessage(name));
    top().seen |= bit;
    top().key = key;
    return true;
  }
  // True when the innermost object has given `key`. REQUIRES: inside().
  bool given(Key key) const { return (top().seen & (1u << static_cast<unsigned>(key))) != 0; }
  // The value of the innermost object's key has been read. Returns true.
  // REQUIRES: inside().
  bool valueRead() {
    top().key = Key{};
    return true;
  }

  // Fails with "unknown key NAME", followed by `hint` (which says what the
  // object takes) when given.
  bool unknownKey(const std::string& name, const std::string& hint = std::string()) {
    return fail("unknown key " + quoteForMessage(name) + hint);
  }

 private:
  std::vector<Entry> frames_;
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_JSON_FRAMES_H_
