// Loading a whole log file into a model, record by record, for the tools that
// work on a loaded log rather than through the reader interface.
#ifndef VYN_CAPTURE_LOG_FILE_CAPTURE_H_
#define VYN_CAPTURE_LOG_FILE_CAPTURE_H_

#include <cstdint>
#include <functional>
#include <string>

#include "format/load_outcome.h"
#include "model/log_model.h"

namespace vyn::profiling {

// Told after every record how many bytes of the file are loaded and how large
// the file is (0 when it is not a regular file).
using LoadProgress = std::function<void(std::uint64_t loaded, std::uint64_t total)>;

// Captures every message of the log at path whose level is below visibilityLevel
// into model, as loadLog does. When the file cannot be read or a record is cut
// short or does not verify, the outcome carries the fault (also reported to the
// diagnostic logger) and model holds what came before.
LoadOutcome captureLogFile(const std::string& path, std::int8_t visibilityLevel, LogModel& model,
                           const LoadProgress& progress = {});

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_LOG_FILE_CAPTURE_H_
