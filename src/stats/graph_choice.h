// The --graph choice shared by the analyses: no names means every graph.
#ifndef VYN_STATS_GRAPH_CHOICE_H_
#define VYN_STATS_GRAPH_CHOICE_H_

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace vyn::tools {

inline bool isChosenGraph(const std::vector<std::string>& graphs, std::string_view name) {
  return graphs.empty() || std::find(graphs.begin(), graphs.end(), name) != graphs.end();
}

}  // namespace vyn::tools

#endif  // VYN_STATS_GRAPH_CHOICE_H_
