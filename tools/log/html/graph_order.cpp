#include "log/html/graph_order.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "stats/figure_text.h"

namespace vyn::tools {

std::string chartAnchor(std::size_t rank) { return "graph-" + std::to_string(rank + 1); }

std::vector<std::size_t> largestFirst(const std::vector<double>& totals) {
  std::vector<std::size_t> order(totals.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  // A total that is not a number sorts last, so that the order stays a strict one.
  auto key = [&](std::size_t at) { return std::isnan(totals[at]) ? -HUGE_VAL : totals[at]; };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) > key(b); });
  return order;
}

std::string chartLimitNote(std::size_t graphs, std::string_view rest) {
  if (graphs <= kMaxChartedGraphs) return {};
  return "Charts for the " + countText(kMaxChartedGraphs) + " graphs with the largest total execution time; " +
         countText(graphs - kMaxChartedGraphs) + (graphs - kMaxChartedGraphs == 1 ? " more is " : " more are ") +
         std::string(rest) + ".";
}

}  // namespace vyn::tools
