// The CSV form of `stats`: one header row, then per graph a row for its
// execution time (the empty event path) and one row per event path. Each
// figure's column names its base: per occurrence of the event, or per
// execution of the graph.
#include <cmath>

#include "analysis/stats_writers.h"
#include "base/csv_field.h"
#include "base/number_text.h"

namespace vyn::tools {
namespace {

using profiling::PathValues;
using profiling::SampleSummary;

void appendNumber(std::string& out, double value) {
  out += ',';
  if (std::isfinite(value)) base::appendShortest(out, value);
}

void appendCount(std::string& out, std::uint64_t value) {
  out += ',';
  out += std::to_string(value);
}

void appendText(std::string& out, std::string_view text) {
  out += ',';
  base::appendCsvField(out, text);
}

}  // namespace

std::string statsCsv(const StatsFigures& figures, const StatsOptions& options) {
  const TimeUnit unit = statsTimeUnit(figures, options.unit);
  std::string out =
      "graph,event_path,depth,unit,executions,occurrences,total,self_total,"
      "mean_per_occurrence,p50_per_occurrence,p99_per_occurrence,max_per_occurrence,"
      "mean_per_execution,p50_per_execution,p99_per_execution,max_per_execution,share,values\n";
  for (const GraphFigures& graph : figures.graphs) {
    // The execution itself occurs once per execution: its figures are the same on both bases.
    const SampleSummary& time = graph.executionTime;
    base::appendCsvField(out, graph.name);
    out += ",,";
    appendText(out, timeUnitName(unit));
    appendCount(out, time.count);
    appendCount(out, time.count);
    for (double value : {time.total, graph.selfTotal, time.mean, time.p50, time.p99, time.max, time.mean, time.p50,
                         time.p99, time.max}) {
      appendNumber(out, inTimeUnit(value, unit));
    }
    out += ",1,\n";
    const std::size_t rows = std::min(options.top.value_or(graph.paths.size()), graph.paths.size());
    for (std::size_t at = 0; at < rows; ++at) {
      const PathFigures& path = graph.paths[at];
      base::appendCsvField(out, graph.name);
      appendText(out, path.path);
      appendCount(out, path.depth);
      const bool isTime = isMicroseconds(path.unit);
      if (path.values == PathValues::Measured) {
        appendText(out, isTime ? timeUnitName(unit) : eventUnitName(path.unit));
      } else {
        out += ',';
      }
      appendCount(out, path.executions);
      appendCount(out, path.occurrences);
      if (path.values == PathValues::Measured) {
        const auto figure = [&](double value) { return isTime ? inTimeUnit(value, unit) : value; };
        const SampleSummary& occurrence = path.perOccurrence;
        const SampleSummary& execution = path.perExecution;
        appendNumber(out, figure(occurrence.total));
        appendNumber(out, path.selfTotal ? figure(*path.selfTotal) : NAN);
        for (double value : {occurrence.mean, occurrence.p50, occurrence.p99, occurrence.max, execution.mean,
                             execution.p50, execution.p99, execution.max}) {
          appendNumber(out, figure(value));
        }
        appendNumber(out, path.share.value_or(NAN));
      } else {
        out += ",,,,,,,,,,,";
      }
      appendText(out, kindsText(path.kinds));
      out += '\n';
    }
  }
  return out;
}

}  // namespace vyn::tools
