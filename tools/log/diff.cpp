// diff: compares the executions of two logs graph by graph, the execution time
// and every measured event path, and says which got slower or faster.
#include <algorithm>
#include <memory>
#include <thread>
#include <utility>

#include "analysis/diff_options.h"
#include "analysis/diff_writers.h"
#include "common/number_options.h"
#include "log/command_line.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "log/html/diff_page.h"
#include "stats/diff_compare.h"

namespace vyn::tools {
namespace {

// The samples of the log at path, or why it could not be loaded. The loaded log
// is let go as soon as they are taken.
struct LogSamples {
  std::vector<GraphSamples> graphs;
  std::string problem;
  std::vector<std::string> warnings;
  LogExtent extent;  // the whole log, or the records before its first bad one
};

// side is "base" or "new": the two logs load at once, so their progress and
// --verbose lines say which is which.
void takeSamples(const std::string& path, const char* side, const DiffOptions& options, LogSamples& samples) {
  std::unique_ptr<LoadedLog> log = loadLog(path, static_cast<std::int8_t>(options.visibility), samples.problem,
                                           options.verbose, std::string(side) + " " + path);
  if (log == nullptr) return;
  samples.graphs = gatherSamples(log->model, log->statistics, options.skipFirst, options.graphs);
  samples.warnings = std::move(log->warnings);
  samples.extent = log->extent;
}

// Each graph's execution times in both logs, taken before the comparison reorders them.
std::vector<ExecutionDistributions> distributionsOf(const LogSamples& base, const LogSamples& next) {
  std::vector<ExecutionDistributions> distributions;
  auto side = [&](const std::string& name) -> ExecutionDistributions& {
    for (ExecutionDistributions& known : distributions) {
      if (known.graph == name) return known;
    }
    distributions.push_back({name, {}, {}});
    return distributions.back();
  };
  for (const GraphSamples& graph : base.graphs) side(graph.name).base = graph.execution.values;
  for (const GraphSamples& graph : next.graphs) side(graph.name).next = graph.execution.values;
  return distributions;
}

bool hasGraph(const ProfileDiff& diff, const std::string& name) {
  return std::any_of(diff.graphs.begin(), diff.graphs.end(),
                     [&](const GraphDiff& graph) { return graph.name == name; });
}

int runDiff(const DiffOptions& options) {
  // The logs are independent until compared: both load at once.
  LogSamples base;
  LogSamples next;
  std::thread baseLoader(takeSamples, std::cref(options.basePath), "base", std::cref(options), std::ref(base));
  takeSamples(options.newPath, "new", options, next);
  baseLoader.join();
  for (const std::string& warning : base.warnings) reportProblem(options.basePath, warning);
  for (const std::string& warning : next.warnings) reportProblem(options.newPath, warning);
  if (!base.problem.empty() || !next.problem.empty()) {
    if (!base.problem.empty()) reportProblem(options.basePath, base.problem);
    if (!next.problem.empty()) reportProblem(options.newPath, next.problem);
    return 1;
  }
  // Where each log stops is said before --strict refuses either.
  const bool baseAccepted = acceptLogExtent(options.basePath, base.extent, options.strict);
  const bool newAccepted = acceptLogExtent(options.newPath, next.extent, options.strict);
  if (!baseAccepted || !newAccepted) return 1;
  std::vector<ExecutionDistributions> distributions;
  if (options.format == DiffFormat::Html) distributions = distributionsOf(base, next);
  const ProfileDiff diff = compareSamples(base.graphs, next.graphs, options.thresholdPercent, options.correction);
  // A graph that --skip-first emptied is in the comparison, and says so.
  for (const std::string& name : options.graphs) {
    if (!hasGraph(diff, name)) {
      reportProblem("--graph " + name, "no executions of this graph in " + options.basePath + " or " + options.newPath);
      return 1;
    }
  }
  // Written only now: the output may replace one of the logs.
  const std::string text = options.format == DiffFormat::Json ? diffJson(diff, options, base.extent, next.extent)
                           : options.format == DiffFormat::Html
                               ? diffPage(diff, options, distributions, base.extent, next.extent)
                               : diffText(diff, options, base.extent, next.extent);
  if (writeCommandOutput(options.outputPath, {options.basePath, options.newPath}, text) != 0) return 1;
  return diff.counts.slower != 0 ? kDiffFoundSlower : 0;
}

}  // namespace

Command addDiffCommand(CLI::App& app) {
  auto options = std::make_shared<DiffOptions>();
  CLI::App* diff =
      app.add_subcommand("diff", "Compare the executions of two logs, graph by graph: which got slower or faster");
  diff->add_option("BASE", options->basePath, "binary log to compare against")->required();
  diff->add_option("NEW", options->newPath, "binary log to compare")->required();
  diff->add_option("--threshold", options->thresholdPercent, "smallest change of the median, in percent, that counts")
      ->transform(nonNegativeNumber("a percentage of 0 or more"))
      ->capture_default_str();
  addChoice<profiling::PValueAdjustment>(
      diff, "--correction", options->correction,
      {{"holm", profiling::PValueAdjustment::Holm},
       {"fdr", profiling::PValueAdjustment::BenjaminiHochberg},
       {"none", profiling::PValueAdjustment::None}},
      "how the p-values of all rows are adjusted together: holm (the default), fdr or none");
  addChoice<DiffFormat>(diff, "--format", options->format,
                        {{"text", DiffFormat::Text}, {"json", DiffFormat::Json}, {"html", DiffFormat::Html}},
                        "text, json or html (a page with charts)");
  addGraphOption(diff, options->graphs, "compare only this graph (repeat for more)");
  addSkipFirstOption(diff, options->skipFirst)->capture_default_str();
  addVisibilityOption(diff, options->visibility,
                      "the reader's level, -128 to 127: a message is taken when its own level is lower");
  addTimeUnitOption(diff, options->unit, "unit of times: us, ms, s or auto");
  diff->add_option("-o,--output", options->outputPath, "file to write (default: standard output)")
      ->check(notEmptyPath());
  addVerboseAndStrictOptions(diff, options->verbose, options->strict);
  diff->footer(
      "Rows: per graph the execution time, then every measured event path; an event\n"
      "row's samples, and its n, median, mean and p99, are the path's sums per execution.\n"
      "Test: two-sided Mann-Whitney U on the two logs' samples, exact for samples\n"
      "without ties of at most 50 values each, else the normal approximation with tie\n"
      "and continuity corrections.\n"
      "Correction: the p-values of every row with at least 10 executions on both sides,\n"
      "over all graphs, are adjusted together: holm (Holm's step-down, the chance of any\n"
      "false alarm stays below 0.05), fdr (Benjamini-Hochberg, the expected share of\n"
      "false alarms among the rows called changed stays below 0.05) or none.\n"
      "Verdict: slower or faster when the adjusted p < 0.05 and the median changed by\n"
      "at least the threshold; else no change. A row with fewer than 10 executions on a\n"
      "side is too few executions: it has no adjusted p and is left out of the\n"
      "correction, and never makes the exit status 3.\n"
      "Shift: the Hodges-Lehmann estimate of new - base (the median of all pairwise\n"
      "differences) with its distribution-free 95% confidence interval (the k-th\n"
      "smallest and largest difference, k from the rank-sum test's critical value; one\n"
      "unit wider each side when the samples are whole numbers, as recorded times are),\n"
      "in percent of the base median.\n"
      "Order: graphs by total execution time (the larger of the two logs'), largest\n"
      "first; in each, the execution time, then the rows by adjusted p, smallest first.\n"
      "The two logs load at once: progress and --verbose lines start with \"base PATH:\"\n"
      "or \"new PATH:\".\n\n"
      "Examples:\n"
      "  vyn-profile-log diff base.log new.log\n"
      "  vyn-profile-log diff base.log new.log --graph mobilenet --skip-first 10 --threshold 2\n"
      "  vyn-profile-log diff base.log new.log --format html -o diff.html\n\n"
      "A log that stops early (a killed run) is compared up to its first bad record, with a\n"
      "warning that says where; --strict makes that an error.\n\n"
      "Exit status: 0 nothing slower, 3 some row slower, 1 a log could not be read (or, with\n"
      "--strict, is incomplete) or the output not written, 2 a usage error.");

  return {diff, [options] { return runDiff(*options); }};
}

}  // namespace vyn::tools
