// MemoryBudget: whether the rows and the report a parts file makes fit in
// the memory a job may use, known while the file is read rather than when
// memory runs out.
//
// A kept part costs its row (96 bytes and 32 a tuple, a little more for its
// texts) and, in the report, at least its details line (144 bytes and 32 a
// tuple of the details section): docs/performance.md, "Bytes per part by
// kind". What the other levels and the writer add comes on top, so a job the
// budget refuses would certainly not fit, and one it lets pass may still run
// short (then "out of memory", nothing written).
//
// Thread-safety: plain values.
#ifndef BOMREPORT_INPUT_MEMORY_BUDGET_H_
#define BOMREPORT_INPUT_MEMORY_BUDGET_H_

#include <cstddef>
#include <string>

namespace bomreport {

struct MemoryBudget {
  std::string name;              // the parts file, for messages
  std::size_t maxBytes = 0;      // 0: no limit
  bool given = false;            // maxBytes was chosen (--max-memory), not the machine's
  std::size_t bytesPerPart = 0;  // what one kept part needs at least

  // Throws InputError(name, reason) when `parts` kept parts need more than
  // maxBytes; when `estimated` (a count guessed from the text read so far),
  // only past kEstimateMargin times maxBytes: a file's start may keep more
  // parts a byte than the rest (shorter rows, kept object types first), and a
  // job that may fit is left to the exact count.
  void check(long long parts, bool estimated) const;
  static constexpr double kEstimateMargin = 1.5;
};

// What a kept part needs at least: a row of `rowTuples` tuples and a details
// line of `lineTuples`.
std::size_t bytesPerPart(std::size_t rowTuples, std::size_t lineTuples);

// The memory this machine has available now (MemAvailable), 0 when unknown.
std::size_t availableMemory();

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_MEMORY_BUDGET_H_
