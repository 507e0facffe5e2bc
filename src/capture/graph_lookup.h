// Linear, first-match lookups of per-graph entries by exact graph name.
#ifndef VYN_CAPTURE_GRAPH_LOOKUP_H_
#define VYN_CAPTURE_GRAPH_LOOKUP_H_

#include <string>
#include <utility>
#include <vector>

#include "reader/phase_stat.h"

namespace vyn::profiling {

template <typename Entry>
Entry* findGraph(std::vector<Entry>& entries, const std::string& graphName) {
  for (Entry& entry : entries)
    if (entry.graphName == graphName) return &entry;
  return nullptr;
}

// Appends stat to the series of graphName, creating the series at the end when
// the graph is new.
inline void appendToSeries(std::vector<GraphPhaseSeries>& series, const std::string& graphName,
                           PhaseStat stat) {
  if (GraphPhaseSeries* entry = findGraph(series, graphName)) {
    entry->stats.push_back(std::move(stat));
    return;
  }
  series.push_back(GraphPhaseSeries{graphName, {}});
  series.back().stats.push_back(std::move(stat));
}

// The entry of graphName, appended with an empty statistic when missing.
inline GraphPhaseStat& findOrAddGraph(std::vector<GraphPhaseStat>& entries,
                                      const std::string& graphName) {
  if (GraphPhaseStat* entry = findGraph(entries, graphName)) return *entry;
  entries.push_back(GraphPhaseStat{graphName, {}});
  return entries.back();
}

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_GRAPH_LOOKUP_H_
