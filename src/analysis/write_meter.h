// Shows how far the writing of a large output has come. While standard error is
// a terminal and the output, at the pace it is written, comes to more than
// 64 MB, a progress line there ("writing  42% [####    ] 141.7 MB  823 MB/s")
// is redrawn at most about ten times a second, and erased when the write ends;
// otherwise nothing is written. The percentage is of the parts of the work
// (rows, say), since the size of the whole output is not known before it is
// written.
#ifndef VYN_ANALYSIS_WRITE_METER_H_
#define VYN_ANALYSIS_WRITE_METER_H_

#include <cstdint>
#include <limits>

#include "analysis/progress_line.h"

namespace vyn::tools {

class WriteMeter {
 public:
  // total: how many parts the work has.
  explicit WriteMeter(std::uint64_t total);
  WriteMeter(const WriteMeter&) = delete;
  WriteMeter& operator=(const WriteMeter&) = delete;

  // Called after every part with the parts done and the bytes written so far;
  // costs one comparison on most calls.
  void update(std::uint64_t done, std::uint64_t written) {
    if (done >= nextLook_) look(done, written);
  }
  // The write ended (or failed): erases the progress line for good.
  void finish();

 private:
  static constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

  void look(std::uint64_t done, std::uint64_t written);

  const std::uint64_t total_;
  const std::uint64_t lookStep_;
  ProgressLine line_;
  std::uint64_t nextLook_ = kNever;  // parts done at which to look at the clock again
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_WRITE_METER_H_
