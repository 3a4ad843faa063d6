#include "output/ordered_blocks.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace bomreport {
namespace {

// The other thread formats the odd blocks into slots of their own, at most
// kAhead blocks ahead of what has been written.
constexpr std::size_t kAhead = 4;

class OddBlocks {
 public:
  OddBlocks(std::size_t blockCount, const std::function<void(std::size_t, std::string&)>& format)
      : blockCount_(blockCount), format_(format), slots_(kAhead), ready_(kAhead, kNone) {}

  void run() {
    try {
      for (std::size_t block = 1; block < blockCount_; block += 2) {
        std::string& slot = waitForRoom(block);
        slot.clear();
        format_(block, slot);
        publish(block);
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      failure_ = std::current_exception();
      changed_.notify_all();
    }
  }

  // The text of odd `block`, once formatted. Rethrows the other thread's
  // failure.
  const std::string& take(std::size_t block) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_[slotOf(block)] == block || failure_ != nullptr; });
    if (failure_ != nullptr) std::rethrow_exception(failure_);
    return slots_[slotOf(block)];
  }
  // `block` is written: its slot may take a later block.
  void written(std::size_t block) {
    std::lock_guard<std::mutex> lock(mutex_);
    written_ = block + 1;
    changed_.notify_all();
  }
  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  static std::size_t slotOf(std::size_t block) { return (block / 2) % kAhead; }

  std::string& waitForRoom(std::size_t block) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || block < written_ + 2 * kAhead; });
    if (stopped_) throw Stopped();
    return slots_[slotOf(block)];
  }
  void publish(std::size_t block) {
    std::lock_guard<std::mutex> lock(mutex_);
    ready_[slotOf(block)] = block;
    changed_.notify_all();
  }

  struct Stopped {};

  const std::size_t blockCount_;
  const std::function<void(std::size_t, std::string&)>& format_;
  std::vector<std::string> slots_;
  std::vector<std::size_t> ready_;  // the block each slot holds, or kNone
  std::size_t written_ = 0;         // blocks written so far
  bool stopped_ = false;
  std::exception_ptr failure_;
  std::mutex mutex_;
  std::condition_variable changed_;
};

void writeText(std::ostream& out, const std::string& text) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

void writeBlocksInOrder(std::size_t blockCount,
                        const std::function<void(std::size_t, std::string&)>& format,
                        std::ostream& out) {
  std::string text;
  if (blockCount < 2 || std::thread::hardware_concurrency() < 2) {
    for (std::size_t block = 0; block < blockCount; ++block) {
      text.clear();
      format(block, text);
      writeText(out, text);
    }
    return;
  }
  OddBlocks odd(blockCount, format);
  std::thread other([&odd] { odd.run(); });
  try {
    for (std::size_t block = 0; block < blockCount; ++block) {
      if (block % 2 == 0) {
        text.clear();
        format(block, text);
        writeText(out, text);
      } else {
        writeText(out, odd.take(block));
      }
      odd.written(block);
    }
  } catch (...) {
    odd.stop();
    other.join();
    throw;
  }
  other.join();
}

void runBeside(const std::function<void()>& beside, const std::function<void()>& here) {
  std::exception_ptr besideFailed;
  std::thread other([&] {
    try {
      beside();
    } catch (...) {
      besideFailed = std::current_exception();
    }
  });
  try {
    here();
  } catch (...) {
    other.join();
    throw;
  }
  other.join();
  if (besideFailed != nullptr) std::rethrow_exception(besideFailed);
}

}  // namespace bomreport
