#include "log/html/diff_page.h"

#include <algorithm>

#include "log/diff/diff_writers.h"
#include "log/html/chart_frame.h"
#include "log/html/histogram_svg.h"
#include "log/html/html_escape.h"
#include "log/html/html_page.h"
#include "log/html/html_table.h"
#include "log/html/palette.h"

namespace vyn::tools {
namespace {

constexpr const char* kMissing = "-";

std::string graphId(std::size_t at) { return "graph-" + std::to_string(at + 1); }

std::string figureOrMissing(const DiffRow& row, const std::optional<SideFigures>& side,
                            double SideFigures::*figure, TimeUnit timeUnit) {
  return side ? figureText(inRowUnit(row, (*side).*figure, timeUnit)) : kMissing;
}

std::string verdictClass(Verdict verdict) {
  std::string name(verdictName(verdict));
  std::replace(name.begin(), name.end(), ' ', '-');
  return "verdict-" + name;
}

void appendVerdicts(std::string& out, const GraphDiff& graph, TimeUnit timeUnit) {
  openTable(out, "verdicts",
            {"path", "unit", "verdict", "change", "shift [95% CI]", "p", "p adjusted", "base n", "new n",
             "base median", "new median", "base mean", "new mean", "base p99", "new p99"});
  for (const DiffRow& row : graph.rows) {
    appendRow(out, {row.execution ? "execution time" : row.path, HtmlCell(std::string(rowUnitName(row, timeUnit)), "", "text"),
                    HtmlCell(std::string(verdictName(row.verdict)), "", "text " + verdictClass(row.verdict)),
                    changeText(row.change), shiftText(row), row.test ? figureText(row.test->pValue) : kMissing,
                    row.pAdjusted ? figureText(*row.pAdjusted) : kMissing,
                    row.base ? countText(row.base->count) : kMissing, row.next ? countText(row.next->count) : kMissing,
                    figureOrMissing(row, row.base, &SideFigures::median, timeUnit),
                    figureOrMissing(row, row.next, &SideFigures::median, timeUnit),
                    figureOrMissing(row, row.base, &SideFigures::mean, timeUnit),
                    figureOrMissing(row, row.next, &SideFigures::mean, timeUnit),
                    figureOrMissing(row, row.base, &SideFigures::p99, timeUnit),
                    figureOrMissing(row, row.next, &SideFigures::p99, timeUnit)});
  }
  closeTable(out);
}

// Both logs' histograms over the same bins and the same count axis.
void appendDistributions(std::string& out, const ExecutionDistributions& times, TimeUnit unit) {
  double low = 0;
  double high = 0;
  bool any = false;
  for (const std::vector<double>* side : {&times.base, &times.next}) {
    if (side->empty()) continue;
    const auto [least, most] = std::minmax_element(side->begin(), side->end());
    low = any ? std::min(low, *least) : *least;
    high = any ? std::max(high, *most) : *most;
    any = true;
  }
  if (!any) return;
  const HistogramBins base = histogramBins(times.base, low, high, kHistogramBins);
  const HistogramBins next = histogramBins(times.next, low, high, kHistogramBins);
  const std::uint64_t top = std::max(base.largest(), next.largest());
  out += "<figure>\n<figcaption>Distribution of the execution time, both logs on the same scale: "
         "<span class=\"legend\"><span style=\"background:#0072B2\"></span>base</span>"
         "<span class=\"legend\"><span style=\"background:#E69F00\"></span>new</span></figcaption>\n";
  const struct {
    const char* side;
    const HistogramBins& bins;
    std::string_view colour;
    std::string_view kind;
    std::size_t count;
  } sides[] = {{"base", base, palette::kBlue, "histogram base", times.base.size()},
               {"new", next, palette::kOrange, "histogram new", times.next.size()}};
  for (const auto& side : sides) {
    out += "<h3>" + std::string(side.side) + ": " + countText(side.count) +
           (side.count == 1 ? " execution" : " executions") + "</h3>\n";
    HistogramInput input;
    input.bins = side.bins;
    input.countScale = top;
    input.kind = side.kind;
    input.colour = side.colour;
    input.unit = unit;
    input.label = std::string(side.side) + " log: distribution of the execution time of graph " + times.graph;
    out += histogramSvg(input);
  }
  out += "</figure>\n";
}

void appendGraph(std::string& out, const GraphDiff& graph, std::size_t at, TimeUnit unit,
                 const std::vector<ExecutionDistributions>& distributions) {
  out += "<section class=\"graph\"";
  appendAttribute(out, "id", graphId(at));
  out += ">\n<h2>Graph ";
  appendEscaped(out, graph.name);
  const std::string status = graphStatusText(graph);
  if (!status.empty()) out += ": " + status;
  out += "</h2>\n";
  const auto times = std::find_if(distributions.begin(), distributions.end(),
                                  [&](const ExecutionDistributions& d) { return d.graph == graph.name; });
  if (times != distributions.end()) appendDistributions(out, *times, unit);
  if (!graph.rows.empty()) appendVerdicts(out, graph, unit);
  out += "</section>\n";
}

}  // namespace

std::string diffPage(const ProfileDiff& diff, const DiffOptions& options,
                     const std::vector<ExecutionDistributions>& distributions) {
  const TimeUnit unit = diffTimeUnit(diff, options.unit);
  std::string out;
  openPage(out, "Profile comparison: " + options.basePath + " and " + options.newPath);
  out += "<header>\n<h1>Profile comparison</h1>\n<p>base: <span class=\"log\">";
  appendEscaped(out, options.basePath);
  out += "</span><br>new: <span class=\"log\">";
  appendEscaped(out, options.newPath);
  out += "</span></p>\n";
  if (options.skipFirst != 0) {
    out += "<p>Left out: the first " + countText(options.skipFirst) + " executions of each graph.</p>\n";
  }
  for (const auto& [subject, sentence] : methodNotes(diff, options)) {
    out += "<p>";
    appendEscaped(out, subject + ": " + sentence);
    out += ".</p>\n";
  }
  const VerdictCounts& counts = diff.counts;
  out += "<p class=\"counts\"><strong>" + countText(counts.slower) + " slower</strong>, " +
         countText(counts.faster) + " faster, " + countText(counts.noChange) + " no change, " +
         countText(counts.tooFew) + " too few executions, " + countText(counts.added) + " added, " +
         countText(counts.removed) + " removed.</p>\n</header>\n";
  if (diff.graphs.empty()) out += "<p>No executions in either log.</p>\n";
  for (std::size_t at = 0; at < diff.graphs.size(); ++at) appendGraph(out, diff.graphs[at], at, unit, distributions);
  closePage(out);
  return out;
}

}  // namespace vyn::tools
