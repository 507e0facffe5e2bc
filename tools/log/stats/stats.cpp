// stats: what a log's executions and phases come to, per graph and per event.
#include "log/command_output.h"
#include "log/commands.h"
#include "log/stats/stats_figures.h"

namespace vyn::tools {

int runStats(const StatsOptions& options) {
  const std::unique_ptr<LoadedLog> log = loadCommandInput(options.logPath, options.visibility, options.verbose);
  if (log == nullptr) return 1;
  StatsFigures figures = statsFigures(*log, options);
  if (!figures.missingGraphs.empty()) return reportUnknownGraph(*log, figures.missingGraphs.front());
  sortGraphs(figures.graphs, options.sort);
  const std::string text = options.format == StatsFormat::Csv    ? statsCsv(figures, options)
                           : options.format == StatsFormat::Json ? statsJson(figures, options)
                                                                 : statsText(figures, options);
  return writeCommandOutput(options.outputPath, {options.logPath}, text);
}

}  // namespace vyn::tools
