// The figures of a log that is still being written, brought up to date as it
// grows: per graph the executions so far, the last execution's time, the median
// and 99th percentile over every execution and over the last interval's, and
// the event paths that took the most. Each update costs in proportion to what
// the model gained since the last, not to the whole log.
#ifndef VYN_STATS_LIVE_FIGURES_H_
#define VYN_STATS_LIVE_FIGURES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/log_model.h"
#include "stats/ordered_samples.h"
#include "stats/path_values.h"
#include "stats/sample_summary.h"

namespace vyn::profiling {

struct LiveEventTotal {
  std::string path;  // "Layer conv1 / Compute"
  std::uint8_t unit = 0;
  double total = 0;  // of every occurrence's value so far
  std::uint64_t occurrences = 0;
};

struct LiveGraphFigures {
  TextId graph = kEmptyText;
  std::uint64_t executions = 0;  // so far
  std::uint64_t lastUs = 0;      // the latest execution's time
  double p50Us = 0, p99Us = 0;   // over every execution so far
  // Over the executions the last interval added (count 0 when it added none).
  SampleSummary interval;
  // Measured event paths, microsecond ones first, each group by total, largest
  // first; ties in order of first appearance.
  std::vector<LiveEventTotal> topEvents;
};

class LiveFigures {
 public:
  // Takes what model gained since the last call, which closes an interval: the
  // executions appended, and the events attached since to executions that had
  // none when they were taken (a runtime may log an execution's events after
  // it). model must be the one every call was given, only ever grown.
  void advance(const LogModel& model);

  // Per graph with executions, in the model's order, with up to topEvents
  // event paths each.
  std::vector<LiveGraphFigures> figures(const LogModel& model, std::size_t topEvents) const;

 private:
  struct PathTotal {
    std::uint32_t parent = 0;
    TextId name = kEmptyText;
    std::uint8_t unit = 0;
    PathValues values = PathValues::None;
    double total = 0;
    std::uint64_t occurrences = 0;
  };
  // Executions [begin, end) of a graph taken without events.
  struct Range {
    std::size_t begin = 0, end = 0;
  };
  struct GraphState {
    std::size_t taken = 0;  // executions taken so far
    OrderedSamples times;
    SampleSummary interval;
    std::vector<Range> eventless;  // oldest first, from eventlessFront on
    std::size_t eventlessFront = 0;
    std::vector<PathTotal> paths;
    std::unordered_map<std::uint64_t, std::uint32_t> pathIndex;  // by parent and name
    // The path of each row of the latest execution taken: executions mostly
    // repeat the same events, so row i is first tried as the path row i was.
    std::vector<std::uint32_t> previousRows;
  };

  void takeEvents(const LogModel& model, GraphState& state, EventSpan events);
  void takeLateEvents(const LogModel& model, GraphState& state, const GraphSeries& series);

  std::vector<GraphState> graphs_;    // by position in the model's executions
  std::vector<std::uint32_t> stack_;  // the path at each depth of the current event
};

}  // namespace vyn::profiling

#endif  // VYN_STATS_LIVE_FIGURES_H_
