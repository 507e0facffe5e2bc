// stats: what a log's executions and phases come to, per graph and per event.
#include "analysis/stats_writers.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {

int runStats(const StatsOptions& options) {
  const std::unique_ptr<LoadedLog> log = loadCommandInput(options.logPath, options.visibility, options.verbose);
  if (log == nullptr) return 1;
  StatsFigures figures = statsFigures(log->path, log->model, log->statistics, options);
  if (!figures.missingGraphs.empty()) return reportUnknownGraph(*log, figures.missingGraphs.front());
  sortGraphs(figures.graphs, options.sort);
  return writeCommandOutput(options.outputPath, {options.logPath}, statsDocument(figures, options));
}

}  // namespace vyn::tools
