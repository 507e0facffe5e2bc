#include "stats/stats_figures.h"

#include <algorithm>
#include <utility>

#include "base/parallel_for.h"
#include "stats/graph_choice.h"
#include "stats/phase_durations.h"
#include "stats/self_time.h"
#include "stats/summary_with_zeros.h"

namespace vyn::tools {
namespace {

using profiling::ExecutionProfile;
using profiling::PathProfile;
using profiling::PathValues;
using profiling::SampleSummary;

// The figure of summary a sort ranks by, count for StatsSort::Count. Events
// rank by their figures per occurrence (ranked per execution, the mean would
// only repeat the total).
double sortKey(const SampleSummary& summary, std::uint64_t count, StatsSort sort) {
  switch (sort) {
    case StatsSort::Mean:
      return summary.mean;
    case StatsSort::P50:
      return summary.p50;
    case StatsSort::P99:
      return summary.p99;
    case StatsSort::Count:
      return static_cast<double>(count);
    default:
      return summary.total;
  }
}

// Microsecond measurements first, then the other measurements (their totals
// are not times and do not compare with the first), each by the key, largest
// first; then the paths without measurements by count. Ties keep the order in
// which the paths first appeared.
int sortGroup(const PathFigures& path) {
  if (path.values != PathValues::Measured) return 2;
  return isMicroseconds(path.unit) ? 0 : 1;
}

void sortPaths(std::vector<PathFigures>& paths, StatsSort sort) {
  std::stable_sort(paths.begin(), paths.end(), [sort](const PathFigures& a, const PathFigures& b) {
    if (sort == StatsSort::Name) return a.path < b.path;
    const int aGroup = sortGroup(a);
    const int bGroup = sortGroup(b);
    if (aGroup != bGroup) return aGroup < bGroup;
    if (aGroup == 2) return a.occurrences > b.occurrences;
    return sortKey(a.perOccurrence, a.occurrences, sort) > sortKey(b.perOccurrence, b.occurrences, sort);
  });
}

GraphFigures graphFigures(const profiling::LogModel& model, ExecutionProfile& profile, const StatsSelection& options) {
  GraphFigures graph;
  graph.name = std::string(model.text(profile.graph));
  if (!profile.queueWaits.empty()) {
    std::vector<double> without(profile.executionTimes.size());
    for (std::size_t at = 0; at < without.size(); ++at) {
      without[at] = profile.executionTimes[at] - profile.queueWaits[at];
    }
    graph.queueWait = profiling::summarize(profile.queueWaits);
    graph.withoutQueueWait = profiling::summarize(without);
  }
  if (options.keepExecutionOrder) graph.executionTimesInOrder = profile.executionTimes;
  graph.executionTime = profiling::summarize(profile.executionTimes);
  if (graph.executionTime.total > 0) {
    graph.inferencesPerSecond = static_cast<double>(graph.executionTime.count) / (graph.executionTime.total / 1e6);
  }
  const profiling::SelfTimes self = profiling::selfTimes(profile);
  graph.selfTotal = self.graph;
  const std::size_t executions = profile.executionTimes.size();
  graph.paths.reserve(profile.paths.size());
  for (std::uint32_t at = 0; at < profile.paths.size(); ++at) {
    PathProfile& path = profile.paths[at];
    PathFigures& figures = graph.paths.emplace_back();
    figures.path = profiling::pathText(model, profile, at);
    figures.name = std::string(model.text(path.name));
    figures.index = at;
    figures.parent = path.parent;
    figures.depth = path.depth;
    figures.unit = path.unit;
    figures.values = path.values;
    figures.executions = path.executions;
    figures.occurrences = path.occurrences;
    figures.kinds = std::move(path.kinds);
    if (path.values == PathValues::Measured) {
      figures.perOccurrence = profiling::summarize(path.samples);
      const std::size_t absent = executions - std::min(executions, path.perExecution.size());
      figures.perExecution = profiling::summarizeWithZeros(path.perExecution, absent);
      if (isMicroseconds(path.unit)) {
        figures.selfTotal = self.self[at];
        if (graph.executionTime.total > 0) figures.share = figures.perOccurrence.total / graph.executionTime.total;
      }
    }
    // The samples are summarised; what they held is not needed any more.
    std::vector<double>().swap(path.samples);
    std::vector<double>().swap(path.perExecution);
  }
  sortPaths(graph.paths, options.sort);
  return graph;
}

}  // namespace

StatsFigures statsFigures(const std::string& log, const profiling::LogModel& model,
                          const profiling::Statistics& statistics, const StatsSelection& options) {
  StatsFigures figures;
  figures.log = log;
  figures.skipFirst = options.skipFirst;
  std::vector<ExecutionProfile> profiles =
      profiling::profileExecutions(model, statistics, options.skipFirst, profiling::PathSamples::Both);
  std::vector<ExecutionProfile*> chosen;
  for (ExecutionProfile& profile : profiles) {
    if (isChosenGraph(options.graphs, std::string(model.text(profile.graph)))) chosen.push_back(&profile);
  }
  figures.graphs.resize(chosen.size());
  base::parallelFor(chosen.size(),
                    [&](std::size_t at) { figures.graphs[at] = graphFigures(model, *chosen[at], options); });
  for (profiling::PhaseDurations& phase : profiling::phaseDurations(model)) {
    const std::string graph(model.text(phase.graph));
    if (!graph.empty() && !isChosenGraph(options.graphs, graph)) continue;
    figures.phases.push_back({std::string(phase.phase), graph, profiling::summarize(phase.durations)});
  }
  for (const std::string& name : options.graphs) {
    const bool found = std::any_of(figures.graphs.begin(), figures.graphs.end(),
                                   [&](const GraphFigures& graph) { return graph.name == name; }) ||
                       std::any_of(figures.phases.begin(), figures.phases.end(),
                                   [&](const PhaseFigures& phase) { return phase.graph == name; });
    if (!found) figures.missingGraphs.push_back(name);
  }
  return figures;
}

void sortGraphs(std::vector<GraphFigures>& graphs, StatsSort sort) {
  const auto key = [sort](const GraphFigures& graph) {
    return sortKey(graph.executionTime, graph.executionTime.count, sort);
  };
  std::stable_sort(graphs.begin(), graphs.end(), [&](const GraphFigures& a, const GraphFigures& b) {
    return sort == StatsSort::Name ? a.name < b.name : key(a) > key(b);
  });
}

std::string kindsText(const std::vector<profiling::DistinctValue>& kinds) {
  std::string text;
  for (const profiling::DistinctValue& kind : kinds) {
    if (!text.empty()) text += "; ";
    text += kind.text.empty() ? "(empty)" : kind.text;
    if (kind.count != 1) text += " x" + std::to_string(kind.count);
  }
  return text;
}

}  // namespace vyn::tools
