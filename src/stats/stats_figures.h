// What `stats` reports, as plain data: per graph the execution time and its
// events by path, and the other phases; built from a log's model and its
// statistics (analysis/stats_writers.h writes them as text, CSV or JSON).
#ifndef VYN_STATS_STATS_FIGURES_H_
#define VYN_STATS_STATS_FIGURES_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/log_model.h"
#include "stats/execution_profile.h"
#include "stats/figure_text.h"
#include "stats/sample_summary.h"
#include "stats/statistics.h"

namespace vyn::tools {

enum class StatsSort { Total, Mean, P50, P99, Count, Name };

// Which executions of which graphs the figures cover, and how they are ordered.
struct StatsSelection {
  std::vector<std::string> graphs;  // only these, when given
  std::uint64_t skipFirst = 0;
  // The order of each graph's event paths; `stats` ranks the graphs by it too.
  StatsSort sort = StatsSort::Total;
  // Keep each graph's execution times in execution order too (for charts).
  bool keepExecutionOrder = false;
};

struct PathFigures {
  std::string path;
  std::string name;  // the event's own name, the path's last
  // Places in order of first appearance, parents before their sub-paths, which
  // the sorted paths no longer keep: this path's and its parent's.
  std::uint32_t index = 0;
  std::uint32_t parent = profiling::kNoParentPath;
  std::uint32_t depth = 0;
  std::uint8_t unit = 0;
  profiling::PathValues values = profiling::PathValues::None;
  std::uint64_t executions = 0;
  std::uint64_t occurrences = 0;
  // Measured paths only, on two bases: the distribution of every occurrence's
  // value, and that of the path's sum in each of the graph's executions (0 in
  // those it does not appear in). Both have the same total.
  profiling::SampleSummary perOccurrence;
  profiling::SampleSummary perExecution;
  // Microsecond paths only: the total less the timed sub-paths' time, never
  // below 0 (profiling::selfTimes); and the total's share of the graph's
  // execution time.
  std::optional<double> selfTotal;
  std::optional<double> share;
  std::vector<profiling::DistinctValue> kinds;
};

struct GraphFigures {
  std::string name;
  profiling::SampleSummary executionTime;     // microseconds
  std::vector<double> executionTimesInOrder;  // microseconds; only when asked to keep them
  std::optional<profiling::SampleSummary> queueWait;
  std::optional<profiling::SampleSummary> withoutQueueWait;
  double inferencesPerSecond = 0;  // executions over their summed time; 0 when that is 0
  double selfTotal = 0;            // microseconds of the executions outside their timed top-level events
  std::vector<PathFigures> paths;  // sorted
};

struct PhaseFigures {
  std::string phase;
  std::string graph;                  // empty for the phases without one
  profiling::SampleSummary duration;  // microseconds
};

struct StatsFigures {
  std::string log;
  std::uint64_t skipFirst = 0;
  std::vector<GraphFigures> graphs;
  std::vector<PhaseFigures> phases;
  std::vector<std::string> missingGraphs;  // asked for with --graph, not in the log
};

// The figures of the graphs that selection chooses, in the log's order; log
// names the log they come from.
StatsFigures statsFigures(const std::string& log, const profiling::LogModel& model,
                          const profiling::Statistics& statistics, const StatsSelection& selection);

// Orders graphs by the figure of their execution time that sort names, largest
// first (total: the summed time; count: the executions), or by name; ties keep
// their order.
void sortGraphs(std::vector<GraphFigures>& graphs, StatsSort sort);

// "ZEL, ZOR x3; DMA": the distinct values with their counts.
std::string kindsText(const std::vector<profiling::DistinctValue>& kinds);

}  // namespace vyn::tools

#endif  // VYN_STATS_STATS_FIGURES_H_
