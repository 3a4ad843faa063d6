// Work on two threads for the writers and the revision list: a long report
// written in blocks formatted on two threads (the blocks go out in order, and
// at most a few are held at a time, so memory stays at a few blocks whatever
// the report's length), and two tasks run beside each other.
#ifndef BOMREPORT_OUTPUT_ORDERED_BLOCKS_H_
#define BOMREPORT_OUTPUT_ORDERED_BLOCKS_H_

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace bomreport {

// Calls `format(block, text)` for every block from 0 to `blockCount` - 1, on
// this thread and one other, each into an empty `text`, and writes each text
// to `out` in block order. `format` must be safe to call on two threads at
// once for different blocks. An exception thrown by `format` is thrown here,
// after both threads have stopped.
void writeBlocksInOrder(std::size_t blockCount,
                        const std::function<void(std::size_t, std::string&)>& format,
                        std::ostream& out);

// Runs `beside` on another thread while `here` runs on this one, and returns
// when both have ended; an exception of either is thrown here then (`here`'s
// first). The two must be safe to run at once.
void runBeside(const std::function<void()>& beside, const std::function<void()>& here);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_ORDERED_BLOCKS_H_
