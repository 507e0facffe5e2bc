// Warnings about a log that loaded but whose report says less than its user
// expects, for standard error: the log holds no records, its records hold no
// messages, or the visibility level skipped every message. They change neither
// the report nor the exit status.
#ifndef VYN_CAPTURE_LOG_WARNINGS_H_
#define VYN_CAPTURE_LOG_WARNINGS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "format/load_outcome.h"
#include "model/visibility_tally.h"

namespace vyn::profiling {

// One text per warning, without the program and file name, for a log whose
// load took outcome.records records and sorted its messages into messages.
std::vector<std::string> logWarnings(const LoadOutcome& outcome, const VisibilityTally& messages,
                                     std::int8_t visibilityLevel);

// What one pass over a log finds without loading it: where it stops and how a
// reader at a visibility level sorts its messages.
struct LogSurvey {
  LoadOutcome outcome;
  VisibilityTally visibility;
};

// Reads the log at path once, as a reader does, up to its first bad record:
// for a host whose reader is a plug-in, whose own findings it cannot see.
LogSurvey surveyLogFile(const std::string& path, std::int8_t visibilityLevel);

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_LOG_WARNINGS_H_
