// report: a self-contained HTML page of a log's executions, with charts.
#include "analysis/report_options.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "log/html/report_page.h"
#include "stats/stats_figures.h"

namespace vyn::tools {

int runReport(const ReportOptions& options) {
  const std::unique_ptr<LoadedLog> log = loadCommandInput(options.logPath, options.visibility, options.verbose);
  if (log == nullptr) return 1;
  StatsSelection statsOptions;
  statsOptions.graphs = options.graphs;
  statsOptions.skipFirst = options.skipFirst;
  statsOptions.keepExecutionOrder = true;
  const StatsFigures figures = statsFigures(log->path, log->model, log->statistics, statsOptions);
  if (!figures.missingGraphs.empty()) return reportUnknownGraph(*log, figures.missingGraphs.front());
  return writeCommandOutput(options.outputPath, {options.logPath}, reportPage(figures, options));
}

}  // namespace vyn::tools
