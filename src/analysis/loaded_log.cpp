#include "analysis/loaded_log.h"

#include <utility>

#include "analysis/load_meter.h"
#include "capture/log_file_capture.h"
#include "capture/log_warnings.h"
#include "stats/execution_count.h"

namespace vyn::tools {

std::unique_ptr<LoadedLog> loadLog(const std::string& path, std::int8_t visibilityLevel, std::string& problem,
                                   bool verbose, std::string label) {
  auto log = std::make_unique<LoadedLog>();
  log->path = path;
  LoadMeter meter(verbose, 0, std::move(label));
  const profiling::LoadOutcome outcome = profiling::captureLogFile(path, visibilityLevel, log->model, meter.progress());
  if (outcome.fault) {
    problem = outcome.fault->loadFailure();
    return nullptr;
  }
  // The notices (queue waits that could not be told apart) belong to the reader's report.
  std::string notices;
  profiling::appendStatistics(log->model, log->statistics, notices);
  meter.finish(executionCount(log->model));
  log->warnings = profiling::logWarnings(outcome, log->model.visibility, visibilityLevel);
  return log;
}

}  // namespace vyn::tools
