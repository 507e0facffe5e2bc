#include "stats/diff_samples.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "stats/execution_profile.h"
#include "stats/figure_text.h"
#include "stats/graph_choice.h"
#include "stats/sample_sort.h"

namespace vyn::tools {
namespace {

using profiling::ExecutionProfile;
using profiling::PathProfile;
using profiling::PathValues;

GraphSamples graphSamples(const profiling::LogModel& model, ExecutionProfile& profile, std::string name) {
  GraphSamples graph;
  graph.name = std::move(name);
  graph.execution.unit = eventUnitName(profiling::EventUnit::Microseconds);
  graph.execution.values = std::move(profile.executionTimes);
  std::unordered_map<std::string, std::size_t> rowOf;  // by unit and path text
  for (std::uint32_t at = 0; at < profile.paths.size(); ++at) {
    PathProfile& path = profile.paths[at];
    if (path.values != PathValues::Measured || path.perExecution.empty()) continue;
    std::string text = profiling::pathText(model, profile, at);
    const std::string_view unit = eventUnitName(path.unit);
    std::string key = std::string(unit) + '\n' + text;
    const auto [found, added] = rowOf.emplace(std::move(key), graph.events.size());
    if (added) {
      graph.events.push_back({std::move(text), unit, std::move(path.perExecution)});
    } else {
      // Distinct paths that read alike (a name holding " / "): one row, as they
      // cannot be told apart in the other log either.
      std::vector<double>& values = graph.events[found->second].values;
      values.insert(values.end(), path.perExecution.begin(), path.perExecution.end());
    }
    // Only the sums per execution are compared.
    std::vector<double>().swap(path.samples);
    std::vector<double>().swap(path.perExecution);
  }
  profiling::sortSamples(graph.execution.values);
  for (RowSamples& row : graph.events) profiling::sortSamples(row.values);
  return graph;
}

}  // namespace

std::vector<GraphSamples> gatherSamples(const profiling::LogModel& model, const profiling::Statistics& statistics,
                                        std::uint64_t skipFirst, const std::vector<std::string>& graphs) {
  std::vector<GraphSamples> samples;
  std::vector<ExecutionProfile> profiles =
      profiling::profileExecutions(model, statistics, skipFirst, profiling::PathSamples::PerExecution);
  for (ExecutionProfile& profile : profiles) {
    std::string name(model.text(profile.graph));
    if (!isChosenGraph(graphs, name)) continue;
    samples.push_back(graphSamples(model, profile, std::move(name)));
  }
  return samples;
}

}  // namespace vyn::tools
