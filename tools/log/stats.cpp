// stats: what a log's executions and phases come to, per graph and per event.
#include <limits>
#include <memory>

#include "analysis/stats_writers.h"
#include "common/number_options.h"
#include "log/command_line.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

int runStats(StatsOptions& options) {
  if (options.top == std::size_t{0}) options.top = std::numeric_limits<std::size_t>::max();
  const std::unique_ptr<LoadedLog> log =
      loadCommandInput(options.logPath, options.visibility, options.verbose, options.strict);
  if (log == nullptr) return 1;
  StatsFigures figures = statsFigures(log->path, log->model, log->statistics, options);
  if (!figures.missingGraphs.empty()) return reportUnknownGraph(*log, figures.missingGraphs.front());
  sortGraphs(figures.graphs, options.sort);
  return writeCommandOutput(options.outputPath, {options.logPath}, statsDocument(figures, options, log->extent));
}

}  // namespace

Command addStatsCommand(CLI::App& app) {
  auto options = std::make_shared<StatsOptions>();
  CLI::App* stats =
      app.add_subcommand("stats", "Per graph: execution-time distribution, events by path, the other phases");
  stats->add_option("LOG", options->logPath, "binary log")->required();
  addGraphOption(stats, options->graphs, "only this graph (repeatable)");
  addSkipFirstOption(stats, options->skipFirst);
  stats->add_option("--top", options->top, "event paths per graph, 0 for all (text: 10 by default; CSV, JSON: all)")
      ->transform(wholeNumber(0, std::numeric_limits<std::size_t>::max(), "a number of event paths, or 0 for all"));
  addChoice<StatsSort>(stats, "--sort", options->sort,
                       {{"total", StatsSort::Total},
                        {"mean", StatsSort::Mean},
                        {"p50", StatsSort::P50},
                        {"p99", StatsSort::P99},
                        {"count", StatsSort::Count},
                        {"name", StatsSort::Name}},
                       "order of the graphs and of their event paths, largest first: total, mean, p50, p99, count; "
                       "or name");
  addTimeUnitOption(stats, options->unit, "unit of times: us, ms, s or auto (by the median execution)");
  addChoice<StatsFormat>(stats, "--format", options->format,
                         {{"text", StatsFormat::Text}, {"csv", StatsFormat::Csv}, {"json", StatsFormat::JsonDocument}},
                         "text, csv or json");
  stats->add_option("-o,--output", options->outputPath, "file to write (default: standard output)")
      ->check(notEmptyPath());
  addVisibilityOption(stats, options->visibility,
                      "reader level, as the viewer's: messages whose level is lower are taken");
  addVerboseAndStrictOptions(stats, options->verbose, options->strict);
  stats->footer(
      "Percentiles are exact, from every sample, by linear interpolation between the closest\n"
      "ranks (rank (n - 1) q / 100). sd is the sample standard deviation (n - 1), cv = sd / mean.\n"
      "An event path is a top-level event's name and the names of the sub-events down to the\n"
      "event, joined by ' / '. Hardware-unit sets, burst modes and texts are counted by value.\n"
      "An event's figures are per occurrence (/occ, _per_occurrence) or per execution of the\n"
      "graph (/exec, _per_execution: its sum in each execution, 0 where it does not appear);\n"
      "self is its total less that of its timed sub-events.\n"
      "--sort ranks the graphs by that figure of their execution times and each graph's events\n"
      "by that figure of their occurrences (total: the sum; count: how many), largest first;\n"
      "name sorts both by name. The default, total, puts what takes the most time first.\n\n"
      "Examples:\n"
      "  vyn-profile-log stats run.log\n"
      "  vyn-profile-log stats run.log --graph graph_1 --skip-first 10 --top 20 --sort p99\n"
      "  vyn-profile-log stats run.log --format csv -o stats.csv\n"
      "  vyn-profile-log stats run.log --top 0       every event path\n\n"
      "Exit status: 0 written, also from a log that stops early (a warning says where); 1 the\n"
      "log or the output failed, or --strict found the log incomplete; 2 a usage error.");
  return {stats, [options] { return runStats(*options); }};
}

}  // namespace vyn::tools
