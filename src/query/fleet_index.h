// The logs of a query, one fleet: their graphs and phase occurrences numbered
// once, in the order of the tidy export, with where each occurrence's events
// sit. The events themselves stay in the loaded models and are read in place.
//
// Ids start at 1 and run across the fleet in the order of the logs: a log's
// graphs in order of first appearance, its occurrences and its events in the
// export's order (events in pre-order). So the same logs, given in the same
// order, get the same ids wherever they are numbered.
#ifndef VYN_QUERY_FLEET_INDEX_H_
#define VYN_QUERY_FLEET_INDEX_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "analysis/loaded_log.h"
#include "model/event_row.h"
#include "query/log_facts.h"

namespace vyn::query {

inline constexpr std::uint32_t kNoGraph = UINT32_MAX;

struct FleetLog {
  const tools::LoadedLog* log = nullptr;
  LogFacts facts;
  // Each log's rows are side by side: [first, end) of the fleet's vectors.
  std::uint32_t firstGraph = 0, graphEnd = 0;
  std::uint32_t firstOccurrence = 0, occurrenceEnd = 0;
  std::uint64_t firstEvent = 0, eventEnd = 0;
};

struct FleetGraph {
  std::uint32_t log = 0;
  std::string_view name;
  std::vector<std::uint32_t> occurrences;  // the graph's occurrences, ascending
};

struct FleetOccurrence {
  std::uint32_t log = 0;
  std::uint32_t graph = kNoGraph;  // a phase of the whole session has none
  std::string_view phase;
  std::uint64_t occurrence = 0;  // index within the graph's (or the session's) calls
  std::uint64_t timestamp = 0;
  std::uint64_t duration = 0;
  std::optional<std::uint64_t> queueWait;  // executions timed as host round trips
  profiling::EventSpan events;
  std::uint64_t firstEvent = 0;  // the fleet-wide index of its first event
};

class FleetIndex {
 public:
  explicit FleetIndex(const std::vector<const tools::LoadedLog*>& logs);

  const std::vector<FleetLog>& logs() const { return logs_; }
  const std::vector<FleetGraph>& graphs() const { return graphs_; }
  const std::vector<FleetOccurrence>& occurrences() const { return occurrences_; }
  std::uint64_t eventCount() const { return eventCount_; }
  const profiling::LogModel& model(std::uint32_t log) const { return logs_[log].log->model; }

  // The occurrence that holds the event at a fleet-wide index below eventCount().
  std::uint32_t occurrenceOfEvent(std::uint64_t event) const;

 private:
  std::vector<FleetLog> logs_;
  std::vector<FleetGraph> graphs_;
  std::vector<FleetOccurrence> occurrences_;
  std::uint64_t eventCount_ = 0;
};

}  // namespace vyn::query

#endif  // VYN_QUERY_FLEET_INDEX_H_
