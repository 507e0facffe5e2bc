// The text form of `stats`: per graph a table of the execution time and one of
// its events, then the other phases; figures aligned in columns, units in the
// headers, and the base of every event figure (per occurrence or per
// execution) in its column's name.
#include <algorithm>

#include "analysis/stats_writers.h"
#include "analysis/text_table.h"
#include "base/terminal_text.h"

namespace vyn::tools {
namespace {

using profiling::PathValues;
using profiling::SampleSummary;

void addTimeRow(TextTable& table, const char* label, const SampleSummary& s, const TimeText& time) {
  table.addRow({label, time(s.mean), time(s.stddev), percentText(s.cv), time(s.min), time(s.p50), time(s.p90),
                time(s.p99), time(s.max)});
}

void appendExecutions(std::string& out, const GraphFigures& graph, const TimeText& time) {
  out += "Graph " + base::terminalText(graph.name) + ": " + countText(graph.executionTime.count) +
         (graph.executionTime.count == 1 ? " execution" : " executions");
  if (graph.inferencesPerSecond > 0) {
    out += ", " + figureText(graph.inferencesPerSecond) + " inferences per second";
  }
  out += "\n";
  if (graph.executionTime.count == 0) return;
  TextTable table({"", time.header("mean"), time.header("sd"), "cv", time.header("min"), time.header("p50"),
                   time.header("p90"), time.header("p99"), time.header("max")},
                  1);
  addTimeRow(table, "execution time", graph.executionTime, time);
  if (graph.queueWait) addTimeRow(table, "queue wait", *graph.queueWait, time);
  if (graph.withoutQueueWait) addTimeRow(table, "without queue wait", *graph.withoutQueueWait, time);
  table.appendTo(out, 2);
}

void appendEvents(std::string& out, const GraphFigures& graph, const TimeText& time, std::size_t top,
                  const char* sortName) {
  if (graph.paths.empty()) return;
  const std::size_t shown = std::min(top, graph.paths.size());
  out += "\n  ";
  out += shown < graph.paths.size()
             ? "Top " + std::to_string(shown) + " of " + countText(graph.paths.size()) + " events"
             : std::string(graph.paths.size() == 1 ? "1 event" : countText(graph.paths.size()) + " events");
  out += std::string(" by ") + sortName + ":\n";
  TextTable table({"event", "executions", "count", "unit", "total", "self", "mean/occ", "p50/occ", "p99/occ", "max/occ",
                   "mean/exec", "p50/exec", "p99/exec", "share", "values"},
                  1, 1);
  for (std::size_t at = 0; at < shown; ++at) {
    const PathFigures& path = graph.paths[at];
    std::vector<std::string> row{path.path, countText(path.executions), countText(path.occurrences)};
    if (path.values == PathValues::Measured) {
      const bool isTime = isMicroseconds(path.unit);
      auto figure = [&](double value) { return isTime ? time(value) : figureText(value); };
      const SampleSummary& occurrence = path.perOccurrence;
      const SampleSummary& execution = path.perExecution;
      row.push_back(std::string(isTime ? timeUnitName(time.unit()) : eventUnitName(path.unit)));
      row.push_back(figure(occurrence.total));
      row.push_back(path.selfTotal ? figure(*path.selfTotal) : "");
      for (double value : {occurrence.mean, occurrence.p50, occurrence.p99, occurrence.max, execution.mean,
                           execution.p50, execution.p99}) {
        row.push_back(figure(value));
      }
      row.push_back(path.share ? percentText(*path.share) : "");
      row.push_back("");
    } else {
      row.resize(14);
      row.push_back(kindsText(path.kinds));
    }
    table.addRow(std::move(row));
  }
  table.appendTo(out, 2);
}

void appendPhases(std::string& out, const std::vector<PhaseFigures>& phases, const TimeText& time) {
  if (phases.empty()) return;
  out += "Other phases:\n";
  TextTable table({"phase", "graph", "count", time.header("mean"), time.header("min"), time.header("max")}, 2);
  for (const PhaseFigures& phase : phases) {
    table.addRow({phase.phase, phase.graph, countText(phase.duration.count), time(phase.duration.mean),
                  time(phase.duration.min), time(phase.duration.max)});
  }
  table.appendTo(out, 2);
}

const char* sortName(StatsSort sort) {
  switch (sort) {
    case StatsSort::Mean:
      return "mean";
    case StatsSort::P50:
      return "p50";
    case StatsSort::P99:
      return "p99";
    case StatsSort::Count:
      return "count";
    case StatsSort::Name:
      return "name";
    default:
      return "total";
  }
}

}  // namespace

std::string statsText(const StatsFigures& figures, const StatsOptions& options, const LogExtent& extent) {
  const TimeText time(statsTimeUnit(figures, options.unit));
  std::string out = "Statistics of " + figures.log;
  if (!extent.complete()) out += " (" + incompleteText(extent) + ")";
  if (figures.skipFirst != 0) {
    out += " (the first " + countText(figures.skipFirst) + " executions of each graph left out)";
  }
  out += "\n";
  const bool anyEvents = std::any_of(figures.graphs.begin(), figures.graphs.end(),
                                     [](const GraphFigures& graph) { return !graph.paths.empty(); });
  if (anyEvents) {
    out +=
        "Events: /occ over their occurrences; /exec over the graph's executions, the event's sum in each\n"
        "(0 where it does not appear); self: the total less the time of the timed sub-events\n";
  }
  out += "\n";
  if (figures.graphs.empty()) out += "No executions.\n\n";
  for (const GraphFigures& graph : figures.graphs) {
    appendExecutions(out, graph, time);
    appendEvents(out, graph, time, options.top.value_or(10), sortName(options.sort));
    out += "\n";
  }
  appendPhases(out, figures.phases, time);
  return out;
}

}  // namespace vyn::tools
