// What a loaded log's occurrences add up to: per-graph averages, maxima and
// minima of every timed series, the queue wait of each execution timed as a
// host round trip, and the Init total.
#ifndef VYN_STATS_STATISTICS_H_
#define VYN_STATS_STATISTICS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/event_row.h"
#include "model/log_model.h"
#include "model/occurrence.h"

namespace vyn::profiling {

// The average of a phase's occurrences: the mean of the non-zero durations, the
// last occurrence's timestamp, and the occurrences' events merged by name and
// averaged. The rows' names, texts and extras are the model's.
struct AveragedPhase {
  std::uint64_t value = 0;
  std::uint64_t timestamp = 0;
  std::vector<EventRow> events;
};

// The averaged events as a list, read through the model they came from.
inline EventList averagedEvents(const LogModel& model, const AveragedPhase& average) {
  return {average.events.data(), average.events.size(), model.texts, model.events};
}

struct GraphAverage {
  TextId graph = kEmptyText;
  AveragedPhase average;
};

// The occurrence that is a graph's maximum or minimum, as it was when chosen.
struct GraphExtreme {
  TextId graph = kEmptyText;
  Occurrence occurrence;
};

struct SeriesStatistics {
  std::vector<GraphAverage> average;
  std::vector<GraphExtreme> maximum;
  std::vector<GraphExtreme> minimum;
  // The averages of the latest load are still to be computed (see settleAverages).
  bool averageOwed = false;
};

struct QueueWaitSamples {
  TextId graph = kEmptyText;
  std::vector<std::uint64_t> samples;  // one per execution, in order
};

struct QueueWaitValue {
  TextId graph = kEmptyText;
  std::uint64_t value = 0;
};

struct Statistics {
  SeriesStatistics executions;
  SeriesStatistics sectionApplications;
  SeriesStatistics tensorUpdates;
  std::vector<QueueWaitSamples> queueWaitSamples;
  std::vector<QueueWaitValue> queueWaitMax;  // of each graph's maximum execution
  std::vector<QueueWaitValue> queueWaitMin;
  std::uint64_t initTimestamp = 0;
  std::uint64_t initTime = 0;
};

// Adds the statistics of the model as it now is to statistics, as every
// successful load does: each series gains one more entry per graph, computed
// over everything loaded so far. Text meant for standard output (the notice
// that queue waits could not be told apart) is appended to notices.
//
// The averages merge every event of a series, and only some reports print them:
// they are left owed, to be settled by settleAverages before they are read and
// before anything more is loaded, while the model is still as it was here.
void appendStatistics(const LogModel& model, Statistics& statistics, std::string& notices);

// Computes the owed averages of one series (a series of the model and its
// statistics); nothing when none are owed.
void settleAverages(const LogModel& model, const std::vector<GraphSeries>& series,
                    SeriesStatistics& statistics);
// The same for every series.
void settleAverages(const LogModel& model, Statistics& statistics);

}  // namespace vyn::profiling

#endif  // VYN_STATS_STATISTICS_H_
