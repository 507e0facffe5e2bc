#include "format/log_read_ahead.h"

#include <sched.h>

#include <algorithm>
#include <system_error>
#include <utility>

namespace vyn::profiling {
namespace {

// The frame buffers of a batch keep their capacity for the frames that follow,
// unless together they hold more than this (a few large records, or buffers
// grown at every slot) and twice the batch's bytes: then they are given back.
constexpr std::size_t kKeptBytes = 2u << 20;

// Set by tests and benchmarks before a load, read when a load opens its log.
std::mutex policyMutex;
ReadAheadPolicy currentPolicy;

// Whether the process may run on more than one CPU (taskset, cgroups' cpusets).
bool severalCpus() {
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  if (::sched_getaffinity(0, sizeof cpus, &cpus) != 0) return false;
  return CPU_COUNT(&cpus) > 1;
}

}  // namespace

ReadAheadPolicy setReadAheadPolicy(const ReadAheadPolicy& policy) {
  std::lock_guard<std::mutex> lock(policyMutex);
  return std::exchange(currentPolicy, policy);
}

ReadAheadScanner::~ReadAheadScanner() { stop(); }

bool ReadAheadScanner::open(const std::string& path) {
  frame_ = &source_.frame();
  if (!source_.open(path)) {
    finished_ = true;
    return false;
  }
  startReadingAhead(source_.fileSize());
  return true;
}

bool ReadAheadScanner::openAt(const std::string& path, std::uint64_t offset, std::uint64_t firstIndex) {
  frame_ = &source_.frame();
  if (!source_.openAt(path, offset, firstIndex)) {
    finished_ = true;
    return false;
  }
  const std::uint64_t size = source_.fileSize();
  startReadingAhead(size > offset ? size - offset : 0);
  return true;
}

void ReadAheadScanner::startReadingAhead(std::uint64_t unreadBytes) {
  ReadAheadPolicy policy;
  {
    std::lock_guard<std::mutex> lock(policyMutex);
    policy = currentPolicy;
  }
  if (unreadBytes == 0 || unreadBytes < policy.smallestLog || (!policy.anyCpuCount && !severalCpus())) return;
  batchFrames_ = std::max<std::size_t>(policy.batchFrames, 1);
  batchBytes_ = policy.batchBytes;
  batches_.resize(kBatches);
  for (Batch& batch : batches_) empty_.push_back(&batch);
  try {
    worker_ = std::thread(&ReadAheadScanner::readAhead, this);
  } catch (const std::system_error&) {
    return;  // no thread to be had (a limit on threads): the log is scanned serially
  }
  pipelined_ = true;
}

LogScanner::Step ReadAheadScanner::next() {
  if (finished_) return LogScanner::Step::End;
  if (!pipelined_) {
    const LogScanner::Step step = source_.next();
    if (step != LogScanner::Step::Record) finished_ = true;
    return step;
  }
  while (current_ == nullptr || nextItem_ == current_->count) {
    if (current_ != nullptr && current_->error) {
      // The worker failed after the steps before: the caller meets the failure
      // where a serial scan would have.
      const std::exception_ptr error = current_->error;
      finished_ = true;
      stop();
      std::rethrow_exception(error);
    }
    if (current_ != nullptr) {
      std::size_t kept = 0;
      for (const Item& item : current_->items) kept += item.frame.bytes.capacity();
      if (kept > std::max(kKeptBytes, 2 * batchBytes_))
        for (Item& item : current_->items) ByteBuffer().swap(item.frame.bytes);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (current_ != nullptr) {
      empty_.push_back(current_);
      emptied_.notify_one();
    }
    filled_.wait(lock, [this] { return !full_.empty(); });
    current_ = full_.front();
    full_.pop_front();
    nextItem_ = 0;
  }
  const Item& item = current_->items[nextItem_++];
  frame_ = &item.frame;
  position_ = item.position;
  if (item.step == LogScanner::Step::Record) return item.step;
  // The worker has stopped after the last step; the scanner's fault and stray
  // bytes are the caller's to read once it has been joined.
  finished_ = true;
  worker_.join();
  return item.step;
}

void ReadAheadScanner::readAhead() {
  for (;;) {
    Batch* batch = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      emptied_.wait(lock, [this] { return stopping_ || !empty_.empty(); });
      if (stopping_) return;
      batch = empty_.front();
      empty_.pop_front();
    }
    bool last = true;
    try {
      last = fill(*batch);
    } catch (...) {
      batch->error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    full_.push_back(batch);
    filled_.notify_one();
    if (last) return;
  }
}

bool ReadAheadScanner::fill(Batch& batch) {
  batch.count = 0;
  batch.error = nullptr;
  std::size_t bytes = 0;
  // A batch holds at least one step, however large its frame.
  do {
    if (batch.items.size() == batch.count) batch.items.emplace_back();
    Item& item = batch.items[batch.count];
    item.step = source_.next();
    source_.swapFrame(item.frame);
    item.position = source_.position();
    ++batch.count;
    if (item.step != LogScanner::Step::Record) return true;
    bytes += item.frame.bytes.size();
  } while (batch.count < batchFrames_ && bytes < batchBytes_);
  return false;
}

void ReadAheadScanner::stop() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  emptied_.notify_one();
  worker_.join();
}

}  // namespace vyn::profiling
