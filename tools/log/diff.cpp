// diff: compares the executions of two logs graph by graph, the execution time
// and every measured event path, and says which got slower or faster.
#include <algorithm>
#include <thread>
#include <utility>

#include "analysis/diff_options.h"
#include "analysis/diff_writers.h"
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
};

// side is "base" or "new": the two logs load at once, so their progress and
// --verbose lines say which is which.
void takeSamples(const std::string& path, const char* side, const DiffOptions& options, LogSamples& samples) {
  std::unique_ptr<LoadedLog> log = loadLog(path, static_cast<std::int8_t>(options.visibility), samples.problem,
                                           options.verbose, std::string(side) + " " + path);
  if (log == nullptr) return;
  samples.graphs = gatherSamples(log->model, log->statistics, options.skipFirst, options.graphs);
  samples.warnings = std::move(log->warnings);
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

}  // namespace

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
  const std::string text = options.format == DiffFormat::Json   ? diffJson(diff, options)
                           : options.format == DiffFormat::Html ? diffPage(diff, options, distributions)
                                                                : diffText(diff, options);
  if (writeCommandOutput(options.outputPath, {options.basePath, options.newPath}, text) != 0) return 1;
  return diff.counts.slower != 0 ? kDiffFoundSlower : 0;
}

}  // namespace vyn::tools
