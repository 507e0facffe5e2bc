#include "common/loaded_log.h"

#include "capture/log_file_capture.h"
#include "common/record_problem.h"

namespace vyn::tools {

std::unique_ptr<LoadedLog> loadLog(const std::string& path, std::int8_t visibilityLevel,
                                   std::string& problem) {
  auto log = std::make_unique<LoadedLog>();
  log->path = path;
  if (!profiling::captureLogFile(path, visibilityLevel, log->model)) {
    problem = loadFailureText(path);
    return nullptr;
  }
  // The notices (queue waits that could not be told apart) belong to the reader's report.
  std::string notices;
  profiling::appendStatistics(log->model, log->statistics, notices);
  return log;
}

}  // namespace vyn::tools
