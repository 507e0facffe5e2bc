// Where each graph's entry sits in one of a loaded log's per-graph lists, so
// that a log naming many graphs is not searched whole for every message.
#ifndef VYN_CAPTURE_GRAPH_INDEX_H_
#define VYN_CAPTURE_GRAPH_INDEX_H_

#include <cstddef>
#include <vector>

#include "base/text_id_map.h"
#include "model/occurrence.h"

namespace vyn::profiling {

class GraphIndex {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // The position of graph's entry in entries, or npos. Entries are only ever
  // appended, one per graph; the index learns those appended since its last use.
  template <typename Entry>
  std::size_t find(const std::vector<Entry>& entries, TextId graph) {
    for (; indexed_ < entries.size(); ++indexed_) {
      positions_.insert(entries[indexed_].graph, static_cast<std::uint32_t>(indexed_));
    }
    const std::uint32_t found = positions_.find(graph);
    return found == base::TextIdMap<TextId>::kMissing ? npos : found;
  }

 private:
  base::TextIdMap<TextId> positions_;
  std::size_t indexed_ = 0;
};

// Appends occurrence to graph's series, which is added at the end when new.
inline void appendToSeries(std::vector<GraphSeries>& series, GraphIndex& index, TextId graph,
                           const Occurrence& occurrence) {
  const std::size_t position = index.find(series, graph);
  if (position != GraphIndex::npos) {
    series[position].occurrences.push_back(occurrence);
  } else {
    series.push_back(GraphSeries{graph, {occurrence}});
  }
}

// Graph's entry, added with an empty occurrence when missing.
inline GraphOccurrence& findOrAddGraph(std::vector<GraphOccurrence>& entries, GraphIndex& index, TextId graph) {
  const std::size_t position = index.find(entries, graph);
  if (position != GraphIndex::npos) return entries[position];
  entries.push_back(GraphOccurrence{graph, {}});
  return entries.back();
}

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_GRAPH_INDEX_H_
