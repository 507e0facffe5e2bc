#include "stats/statistics.h"

#include "log/logger.h"
#include "model/event_value.h"
#include "stats/phase_statistics.h"

namespace vyn::profiling {
namespace {

constexpr std::uint32_t kQueueWaitEventId = 405;

constexpr const char* kMultipleQueueWaitText =
    "Multiple queue-wait time events found per execution. Cannot calculate Host Round-Trip "
    "excluding queue wait\n";

void appendSeriesStatistics(const std::vector<GraphSeries>& series, SeriesStatistics& statistics) {
  statistics.average.owe();
  for (const GraphSeries& graph : series) statistics.maximum.push_back({graph.graph, maximumOf(graph.occurrences)});
  for (const GraphSeries& graph : series) statistics.minimum.push_back({graph.graph, minimumOf(graph.occurrences)});
}

struct QueueWaitCount {
  std::size_t count = 0;
  std::uint64_t time = 0;  // of the last queue-wait event found
};

// Queue-wait events among the top-level events and their direct sub-events.
// Every execution is looked at: the rows are read directly.
QueueWaitCount countQueueWaits(const EventList& events) {
  QueueWaitCount found;
  if (events.empty()) return found;
  const unsigned top = events.begin()->depth;
  for (const EventRow& row : events) {
    if (row.identifier == kQueueWaitEventId && row.depth <= top + 1) {
      ++found.count;
      found.time = valueAsUnsigned(rowValue(row, events.texts()));
    }
  }
  return found;
}

// A failed pass is reported by its count: none found goes to the logger,
// several found to the notices for standard output.
void reportQueueWaitFailure(std::size_t count, const char* noneFoundMessage, std::string& notices) {
  if (count == 0) {
    VYN_LOG_DEBUG("%s", noneFoundMessage);
  } else {
    notices += kMultipleQueueWaitText;
  }
}

// Every pass stops at the first graph without exactly one queue-wait event where
// one is expected, and then keeps nothing, not even what earlier loads found.
void extractQueueWaitSamples(const LogModel& model, Statistics& statistics, std::string& notices) {
  for (const GraphSeries& graph : model.executions) {
    QueueWaitSamples samples{graph.graph, {}};
    samples.samples.reserve(graph.occurrences.size());
    for (const Occurrence& run : graph.occurrences) {
      const QueueWaitCount found = countQueueWaits(model.list(run.events));
      if (found.count != 1) {
        statistics.queueWaitSamples.clear();
        reportQueueWaitFailure(found.count, "No queue-wait time event found per execution.", notices);
        return;
      }
      samples.samples.push_back(found.time);
    }
    statistics.queueWaitSamples.push_back(std::move(samples));
  }
}

void extractQueueWaitValues(const LogModel& model, const std::vector<GraphExtreme>& extremes,
                            std::vector<QueueWaitValue>& values, const char* noneFoundMessage, std::string& notices) {
  for (const GraphExtreme& entry : extremes) {
    const QueueWaitCount found = countQueueWaits(model.list(entry.occurrence.events));
    if (found.count != 1) {
      values.clear();
      reportQueueWaitFailure(found.count, noneFoundMessage, notices);
      return;
    }
    values.push_back({entry.graph, found.time});
  }
}

}  // namespace

void appendStatistics(const LogModel& model, Statistics& statistics, std::string& notices) {
  appendSeriesStatistics(model.executions, statistics.executions);
  appendSeriesStatistics(model.sectionApplications, statistics.sectionApplications);
  appendSeriesStatistics(model.tensorUpdates, statistics.tensorUpdates);

  if (model.hostRoundTrip) {
    extractQueueWaitSamples(model, statistics, notices);
    extractQueueWaitValues(model, statistics.executions.maximum, statistics.queueWaitMax,
                           "No max queue-wait time event found per execution.", notices);
    extractQueueWaitValues(model, statistics.executions.minimum, statistics.queueWaitMin,
                           "No min queue-wait time event found per execution.", notices);
  }

  if (model.contextCreation) {
    statistics.initTimestamp = model.contextCreation->timestamp;
    statistics.initTime = model.contextCreation->value;
  } else if (model.finalizeMessageSeen) {
    statistics.initTimestamp = model.initMessageTimestamp;
    statistics.initTime = model.composeTime + model.initMessageTime;
    for (const GraphOccurrence& entry : model.finalizations) statistics.initTime += entry.occurrence.value;
  }
}

void SeriesAverages::settle(const LogModel& model) const {
  for (const GraphSeries& graph : model.*series_)
    averages_.push_back({graph.graph, averageOf(model, graph.occurrences)});
  owed_ = false;
}

}  // namespace vyn::profiling
