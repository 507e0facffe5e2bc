#include "log/html/report_page.h"

#include <algorithm>

#include "log/html/chart_frame.h"
#include "log/html/graph_order.h"
#include "log/html/histogram_svg.h"
#include "log/html/html_escape.h"
#include "log/html/html_page.h"
#include "log/html/html_table.h"
#include "log/html/icicle_svg.h"
#include "log/html/incomplete_notice.h"
#include "log/html/palette.h"
#include "log/html/timeline_svg.h"

namespace vyn::tools {
namespace {

using profiling::PathValues;
using profiling::SampleSummary;

// Event paths in each graph's table of where the time goes.
constexpr std::size_t kTopEvents = 10;

void appendSummaryRow(std::string& out, HtmlCell label, const SampleSummary& s, const std::string& rate,
                      const TimeText& time) {
  appendRow(out, {std::move(label), countText(s.count), time(s.total), time(s.mean), time(s.stddev), percentText(s.cv),
                  time(s.min), time(s.p50), time(s.p90), time(s.p99), time(s.max), rate});
}

// The summary's rows for the graphs order[from, to), linked to their charts
// below the first kMaxChartedGraphs.
void appendSummaryTable(std::string& out, const StatsFigures& figures, const std::vector<std::size_t>& order,
                        std::size_t from, std::size_t to, const TimeText& time) {
  openTable(
      out, "summary",
      {"graph", "executions", time.header("total"), time.header("mean"), time.header("sd"), "cv", time.header("min"),
       time.header("p50"), time.header("p90"), time.header("p99"), time.header("max"), "inferences/s"});
  for (std::size_t rank = from; rank < to; ++rank) {
    const GraphFigures& graph = figures.graphs[order[rank]];
    const std::string link = rank < kMaxChartedGraphs ? "#" + chartAnchor(rank) : "";
    const std::string rate = graph.inferencesPerSecond > 0 ? figureText(graph.inferencesPerSecond) : "-";
    appendSummaryRow(out, HtmlCell::name(graph.name, link), graph.executionTime, rate, time);
    // The graph's name is on the row above.
    if (graph.queueWait) {
      appendSummaryRow(out, HtmlCell("queue wait", "", "sub"), *graph.queueWait, "", time);
    }
    if (graph.withoutQueueWait) {
      appendSummaryRow(out, HtmlCell("without queue wait", "", "sub"), *graph.withoutQueueWait, "", time);
    }
  }
  closeTable(out);
}

void appendSummary(std::string& out, const StatsFigures& figures, const std::vector<std::size_t>& order,
                   const TimeText& time) {
  out += "<section class=\"overview\">\n<h2>Execution time per graph</h2>\n";
  if (figures.graphs.empty()) {
    out += "<p>No executions.</p>\n</section>\n";
    return;
  }
  const std::size_t graphs = figures.graphs.size();
  const std::size_t charted = std::min(graphs, kMaxChartedGraphs);
  if (graphs > 1) out += "<p>Graphs by their total execution time, largest first.</p>\n";
  if (graphs > charted) {
    out += "<p class=\"note limit\">";
    appendEscaped(out, chartLimitNote(graphs, "in the table without charts (--graph NAME charts any graph)"));
    out += "</p>\n";
  }
  appendSummaryTable(out, figures, order, 0, charted, time);
  if (graphs > charted) {
    out += "<details class=\"more\"><summary>" + countText(graphs - charted) +
           (graphs - charted == 1 ? " more graph" : " more graphs") + ", without charts</summary>\n";
    appendSummaryTable(out, figures, order, charted, graphs, time);
    out += "</details>\n";
  }
  out +=
      "<p class=\"note\">total: the summed execution time of the graph's executions; sd: sample standard deviation; "
      "cv: sd over the mean; percentiles are exact, by linear interpolation between the closest ranks; "
      "inferences/s: executions over their summed time.</p>\n";
  out += "</section>\n";
}

// The microsecond paths whose parents are microsecond paths too, in order of
// first appearance, as the icicle lays them.
IcicleInput icicleInput(const GraphFigures& graph, TimeUnit unit) {
  IcicleInput input;
  input.graph = graph.name;
  input.executionMean = graph.executionTime.mean;
  input.executionP99 = graph.executionTime.p99;
  input.unit = unit;
  std::vector<const PathFigures*> ordered;
  for (const PathFigures& path : graph.paths) {
    if (path.values == PathValues::Measured && isMicroseconds(path.unit)) ordered.push_back(&path);
  }
  std::sort(ordered.begin(), ordered.end(),
            [](const PathFigures* a, const PathFigures* b) { return a->index < b->index; });
  std::vector<std::uint32_t> eventOf(graph.paths.size(), kIcicleTop);  // by profile index
  for (const PathFigures* path : ordered) {
    std::uint32_t parent = kIcicleTop;
    if (path->parent != profiling::kNoParentPath) {
      if (path->parent >= eventOf.size() || eventOf[path->parent] == kIcicleTop) continue;
      parent = eventOf[path->parent];
    }
    if (path->index < eventOf.size()) eventOf[path->index] = static_cast<std::uint32_t>(input.events.size());
    IcicleEvent& event = input.events.emplace_back();
    event.name = path->name;
    event.path = path->path;
    event.parent = parent;
    // Per execution, the width and the figures alike.
    event.mean = path->perExecution.mean;
    event.p99 = path->perExecution.p99;
    event.share = input.executionMean > 0 ? event.mean / input.executionMean : 0;
  }
  return input;
}

void appendTopEvents(std::string& out, const GraphFigures& graph, const TimeText& time) {
  std::vector<const PathFigures*> timed;
  for (const PathFigures& path : graph.paths) {
    if (path.values == PathValues::Measured && isMicroseconds(path.unit)) timed.push_back(&path);
  }
  if (timed.empty()) return;
  const std::size_t shown = std::min(timed.size(), kTopEvents);
  out += "<h3>" +
         std::string(shown < timed.size()
                         ? "Top " + std::to_string(shown) + " of " + countText(timed.size()) + " timed events"
                         : "Timed events") +
         " by total</h3>\n";
  openTable(out, "events",
            {"event", "executions", "count", time.header("total"), time.header("self"), time.header("mean/occ"),
             time.header("p50/occ"), time.header("p99/occ"), time.header("max/occ"), time.header("mean/exec"),
             time.header("p50/exec"), time.header("p99/exec"), "share"});
  for (std::size_t at = 0; at < shown; ++at) {
    const PathFigures& path = *timed[at];
    const SampleSummary& occurrence = path.perOccurrence;
    const SampleSummary& execution = path.perExecution;
    appendRow(out, {HtmlCell::path(path.path), countText(path.executions), countText(path.occurrences),
                    time(occurrence.total), path.selfTotal ? time(*path.selfTotal) : "-", time(occurrence.mean),
                    time(occurrence.p50), time(occurrence.p99), time(occurrence.max), time(execution.mean),
                    time(execution.p50), time(execution.p99), path.share ? percentText(*path.share) : "-"});
  }
  closeTable(out);
  out +=
      "<p class=\"note\">/occ: over the event's occurrences; /exec: over the graph's executions, the "
      "event's sum in each (0 where it does not appear); self: the total less the time of the timed "
      "sub-events; share: the total over the summed execution time.</p>\n";
}

void appendGraph(std::string& out, const GraphFigures& graph, std::size_t at, const StatsFigures& figures,
                 const TimeText& time) {
  out += "<section class=\"graph\"";
  appendAttribute(out, "id", chartAnchor(at));
  out += ">\n<h2 class=\"cut\"";
  appendAttribute(out, "title", graph.name);
  out += ">Graph ";
  appendEscaped(out, graph.name);
  out += "</h2>\n";
  const SampleSummary& s = graph.executionTime;
  if (s.count == 0) {
    out += "<p>No executions left after the first " + countText(figures.skipFirst) + ".</p>\n</section>\n";
    return;
  }
  const std::string unit(timeUnitName(time.unit()));
  out += "<p>" + countText(s.count) + (s.count == 1 ? " execution" : " executions") + ": mean " + time(s.mean) + " " +
         unit + ", p50 " + time(s.p50) + " " + unit + ", p99 " + time(s.p99) + " " + unit;
  if (graph.inferencesPerSecond > 0) out += ", " + figureText(graph.inferencesPerSecond) + " inferences per second";
  out += ".</p>\n";

  out += "<figure>\n<figcaption>Execution time of each execution</figcaption>\n";
  TimelineInput timeline;
  timeline.times = &graph.executionTimesInOrder;
  timeline.firstNumber = figures.skipFirst + 1;
  timeline.p50 = s.p50;
  timeline.p99 = s.p99;
  timeline.unit = time.unit();
  timeline.graph = graph.name;
  out += timelineSvg(timeline);
  out += "</figure>\n";

  out += "<figure>\n<figcaption>Distribution of the execution time</figcaption>\n";
  HistogramInput histogram;
  histogram.bins = histogramBins(graph.executionTimesInOrder, s.min, s.max, kHistogramBins);
  histogram.colour = palette::kBlue;
  histogram.p50 = s.p50;
  histogram.p99 = s.p99;
  histogram.unit = time.unit();
  histogram.label = "distribution of the execution time of graph " + graph.name;
  out += histogramSvg(histogram);
  out += "</figure>\n";

  out +=
      "<figure>\n<figcaption>Where an execution's time goes: the events' mean time per execution, "
      "sub-events under their event (hover for the figures per execution)</figcaption>\n";
  out += icicleSvg(icicleInput(graph, time.unit()));
  out += "</figure>\n";
  appendTopEvents(out, graph, time);
  out += "</section>\n";
}

void appendPhases(std::string& out, const std::vector<PhaseFigures>& phases, const TimeText& time) {
  if (phases.empty()) return;
  out += "<section class=\"phases\">\n<h2>Other phases</h2>\n";
  openTable(
      out, "phases",
      {"phase", HtmlCell("graph", "", "text"), "count", time.header("mean"), time.header("min"), time.header("max")});
  for (const PhaseFigures& phase : phases) {
    appendRow(out, {phase.phase, HtmlCell::name(phase.graph, "", "text"), countText(phase.duration.count),
                    time(phase.duration.mean), time(phase.duration.min), time(phase.duration.max)});
  }
  closeTable(out);
  out += "</section>\n";
}

}  // namespace

std::string reportPage(const StatsFigures& figures, const ReportOptions& options, const LogExtent& extent) {
  const TimeText time(statsTimeUnit(figures, options.unit));
  std::string out;
  const std::size_t charted = std::min(figures.graphs.size(), kMaxChartedGraphs);
  out.reserve(64 * 1024 + charted * 48 * 1024 + figures.graphs.size() * 512);
  openPage(out, "Profile report: " + figures.log);
  out += "<header>\n<h1>Profile report</h1>\n";
  appendIncompleteNotice(out, figures.log, extent);
  out += "<p class=\"log\">";
  appendEscaped(out, figures.log);
  out += "</p>\n<p>" + countText(figures.graphs.size()) + (figures.graphs.size() == 1 ? " graph" : " graphs") +
         "; times in " + std::string(timeUnitName(time.unit()));
  if (figures.skipFirst != 0) {
    out += "; the first " + countText(figures.skipFirst) + " executions of each graph left out";
  }
  out += ".</p>\n</header>\n";
  std::vector<double> totals;
  totals.reserve(figures.graphs.size());
  for (const GraphFigures& graph : figures.graphs) totals.push_back(graph.executionTime.total);
  const std::vector<std::size_t> order = largestFirst(totals);
  appendSummary(out, figures, order, time);
  for (std::size_t rank = 0; rank < charted; ++rank) {
    appendGraph(out, figures.graphs[order[rank]], rank, figures, time);
  }
  appendPhases(out, figures.phases, time);
  closePage(out);
  return out;
}

}  // namespace vyn::tools
