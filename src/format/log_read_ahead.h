// The scanner a whole-log load reads through: the same steps as LogScanner,
// with the frames of a large log read and verified ahead on a second thread
// while the caller converts the ones before them.
//
// The worker reads at most kBatches batches of frames ahead (bounded memory: a
// batch closes at the policy's frames or bytes, 64 KiB by default, so that the
// frames are still in the cache when they are converted) and hands them over
// in log order; the caller sees every frame, fault and position exactly as a
// serial scan gives them, and the worker never logs. A log smaller than the
// policy's threshold, a stream of unknown size, or a process that may run on
// one CPU only is scanned serially, as LogScanner does.
//
// Unlike LogScanner, a fault ends the scan: what follows a refused record is
// not read (a load stops there).
#ifndef VYN_FORMAT_LOG_READ_AHEAD_H_
#define VYN_FORMAT_LOG_READ_AHEAD_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "format/log_fault.h"
#include "format/log_frames.h"
#include "format/log_scanner.h"

namespace vyn::profiling {

// When a load reads ahead: from logs of smallestLog bytes on, and only when the
// process may run on more than one CPU unless anyCpuCount says otherwise. The
// worker hands frames over in batches closed at batchFrames frames or once
// they hold batchBytes bytes, and fills at most kBatches of them ahead.
struct ReadAheadPolicy {
  std::uint64_t smallestLog = 4ull << 20;
  bool anyCpuCount = false;
  std::size_t batchFrames = 64;
  std::size_t batchBytes = 64u << 10;
};

// The policy of every later load (tests and benchmarks lower or raise the
// threshold); returns the one it replaces.
ReadAheadPolicy setReadAheadPolicy(const ReadAheadPolicy& policy);

class ReadAheadScanner {
 public:
  ReadAheadScanner() = default;
  // Stops and joins the worker, wherever the caller left the scan.
  ~ReadAheadScanner();
  ReadAheadScanner(const ReadAheadScanner&) = delete;
  ReadAheadScanner& operator=(const ReadAheadScanner&) = delete;

  // False when the file cannot be opened, with fault() of kind Unopened.
  bool open(const std::string& path);
  // The scan of what follows offset, as LogScanner::openAt starts it: the part
  // after offset decides whether it is read ahead.
  bool openAt(const std::string& path, std::uint64_t offset, std::uint64_t firstIndex);
  // The next step, as LogScanner::next gives it; End after any fault.
  LogScanner::Step next();

  const Frame& frame() const { return *frame_; }
  const LogFault& fault() const { return source_.fault(); }
  std::size_t strayBytes() const { return source_.strayBytes(); }
  std::uint64_t position() const { return pipelined_ ? position_ : source_.position(); }
  std::uint64_t fileSize() const { return source_.fileSize(); }
  // Whether the frames are read on a second thread.
  bool pipelined() const { return pipelined_; }

  static constexpr std::size_t kBatches = 4;

 private:
  // One step as the worker took it, with the frame it read and the position after it.
  struct Item {
    LogScanner::Step step = LogScanner::Step::End;
    Frame frame;
    std::uint64_t position = 0;
  };
  // Steps handed over together; the last step of the scan closes its batch.
  struct Batch {
    std::vector<Item> items;
    std::size_t count = 0;
    std::exception_ptr error;  // thrown by the worker after the steps before it
  };

  void startReadingAhead(std::uint64_t unreadBytes);
  void readAhead();
  bool fill(Batch& batch);
  void stop();

  LogScanner source_;  // read by the worker only while it runs
  const Frame* frame_ = nullptr;
  std::uint64_t position_ = 0;
  bool pipelined_ = false;
  std::size_t batchFrames_ = 1;
  std::size_t batchBytes_ = 0;
  bool finished_ = false;

  std::vector<Batch> batches_;
  std::deque<Batch*> empty_;  // for the worker to fill
  std::deque<Batch*> full_;   // for the caller, in log order
  Batch* current_ = nullptr;
  std::size_t nextItem_ = 0;
  bool stopping_ = false;
  std::mutex mutex_;
  std::condition_variable filled_;
  std::condition_variable emptied_;
  std::thread worker_;
};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_LOG_READ_AHEAD_H_
