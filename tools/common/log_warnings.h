// Warnings about a log that loaded but whose report says less than its user
// expects, for standard error: the log holds no records, its records hold no
// messages, or the visibility level skipped every message. They change neither
// the report nor the exit status.
#ifndef VYN_TOOLS_COMMON_LOG_WARNINGS_H_
#define VYN_TOOLS_COMMON_LOG_WARNINGS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/visibility_tally.h"

namespace vyn::tools {

// One text per warning, without the program and file name.
std::vector<std::string> logWarnings(bool hasRecords, const profiling::VisibilityTally& messages,
                                     std::int8_t visibilityLevel);

// Sorts the messages of the log at path by visibilityLevel as a reader does,
// up to its first bad record: for a reader plug-in, whose own tally the viewer
// cannot see.
profiling::VisibilityTally tallyVisibility(const std::string& path, std::int8_t visibilityLevel);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_COMMON_LOG_WARNINGS_H_
