// After the last record: per-graph averages, maxima and minima, the queue-wait
// time of each execution when executions were timed as host round trips, and the
// Init total.

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

void appendSeriesStatistics(const std::vector<GraphPhaseSeries>& series,
                            std::vector<GraphPhaseStat>& average,
                            std::vector<GraphPhaseStat>& maximum,
                            std::vector<GraphPhaseStat>& minimum) {
  average.reserve(average.size() + series.size());
  maximum.reserve(maximum.size() + series.size());
  minimum.reserve(minimum.size() + series.size());
  for (const GraphPhaseSeries& graph : series)
    average.push_back({graph.graphName, averagePhaseStats(graph.stats)});
  for (const GraphPhaseSeries& graph : series)
    maximum.push_back({graph.graphName, maxPhaseStat(graph.stats)});
  for (const GraphPhaseSeries& graph : series)
    minimum.push_back({graph.graphName, minPhaseStat(graph.stats)});
}

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

void extractQueueWaitSamples(VynProfileLogReader& reader, std::ostringstream& diagnosticText) {
  for (const GraphPhaseSeries& graph : reader.executeSeries) {
    QueueWaitSamples samples{graph.graphName, {}};
    samples.samples.reserve(graph.stats.size());
    for (const PhaseStat& run : graph.stats) {
      const QueueWaitCount found = countQueueWaits(run.subEvents);
      if (found.count != 1) {
        reader.queueWaitSamples.clear();
        reportQueueWaitFailure(found.count, "No queue-wait time event found per execution.",
                               diagnosticText);
        return;
      }
      samples.samples.push_back(found.time);
    }
    reader.queueWaitSamples.push_back(std::move(samples));
  }
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
  appendSeriesStatistics(executeSeries, executeAverage, executeMax, executeMin);
  appendSeriesStatistics(applySectionSeries, applySectionAverage, applySectionMax, applySectionMin);
  appendSeriesStatistics(tensorUpdateSeries, tensorUpdateAverage, tensorUpdateMax, tensorUpdateMin);

  if (hostRoundTrip) {
    extractQueueWaitSamples(*this, diagnosticText);
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
