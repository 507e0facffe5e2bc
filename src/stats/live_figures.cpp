#include "stats/live_figures.h"

#include <algorithm>
#include <cmath>

#include "stats/execution_profile.h"
#include "stats/figure_text.h"

namespace vyn::profiling {

void LiveFigures::advance(const LogModel& model) {
  if (graphs_.size() < model.executions.size()) graphs_.resize(model.executions.size());
  for (std::size_t graph = 0; graph < model.executions.size(); ++graph) {
    const GraphSeries& series = model.executions[graph];
    GraphState& state = graphs_[graph];
    takeLateEvents(model, state, series);
    std::vector<double> added;
    added.reserve(series.occurrences.size() - state.taken);
    for (; state.taken < series.occurrences.size(); ++state.taken) {
      const Occurrence& run = series.occurrences[state.taken];
      added.push_back(static_cast<double>(run.value));
      if (!run.events.empty()) {
        takeEvents(model, state, run.events);
      } else if (state.eventless.size() > state.eventlessFront && state.eventless.back().end == state.taken) {
        ++state.eventless.back().end;
      } else {
        state.eventless.push_back({state.taken, state.taken + 1});
      }
    }
    state.times.add(added);
    state.interval = summarize(added);
  }
}

// Late events go to the graph's oldest execution without any, so those taken
// without events gain them oldest first: once the oldest still has none, so
// have all after it.
void LiveFigures::takeLateEvents(const LogModel& model, GraphState& state, const GraphSeries& series) {
  while (state.eventlessFront < state.eventless.size()) {
    Range& range = state.eventless[state.eventlessFront];
    const EventSpan events = series.occurrences[range.begin].events;
    if (events.empty()) break;
    takeEvents(model, state, events);
    if (++range.begin == range.end) ++state.eventlessFront;
  }
  // Forget the ranges passed, once they are half of what is kept.
  if (state.eventlessFront > 0 && 2 * state.eventlessFront >= state.eventless.size()) {
    state.eventless.erase(state.eventless.begin(),
                          state.eventless.begin() + static_cast<std::ptrdiff_t>(state.eventlessFront));
    state.eventlessFront = 0;
  }
}

void LiveFigures::takeEvents(const LogModel& model, GraphState& state, EventSpan span) {
  const EventList events = model.list(span);
  if (events.empty()) return;
  const unsigned top = events.begin()->depth;
  stack_.clear();
  std::size_t rowIndex = 0;
  for (const EventRow& row : events) {
    std::size_t depth = row.depth - top;
    if (depth > stack_.size()) depth = stack_.size();
    const std::uint32_t parent = depth == 0 ? kNoParentPath : stack_[depth - 1];
    std::uint32_t id = kNoParentPath;
    if (rowIndex < state.previousRows.size()) {
      const PathTotal& guess = state.paths[state.previousRows[rowIndex]];
      if (guess.parent == parent && guess.name == row.name) id = state.previousRows[rowIndex];
    }
    if (id == kNoParentPath) {
      const auto [found, isNew] =
          state.pathIndex.try_emplace(pathKey(parent, row.name), static_cast<std::uint32_t>(state.paths.size()));
      if (isNew) state.paths.push_back({parent, row.name, row.unit, pathValuesOf(row), 0, 0});
      id = found->second;
    }
    if (rowIndex < state.previousRows.size()) {
      state.previousRows[rowIndex] = id;
    } else {
      state.previousRows.push_back(id);
    }
    ++rowIndex;
    stack_.resize(depth + 1);
    stack_[depth] = id;
    PathTotal& path = state.paths[id];
    ++path.occurrences;
    if (path.values != PathValues::Measured) continue;
    const double number = measuredNumber(row, model.texts);
    if (std::isfinite(number)) path.total += number;
  }
}

std::vector<LiveGraphFigures> LiveFigures::figures(const LogModel& model, std::size_t topEvents) const {
  std::vector<LiveGraphFigures> all;
  for (std::size_t graph = 0; graph < graphs_.size() && graph < model.executions.size(); ++graph) {
    const GraphSeries& series = model.executions[graph];
    const GraphState& state = graphs_[graph];
    if (state.taken == 0) continue;
    LiveGraphFigures figures;
    figures.graph = series.graph;
    figures.executions = state.taken;
    figures.lastUs = series.occurrences[state.taken - 1].value;
    figures.p50Us = state.times.percentile(50);
    figures.p99Us = state.times.percentile(99);
    figures.interval = state.interval;

    std::vector<std::uint32_t> measured;
    for (std::uint32_t path = 0; path < state.paths.size(); ++path) {
      if (state.paths[path].values == PathValues::Measured) measured.push_back(path);
    }
    const auto before = [&state](std::uint32_t a, std::uint32_t b) {
      const PathTotal& left = state.paths[a];
      const PathTotal& right = state.paths[b];
      const bool leftTime = vyn::tools::isMicroseconds(left.unit);
      if (leftTime != vyn::tools::isMicroseconds(right.unit)) return leftTime;
      if (left.total != right.total) return left.total > right.total;
      return a < b;
    };
    const std::size_t shown = std::min(topEvents, measured.size());
    std::partial_sort(measured.begin(), measured.begin() + static_cast<std::ptrdiff_t>(shown), measured.end(), before);
    for (std::size_t at = 0; at < shown; ++at) {
      const PathTotal& path = state.paths[measured[at]];
      figures.topEvents.push_back(
          {pathText(model, state.paths, measured[at]), path.unit, path.total, path.occurrences});
    }
    all.push_back(std::move(figures));
  }
  return all;
}

}  // namespace vyn::profiling
