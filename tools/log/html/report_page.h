// The page of `report`: the per-graph summary table, then per graph its
// execution times over the run, their distribution and where the time goes.
#ifndef VYN_TOOLS_LOG_HTML_REPORT_PAGE_H_
#define VYN_TOOLS_LOG_HTML_REPORT_PAGE_H_

#include <string>

#include "analysis/log_extent.h"
#include "analysis/report_options.h"
#include "analysis/stats_writers.h"

namespace vyn::tools {

// Graphs come by total execution time, largest first; the first
// kMaxChartedGraphs get charts, the others a row in the summary only.
// figures must keep their execution order (StatsOptions::keepExecutionOrder).
// A notice at the top says when extent is not the whole log.
std::string reportPage(const StatsFigures& figures, const ReportOptions& options, const LogExtent& extent);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_REPORT_PAGE_H_
