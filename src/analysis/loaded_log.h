// A log loaded for the analysis commands: its model and the statistics every
// load derives (queue waits, extremes), how far the log could be read, or the
// reason it could not be loaded.
#ifndef VYN_ANALYSIS_LOADED_LOG_H_
#define VYN_ANALYSIS_LOADED_LOG_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/log_extent.h"
#include "model/log_model.h"
#include "stats/statistics.h"

namespace vyn::tools {

struct LoadedLog {
  std::string path;
  profiling::LogModel model;
  profiling::Statistics statistics;
  // The whole log, or the records before the first bad one: what a killed run
  // leaves. The model and its statistics hold those records.
  LogExtent extent;
  // Why what is reported may say less than its user expects (no records, no
  // message at the visibility level): texts for standard error.
  std::vector<std::string> warnings;
};

// Loads the log at path, taking the messages a reader at visibilityLevel takes.
// A log that stops being readable after some good records (see
// readablePartFollows) loads those records, its extent saying where it stops.
// Null on failure (nothing readable), with problem saying why in words a
// person can act on. A
// large log shows its progress on a terminal (see LoadMeter); verbose writes the
// load's summary line on standard error once it is loaded. A label leads both
// lines, for a tool that loads more than one log at a time.
std::unique_ptr<LoadedLog> loadLog(const std::string& path, std::int8_t visibilityLevel, std::string& problem,
                                   bool verbose = false, std::string label = {});

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_LOADED_LOG_H_
