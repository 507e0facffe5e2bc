// report: a self-contained HTML page of a log's executions, with charts.
#include "log/command_output.h"
#include "log/commands.h"
#include "log/html/report_options.h"
#include "log/html/report_page.h"
#include "log/stats/stats_figures.h"

namespace vyn::tools {

int runReport(const ReportOptions& options) {
  const std::unique_ptr<LoadedLog> log = loadCommandInput(options.logPath, options.visibility, options.verbose);
  if (log == nullptr) return 1;
  StatsOptions statsOptions;
  statsOptions.logPath = options.logPath;
  statsOptions.graphs = options.graphs;
  statsOptions.skipFirst = options.skipFirst;
  statsOptions.unit = options.unit;
  statsOptions.keepExecutionOrder = true;
  const StatsFigures figures = statsFigures(*log, statsOptions);
  if (!figures.missingGraphs.empty()) return reportUnknownGraph(*log, figures.missingGraphs.front());
  return writeCommandOutput(options.outputPath, {options.logPath}, reportPage(figures, options));
}

}  // namespace vyn::tools
