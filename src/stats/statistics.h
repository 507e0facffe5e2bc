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

// The averages of one series of the model: one entry per graph for every load,
// each over the occurrences its graph had when that load ended. Averaging merges
// every event of a series, and only some reports print it, so the latest load's
// entries are computed when first read, from the model as that load left it.
// Reading them changes nothing a reader can see: whichever report reads first,
// every report reads the same entries. Not for several threads at once.
class SeriesAverages {
 public:
  using Series = std::vector<GraphSeries> LogModel::*;
  explicit SeriesAverages(Series series) : series_(series) {}

  // Every load's entries, in load order and then graph order.
  // REQUIRES: model is the one the statistics were appended from, unchanged since.
  const std::vector<GraphAverage>& of(const LogModel& model) const {
    if (owed_) settle(model);
    return averages_;
  }
  // A load has ended: its entries are owed.
  void owe() { owed_ = true; }

 private:
  void settle(const LogModel& model) const;

  Series series_;
  mutable std::vector<GraphAverage> averages_;
  mutable bool owed_ = false;
};

struct SeriesStatistics {
  explicit SeriesStatistics(SeriesAverages::Series series) : average(series) {}

  SeriesAverages average;
  std::vector<GraphExtreme> maximum;
  std::vector<GraphExtreme> minimum;
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
  // Computes every owed average now, as a load must before it changes the model.
  void settleAverages(const LogModel& model) const {
    executions.average.of(model);
    sectionApplications.average.of(model);
    tensorUpdates.average.of(model);
  }

  SeriesStatistics executions{&LogModel::executions};
  SeriesStatistics sectionApplications{&LogModel::sectionApplications};
  SeriesStatistics tensorUpdates{&LogModel::tensorUpdates};
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
// The averages are owed (see SeriesAverages); a load that follows calls
// statistics.settleAverages before it changes the model.
void appendStatistics(const LogModel& model, Statistics& statistics, std::string& notices);

}  // namespace vyn::profiling

#endif  // VYN_STATS_STATISTICS_H_
