// After the last record: per-graph averages, maxima and minima, the queue-wait
// time of each execution when executions were timed as host round trips, and the
// Init total.
#include <optional>

#include "capture/event_value.h"
#include "log/logger.h"
#include "reader/phase_statistics.h"
#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {
namespace {

constexpr std::uint32_t kQueueWaitEventId = 405;

constexpr const char* kMultipleQueueWaitText =
    "Multiple queue-wait time events found per execution. Cannot calculate Host Round-Trip "
    "excluding queue wait\n";

struct QueueWaitCount {
  std::size_t count = 0;
  std::uint64_t time = 0;  // of the last queue-wait event found
};

// Queue-wait events among the top-level events and their direct sub-events.
QueueWaitCount countQueueWaits(const std::vector<ProfileEvent>& events) {
  QueueWaitCount found;
  auto look = [&found](const ProfileEvent& event) {
    if (event.identifier != kQueueWaitEventId) return;
    ++found.count;
    found.time = eventValueAsUnsigned(event.value);
  };
  for (const ProfileEvent& event : events) {
    look(event);
    for (const ProfileEvent& sub : event.subEvents) look(sub);
  }
  return found;
}

// Reports a failed pass by its count: none found goes to the logger, several
// found to the text written to standard output.
void reportQueueWaitFailure(std::size_t count, const char* noneFoundMessage,
                            std::ostringstream& diagnosticText) {
  if (count == 0) {
    VYN_LOG_DEBUG("%s", noneFoundMessage);
  } else {
    diagnosticText << kMultipleQueueWaitText;
  }
}

// Collects the queue-wait time of every execution, graph by graph, while the
// averages walk the executions, so each execution's events are converted once.
// Stops at the first execution without exactly one queue-wait event.
class QueueWaitSampler {
 public:
  void startGraph(const std::string& graphName) {
    if (!failed_) graphs_.push_back({graphName, {}});
  }
  void take(const std::vector<ProfileEvent>& events) {
    if (failed_) return;
    const QueueWaitCount found = countQueueWaits(events);
    if (found.count != 1) {
      failed_ = true;
      failureCount_ = found.count;
      return;
    }
    graphs_.back().samples.push_back(found.time);
  }
  // Appends the samples, or on failure clears them all and reports why.
  void finish(std::vector<QueueWaitSamples>& samples, std::ostringstream& diagnosticText) {
    if (failed_) {
      samples.clear();
      reportQueueWaitFailure(failureCount_, "No queue-wait time event found per execution.",
                             diagnosticText);
      return;
    }
    for (QueueWaitSamples& graph : graphs_) samples.push_back(std::move(graph));
  }

 private:
  std::vector<QueueWaitSamples> graphs_;
  bool failed_ = false;
  std::size_t failureCount_ = 0;
};

// Appends each graph's average, then each graph's maximum, then each graph's
// minimum. A sampler, when given, sees every occurrence's events in order.
void appendSeriesStatistics(VynProfileLogReader& reader,
                            const std::vector<GraphPhaseSeries>& series,
                            std::vector<GraphPhaseStat>& average,
                            std::vector<GraphPhaseStat>& maximum,
                            std::vector<GraphPhaseStat>& minimum,
                            QueueWaitSampler* sampler = nullptr) {
  auto eventsOf = [&reader](const PhaseStat& stat) -> const std::vector<ProfileEvent>& {
    return reader.eventsOf(stat);
  };
  auto sampledEventsOf = [&](const PhaseStat& stat) -> const std::vector<ProfileEvent>& {
    const std::vector<ProfileEvent>& events = reader.eventsOf(stat);
    sampler->take(events);
    return events;
  };
  average.reserve(average.size() + series.size());
  maximum.reserve(maximum.size() + series.size());
  minimum.reserve(minimum.size() + series.size());
  for (const GraphPhaseSeries& graph : series) {
    if (sampler != nullptr) {
      sampler->startGraph(graph.graphName);
      average.push_back({graph.graphName, averagePhaseStats(graph.stats, sampledEventsOf)});
    } else {
      average.push_back({graph.graphName, averagePhaseStats(graph.stats, eventsOf)});
    }
  }
  for (const GraphPhaseSeries& graph : series)
    maximum.push_back({graph.graphName, maxPhaseStat(graph.stats, eventsOf)});
  for (const GraphPhaseSeries& graph : series)
    minimum.push_back({graph.graphName, minPhaseStat(graph.stats, eventsOf)});
}

void extractQueueWaitValues(const std::vector<GraphPhaseStat>& extremes,
                            std::vector<QueueWaitValue>& values, const char* noneFoundMessage,
                            std::ostringstream& diagnosticText) {
  for (const GraphPhaseStat& entry : extremes) {
    const QueueWaitCount found = countQueueWaits(entry.stat.subEvents);
    if (found.count != 1) {
      values.clear();
      reportQueueWaitFailure(found.count, noneFoundMessage, diagnosticText);
      return;
    }
    values.push_back({entry.graphName, found.time});
  }
}

}  // namespace

void VynProfileLogReader::aggregateStatistics(std::ostringstream& diagnosticText) {
  QueueWaitSampler sampler;
  appendSeriesStatistics(*this, executeSeries, executeAverage, executeMax, executeMin,
                         hostRoundTrip ? &sampler : nullptr);
  appendSeriesStatistics(*this, applySectionSeries, applySectionAverage, applySectionMax,
                         applySectionMin);
  appendSeriesStatistics(*this, tensorUpdateSeries, tensorUpdateAverage, tensorUpdateMax,
                         tensorUpdateMin);

  if (hostRoundTrip) {
    sampler.finish(queueWaitSamples, diagnosticText);
    extractQueueWaitValues(executeMax, queueWaitMax,
                           "No max queue-wait time event found per execution.", diagnosticText);
    extractQueueWaitValues(executeMin, queueWaitMin,
                           "No min queue-wait time event found per execution.", diagnosticText);
  }

  if (hasInitAltStat) {
    initTimestamp = initAltStat.timestamp;
    initTime = initAltStat.value;
  } else if (hasFinalize) {
    initTimestamp = initMessageTimestamp;
    initTime = composeTime + initMessageTime;
    for (const GraphPhaseStat& entry : finalizeStats) initTime += entry.stat.value;
  }
}

}  // namespace vyn::profiling
