// The samples `diff` compares, taken from one log's model and statistics: per graph, the time of
// each execution and, per measured event path, the path's sum in each execution
// it appears in.
#ifndef VYN_STATS_DIFF_SAMPLES_H_
#define VYN_STATS_DIFF_SAMPLES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/log_model.h"
#include "stats/statistics.h"

namespace vyn::tools {

struct RowSamples {
  std::string path;            // "Layer conv1 / Compute"; empty for the execution time
  std::string_view unit;       // "us", "cycles", ... (eventUnitName)
  std::vector<double> values;  // sorted ascending
};

struct GraphSamples {
  std::string name;
  RowSamples execution;            // microseconds
  std::vector<RowSamples> events;  // in order of first appearance
};

// The graphs of the log that executed, in the log's order; only those named in
// graphs when it is not empty. A graph whose executions are all among the first
// skipFirst is kept, with no samples.
// Paths of the same text and unit are one row: that is how they are matched
// across logs. The values come sorted, which is most of the work of ranking
// them, done here while each log is taken apart on its own thread.
std::vector<GraphSamples> gatherSamples(const profiling::LogModel& model, const profiling::Statistics& statistics,
                                        std::uint64_t skipFirst, const std::vector<std::string>& graphs);

}  // namespace vyn::tools

#endif  // VYN_STATS_DIFF_SAMPLES_H_
