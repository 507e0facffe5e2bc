#include "common/loaded_log.h"

#include <utility>

#include "analysis/load_meter.h"
#include "capture/log_file_capture.h"
#include "common/log_warnings.h"
#include "common/record_problem.h"
#include "stats/execution_count.h"

namespace vyn::tools {

std::unique_ptr<LoadedLog> loadLog(const std::string& path, std::int8_t visibilityLevel,
                                   std::string& problem, bool verbose, std::string label) {
  auto log = std::make_unique<LoadedLog>();
  log->path = path;
  LoadMeter meter(verbose, 0, std::move(label));
  std::uint64_t records = 0;
  const auto progress = [&](std::uint64_t loaded, std::uint64_t total) {
    ++records;
    meter.update(loaded, total);
  };
  if (!profiling::captureLogFile(path, visibilityLevel, log->model, progress)) {
    problem = loadFailureText(path);
    return nullptr;
  }
  // The notices (queue waits that could not be told apart) belong to the reader's report.
  std::string notices;
  profiling::appendStatistics(log->model, log->statistics, notices);
  meter.finish(executionCount(log->model));
  log->warnings = logWarnings(records != 0, log->model.visibility, visibilityLevel);
  return log;
}

}  // namespace vyn::tools
