#include "stats/phase_durations.h"

namespace vyn::profiling {
namespace {

void addOne(std::vector<PhaseDurations>& phases, std::string_view phase, std::uint64_t duration,
            TextId graph = kEmptyText) {
  phases.push_back({phase, graph, {static_cast<double>(duration)}});
}

void addSeries(std::vector<PhaseDurations>& phases, std::string_view phase, const std::vector<GraphSeries>& series) {
  for (const GraphSeries& graph : series) {
    if (graph.occurrences.empty()) continue;
    PhaseDurations& entry = phases.emplace_back();
    entry.phase = phase;
    entry.graph = graph.graph;
    entry.durations.reserve(graph.occurrences.size());
    for (const Occurrence& occurrence : graph.occurrences) {
      entry.durations.push_back(static_cast<double>(occurrence.value));
    }
  }
}

}  // namespace

std::vector<PhaseDurations> phaseDurations(const LogModel& model) {
  std::vector<PhaseDurations> phases;
  if (model.initMessageTime != 0 || model.initName != kEmptyText) addOne(phases, "init", model.initMessageTime);
  if (model.contextCreation) addOne(phases, "context creation", model.contextCreation->value);
  if (model.libraryLoad) addOne(phases, "library load", model.libraryLoad->value);
  if (model.composeMessages != 0) addOne(phases, "compose", model.composeTime);
  for (const GraphOccurrence& finalization : model.finalizations) {
    addOne(phases, "finalize", finalization.occurrence.value, finalization.graph);
  }
  addSeries(phases, "binary section", model.sectionApplications);
  addSeries(phases, "tensor update", model.tensorUpdates);
  if (model.sectionUpdate) addOne(phases, "section update", model.sectionUpdate->value);
  if (model.deInit.timestamp != 0 || model.deInit.value != 0) addOne(phases, "de-init", model.deInit.value);
  return phases;
}

}  // namespace vyn::profiling
