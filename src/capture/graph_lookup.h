// First-match lookups of per-graph entries by exact graph name.
#ifndef VYN_CAPTURE_GRAPH_LOOKUP_H_
#define VYN_CAPTURE_GRAPH_LOOKUP_H_

#include <string>
#include <utility>
#include <vector>

#include "reader/graph_index.h"
#include "reader/phase_stat.h"

namespace vyn::profiling {

template <typename Entry>
Entry* findGraph(std::vector<Entry>& entries, GraphIndex& index, const std::string& graphName) {
  const std::size_t position = index.find(entries, graphName);
  return position == GraphIndex::npos ? nullptr : &entries[position];
}

// Appends stat to the series of graphName, creating the series at the end when
// the graph is new.
inline void appendToSeries(std::vector<GraphPhaseSeries>& series, GraphIndex& index,
                           const std::string& graphName, PhaseStat stat) {
  if (GraphPhaseSeries* entry = findGraph(series, index, graphName)) {
    entry->stats.push_back(std::move(stat));
    return;
  }
  series.push_back(GraphPhaseSeries{graphName, {}});
  series.back().stats.push_back(std::move(stat));
}

// The entry of graphName, appended with an empty statistic when missing.
inline GraphPhaseStat& findOrAddGraph(std::vector<GraphPhaseStat>& entries, GraphIndex& index,
                                      const std::string& graphName) {
  if (GraphPhaseStat* entry = findGraph(entries, index, graphName)) return *entry;
  entries.push_back(GraphPhaseStat{graphName, {}});
  return entries.back();
}

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_GRAPH_LOOKUP_H_
