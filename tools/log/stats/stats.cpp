// stats: what a log's executions and phases come to, per graph and per event.
#include "common/output_file.h"
#include "log/commands.h"
#include "log/stats/stats_figures.h"

namespace vyn::tools {

int runStats(const StatsOptions& options) {
  std::string problem;
  const auto log = loadLog(options.logPath, static_cast<std::int8_t>(options.visibility), problem, options.verbose);
  if (!log) {
    reportProblem(options.logPath, problem);
    return 1;
  }
  const StatsFigures figures = statsFigures(*log, options);
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
  const std::string text = options.format == StatsFormat::Csv    ? statsCsv(figures, options)
                           : options.format == StatsFormat::Json ? statsJson(figures, options)
                                                                 : statsText(figures, options);
  OutputFile output;
  if (!output.open(options.outputPath, {options.logPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  output.write(text);
  if (!output.close()) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  return 0;
}

}  // namespace vyn::tools
