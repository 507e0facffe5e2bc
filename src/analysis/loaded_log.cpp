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
  const profiling::LoadProgress progress = meter.progress();
  std::uint64_t fileSize = 0;
  const profiling::LoadOutcome outcome =
      profiling::captureLogFile(path, visibilityLevel, log->model, [&](std::uint64_t loaded, std::uint64_t total) {
        fileSize = total;
        progress(loaded, total);
      });
  if (outcome.fault && !readablePartFollows(*outcome.fault)) {
    meter.clear();
    problem = outcome.fault->loadFailure();
    return nullptr;
  }
  log->extent = {outcome.records, outcome.fault, fileSize};
  // The notices (queue waits that could not be told apart) belong to the reader's report.
  std::string notices;
  profiling::appendStatistics(log->model, log->statistics, notices);
  meter.finish(executionCount(log->model));
  log->warnings = profiling::logWarnings(outcome, log->model.visibility, visibilityLevel);
  return log;
}

}  // namespace vyn::tools
