// report: one self-contained HTML page with the summary table and, per graph,
// the execution times over the run, their distribution and an icicle chart.
#include <memory>

#include "analysis/report_options.h"
#include "log/command_line.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "log/html/report_page.h"
#include "stats/stats_figures.h"

namespace vyn::tools {
namespace {

int runReport(const ReportOptions& options) {
  const std::unique_ptr<LoadedLog> log =
      loadCommandInput(options.logPath, options.visibility, options.verbose, options.strict);
  if (log == nullptr) return 1;
  StatsSelection selection;
  selection.graphs = options.graphs;
  selection.skipFirst = options.skipFirst;
  selection.keepExecutionOrder = true;
  const StatsFigures figures = statsFigures(log->path, log->model, log->statistics, selection);
  if (!figures.missingGraphs.empty()) return reportUnknownGraph(*log, figures.missingGraphs.front());
  return writeCommandOutput(options.outputPath, {options.logPath}, reportPage(figures, options, log->extent));
}

}  // namespace

Command addReportCommand(CLI::App& app) {
  auto options = std::make_shared<ReportOptions>();
  CLI::App* report = app.add_subcommand(
      "report", "Write a self-contained HTML page: summary table, timeline, histogram and icicle per graph");
  report->add_option("LOG", options->logPath, "binary log")->required();
  report->add_option("-o,--output", options->outputPath, "HTML file to write ('-' for standard output)")
      ->required()
      ->check(notEmptyPath());
  addGraphOption(report, options->graphs, "only this graph (repeatable)");
  addSkipFirstOption(report, options->skipFirst);
  addTimeUnitOption(report, options->unit, "unit of times: us, ms, s or auto (by the median execution)");
  addVisibilityOption(report, options->visibility,
                      "reader level, as the viewer's: messages whose level is lower are taken");
  addVerboseAndStrictOptions(report, options->verbose, options->strict);
  report->footer(
      "The page holds everything it shows (no script, font or style is fetched), so it\n"
      "opens from disk in any browser with no network. Hover a rectangle of the icicle\n"
      "chart or a bar of the histogram for its figures.\n\n"
      "Examples:\n"
      "  vyn-profile-log report run.log -o run.html\n"
      "  vyn-profile-log report run.log -o run.html --graph graph_1 --skip-first 10 --unit ms\n\n"
      "Exit status: 0 written, also from a log that stops early (a warning says where); 1 the\n"
      "log or the output failed, or --strict found the log incomplete; 2 a usage error.");
  return {report, [options] { return runReport(*options); }};
}

}  // namespace vyn::tools
