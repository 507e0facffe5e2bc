#include "analyses_driver.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
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
#include "base/utf8.h"
#include "log/html/diff_page.h"
#include "log/html/report_page.h"
#include "stats/diff_compare.h"
#include "stats/diff_samples.h"
#include "stats/execution_profile.h"

namespace vyn::fuzzing {
namespace {

using tools::StatsOptions;

[[noreturn]] void brokenOutput(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s breaks its form:\n%.2000s\n", what, text.c_str());
  std::abort();
}

void requireJson(const char* what, const std::string& text) {
  if (!nlohmann::json::accept(text)) brokenOutput(what, text);
}

// Text meant for a terminal: no C0 control but the line feed, no DEL, no C1
// control, nothing that is not UTF-8.
void requireTerminalText(const char* what, const std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    const base::Utf8Sequence sequence = base::utf8SequenceAt(text, at);
    if ((c < 0x20 && c != '\n') || c == 0x7F || !sequence.wellFormed ||
        base::isC1Control(text.substr(at, sequence.length))) {
      brokenOutput(what, text);
    }
    at += sequence.length;
  }
}

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
