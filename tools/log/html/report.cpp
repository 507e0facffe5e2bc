// report: a self-contained HTML page of a log's executions, with charts.
#include "common/output_file.h"
#include "log/commands.h"
#include "log/html/report_options.h"
#include "log/html/report_page.h"
#include "log/stats/stats_figures.h"

namespace vyn::tools {

int runReport(const ReportOptions& options) {
  std::string problem;
  const auto log = loadLog(options.logPath, static_cast<std::int8_t>(options.visibility), problem, options.verbose);
  if (!log) {
    reportProblem(options.logPath, problem);
    return 1;
  }
  StatsOptions statsOptions;
  statsOptions.logPath = options.logPath;
  statsOptions.graphs = options.graphs;
  statsOptions.skipFirst = options.skipFirst;
  statsOptions.unit = options.unit;
  statsOptions.keepExecutionOrder = true;
  const StatsFigures figures = statsFigures(*log, statsOptions);
  if (!figures.missingGraphs.empty()) {
    std::string known;
    for (const auto& series : log->model.executions) {
      known += known.empty() ? "" : ", ";
      known += log->model.text(series.graph);
    }
    reportProblem(options.logPath, "no graph named '" + figures.missingGraphs.front() + "'" +
                                       (known.empty() ? " (the log executes none)"
                                                      : " (graphs executed: " + known + ")"));
    return 1;
  }
  const std::string page = reportPage(figures, options);
  OutputFile output;
  if (!output.open(options.outputPath, {options.logPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  output.write(page);
  if (!output.close()) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  return 0;
}

}  // namespace vyn::tools
