// Shows how far the load of a log has come. While a log of more than 64 MiB
// loads and standard error is a terminal, a progress line there is redrawn at
// most about ten times a second and cleared when the load ends; otherwise the
// meter writes nothing, except the one summary line that verbose asks for.
#ifndef VYN_ANALYSIS_LOAD_METER_H_
#define VYN_ANALYSIS_LOAD_METER_H_

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "analysis/progress_line.h"
#include "capture/log_file_capture.h"

namespace vyn::tools {

class LoadMeter {
 public:
  // Starts the clock. fileSize is the log's size when the caller knows it (0
  // otherwise); the summary reports it when no update came. A label ("base
  // run.log") leads the progress and summary lines, for a tool that loads
  // more than one log at a time.
  explicit LoadMeter(bool verbose, std::uint64_t fileSize = 0, std::string label = {});
  LoadMeter(const LoadMeter&) = delete;
  LoadMeter& operator=(const LoadMeter&) = delete;

  // Called after every record with the bytes loaded and the file's size; costs
  // one comparison on most calls.
  void update(std::uint64_t loaded, std::uint64_t total) {
    loaded_ = loaded;
    if (loaded >= nextLook_) look(loaded, total);
  }
  // update as a loader's callback; the meter must outlive the load.
  profiling::LoadProgress progress() {
    return [this](std::uint64_t loaded, std::uint64_t total) { update(loaded, total); };
  }

  // Erases the progress line, before a problem is reported; the next redraw
  // brings it back.
  void clear();
  // The load read the whole log: erases the progress line for good, and when
  // verbose writes the summary line, with the executions when they are known.
  void finish(std::optional<std::uint64_t> executions);

 private:
  static constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

  // Decides whether to draw, and draws when the last drawing is old enough.
  void look(std::uint64_t loaded, std::uint64_t total);

  const bool verbose_;
  const std::uint64_t fileSize_;
  const std::string label_;
  ProgressLine line_;
  std::uint64_t loaded_ = 0;
  std::uint64_t nextLook_ = kNever;  // bytes loaded at which to look at the clock again
  std::uint64_t lookStep_ = 0;
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_LOAD_METER_H_
