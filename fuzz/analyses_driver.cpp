#include "analyses_driver.h"

#include <memory>
#include <string>
#include <vector>

#include "analysis/csv_row_writer.h"
#include "analysis/diff_writers.h"
#include "analysis/export_walk.h"
#include "analysis/folded_writer.h"
#include "analysis/jsonl_row_writer.h"
#include "analysis/loaded_log.h"
#include "analysis/stats_writers.h"
#include "base/output_file.h"
#include "base/text_buffer.h"
#include "log/html/diff_page.h"
#include "log/html/report_page.h"
#include "output_checks.h"
#include "stats/diff_compare.h"
#include "stats/diff_samples.h"
#include "stats/execution_profile.h"

namespace vyn::fuzzing {
namespace {

using tools::StatsOptions;

void runStats(const tools::LoadedLog& log, const std::string& path) {
  for (const tools::StatsSort sort : {tools::StatsSort::Total, tools::StatsSort::Name}) {
    StatsOptions options;
    options.logPath = path;
    options.sort = sort;
    tools::StatsFigures figures = tools::statsFigures(log.path, log.model, log.statistics, options);
    tools::sortGraphs(figures.graphs, options.sort);
    requireTerminalText("stats text", tools::statsText(figures, options, log.extent));
    requireJson("stats JSON", tools::statsJson(figures, options, log.extent));
    static_cast<void>(tools::statsCsv(figures, options));
  }
  StatsOptions chartOptions;
  chartOptions.logPath = path;
  chartOptions.keepExecutionOrder = true;
  tools::ReportOptions report;
  report.logPath = path;
  static_cast<void>(
      tools::reportPage(tools::statsFigures(log.path, log.model, log.statistics, chartOptions), report, log.extent));
}

void runExport(const tools::LoadedLog& log) {
  base::OutputFile sink;
  if (!sink.open("/dev/null")) return;
  base::TextBuffer text(sink, 1 << 16);
  tools::CsvRowWriter csv(text);
  tools::walkExportRows(log.model, csv);
  tools::JsonlRowWriter jsonl(text);
  tools::walkExportRows(log.model, jsonl);
  tools::writeFoldedStacks(
      log.model, profiling::profileExecutions(log.model, log.statistics, 0, profiling::PathSamples::PerExecution),
      text);
  text.flush();
  sink.close();
}

void runDiff(const tools::LoadedLog& log, const std::string& path) {
  tools::DiffOptions options;
  options.basePath = path;
  options.newPath = path;
  std::vector<tools::GraphSamples> base = tools::gatherSamples(log.model, log.statistics, 0, {});
  std::vector<tools::GraphSamples> next = tools::gatherSamples(log.model, log.statistics, 1, {});
  std::vector<tools::ExecutionDistributions> distributions;
  for (std::size_t at = 0; at < base.size() && at < next.size(); ++at) {
    if (base[at].name == next[at].name) {
      distributions.push_back({base[at].name, base[at].execution.values, next[at].execution.values});
    }
  }
  const tools::ProfileDiff diff = tools::compareSamples(base, next, options.thresholdPercent, options.correction);
  requireTerminalText("diff text", tools::diffText(diff, options, log.extent, log.extent));
  requireJson("diff JSON", tools::diffJson(diff, options, log.extent, log.extent));
  static_cast<void>(tools::diffPage(diff, options, distributions, log.extent, log.extent));
}

}  // namespace

void runAnalyses(const std::string& logPath) {
  std::string problem;
  const std::unique_ptr<tools::LoadedLog> log = tools::loadLog(logPath, 127, problem);
  if (log == nullptr) return;
  runStats(*log, logPath);
  runExport(*log);
  runDiff(*log, logPath);
}

}  // namespace vyn::fuzzing
