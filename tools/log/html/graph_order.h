// Which graphs a page draws charts for, and in which order: the ones that cost
// the most time first, so that the first screen shows what matters, and no more
// than a browser opens with ease.
#ifndef VYN_TOOLS_LOG_HTML_GRAPH_ORDER_H_
#define VYN_TOOLS_LOG_HTML_GRAPH_ORDER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vyn::tools {

// Graphs beyond this many get no charts, so that a log of thousands of graphs
// still makes a page a browser opens.
inline constexpr std::size_t kMaxChartedGraphs = 100;

// The anchor of the charts of the graph at this rank: "graph-1" for the first.
std::string chartAnchor(std::size_t rank);

// The indexes of totals, largest total first; equal totals keep their order.
std::vector<std::size_t> largestFirst(const std::vector<double>& totals);

// What a page says when it charts only the first kMaxChartedGraphs of graphs:
// "Charts for the 100 graphs with the largest total execution time; 1,900 more
// are REST." Empty when every graph is charted.
std::string chartLimitNote(std::size_t graphs, std::string_view rest);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_GRAPH_ORDER_H_
