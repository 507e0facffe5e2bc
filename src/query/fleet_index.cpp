#include "query/fleet_index.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "analysis/export_walk.h"

namespace vyn::query {
namespace {

// Numbers one log's occurrences as the export walks them, giving each graph
// name an id at its first appearance.
class LogNumbering : public tools::ExportOccurrenceSink {
 public:
  LogNumbering(std::uint32_t log, const tools::LoadedLog& loaded, std::vector<FleetGraph>& graphs,
               std::vector<FleetOccurrence>& occurrences, std::uint64_t& eventCount)
      : log_(log), graphs_(graphs), occurrences_(occurrences), eventCount_(eventCount) {
    const profiling::LogModel& model = loaded.model;
    if (!model.hostRoundTrip) return;
    // The queue waits of a graph's executions, as stats reads them: one per execution.
    for (const profiling::GraphSeries& series : model.executions) {
      for (const profiling::QueueWaitSamples& waits : loaded.statistics.queueWaitSamples) {
        if (waits.graph == series.graph && waits.samples.size() == series.occurrences.size()) {
          queueWaits_.emplace(model.text(series.graph), &waits.samples);
          break;
        }
      }
    }
  }

  void occurrence(const tools::OccurrenceColumns& key, const profiling::Occurrence& occurrence) override {
    FleetOccurrence row;
    row.log = log_;
    row.phase = key.phase;
    row.occurrence = key.occurrence;
    row.timestamp = key.timestamp;
    row.duration = key.duration;
    row.events = occurrence.events;
    row.firstEvent = eventCount_;
    const auto at = static_cast<std::uint32_t>(occurrences_.size());
    if (key.hasGraph) {
      row.graph = graphId(key.graph);
      graphs_[row.graph].occurrences.push_back(at);
      if (key.phase == "execute") {
        const auto waits = queueWaits_.find(key.graph);
        if (waits != queueWaits_.end() && key.occurrence < waits->second->size()) {
          row.queueWait = (*waits->second)[key.occurrence];
        }
      }
    }
    eventCount_ += occurrence.events.count;
    occurrences_.push_back(row);
  }

 private:
  std::uint32_t graphId(std::string_view name) {
    const auto [entry, added] = ids_.emplace(name, static_cast<std::uint32_t>(graphs_.size()));
    if (added) {
      FleetGraph graph;
      graph.log = log_;
      graph.name = name;
      graphs_.push_back(std::move(graph));
    }
    return entry->second;
  }

  std::uint32_t log_;
  std::vector<FleetGraph>& graphs_;
  std::vector<FleetOccurrence>& occurrences_;
  std::uint64_t& eventCount_;
  std::unordered_map<std::string_view, std::uint32_t> ids_;
  std::unordered_map<std::string_view, const std::vector<std::uint64_t>*> queueWaits_;
};

}  // namespace

FleetIndex::FleetIndex(const std::vector<const tools::LoadedLog*>& logs) {
  for (const tools::LoadedLog* loaded : logs) {
    FleetLog log;
    log.log = loaded;
    log.facts = logFacts(*loaded);
    log.firstGraph = static_cast<std::uint32_t>(graphs_.size());
    log.firstOccurrence = static_cast<std::uint32_t>(occurrences_.size());
    log.firstEvent = eventCount_;
    LogNumbering numbering(static_cast<std::uint32_t>(logs_.size()), *loaded, graphs_, occurrences_, eventCount_);
    tools::walkExportOccurrences(loaded->model, numbering);
    log.graphEnd = static_cast<std::uint32_t>(graphs_.size());
    log.occurrenceEnd = static_cast<std::uint32_t>(occurrences_.size());
    log.eventEnd = eventCount_;
    logs_.push_back(log);
  }
}

std::uint32_t FleetIndex::occurrenceOfEvent(std::uint64_t event) const {
  // The last occurrence whose first event is at or before it and that holds events.
  auto after = std::upper_bound(occurrences_.begin(), occurrences_.end(), event,
                                [](std::uint64_t index, const FleetOccurrence& row) { return index < row.firstEvent; });
  auto at = after - 1;
  while (at->events.count == 0) --at;
  return static_cast<std::uint32_t>(at - occurrences_.begin());
}

}  // namespace vyn::query
