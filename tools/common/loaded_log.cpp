#include "common/loaded_log.h"

#include "capture/log_file_capture.h"
#include "common/execution_count.h"
#include "common/load_meter.h"
#include "common/record_problem.h"

namespace vyn::tools {

std::unique_ptr<LoadedLog> loadLog(const std::string& path, std::int8_t visibilityLevel,
                                   std::string& problem, bool verbose) {
  auto log = std::make_unique<LoadedLog>();
  log->path = path;
  LoadMeter meter(verbose);
  if (!profiling::captureLogFile(path, visibilityLevel, log->model, meter.progress())) {
    problem = loadFailureText(path);
    return nullptr;
  }
  // The notices (queue waits that could not be told apart) belong to the reader's report.
  std::string notices;
  profiling::appendStatistics(log->model, log->statistics, notices);
  meter.finish(executionCount(log->model));
  return log;
}

}  // namespace vyn::tools
