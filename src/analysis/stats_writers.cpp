#include "analysis/stats_writers.h"

#include <algorithm>

namespace vyn::tools {

TimeUnit statsTimeUnit(const StatsFigures& figures, TimeUnit wanted) {
  double typical = 0;
  for (const GraphFigures& graph : figures.graphs) typical = std::max(typical, graph.executionTime.p50);
  return resolveTimeUnit(wanted, typical);
}

std::string statsDocument(const StatsFigures& figures, const StatsOptions& options, const LogExtent& extent) {
  switch (options.format) {
    case StatsFormat::Csv:
      return statsCsv(figures, options);
    case StatsFormat::JsonDocument:
      return statsJson(figures, options, extent);
    default:
      return statsText(figures, options, extent);
  }
}

}  // namespace vyn::tools
