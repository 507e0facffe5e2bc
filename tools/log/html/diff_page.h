// The HTML form of `diff`: first the rows found slower or faster, the most
// significant first; then the graphs by the larger of their two total execution
// times, the first kMaxChartedGraphs with both runs' execution-time
// distributions on the same scale and their rows, the others a row each.
#ifndef VYN_TOOLS_LOG_HTML_DIFF_PAGE_H_
#define VYN_TOOLS_LOG_HTML_DIFF_PAGE_H_

#include <string>
#include <vector>

#include "analysis/diff_options.h"
#include "analysis/log_extent.h"
#include "stats/diff_compare.h"

namespace vyn::tools {

// A graph's execution times in both logs, microseconds; a side may be empty.
struct ExecutionDistributions {
  std::string graph;
  std::vector<double> base;
  std::vector<double> next;
};

// A notice at the top says when a log's extent is not the whole of it.
std::string diffPage(const ProfileDiff& diff, const DiffOptions& options,
                     const std::vector<ExecutionDistributions>& distributions, const LogExtent& baseExtent,
                     const LogExtent& newExtent);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_DIFF_PAGE_H_
