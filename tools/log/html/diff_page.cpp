#include "log/html/diff_page.h"

#include <algorithm>
#include <cmath>

#include "analysis/diff_writers.h"
#include "log/html/chart_frame.h"
#include "log/html/graph_order.h"
#include "log/html/histogram_svg.h"
#include "log/html/html_escape.h"
#include "log/html/html_page.h"
#include "log/html/html_table.h"
#include "log/html/incomplete_notice.h"
#include "log/html/palette.h"

namespace vyn::tools {
namespace {

constexpr const char* kMissing = "-";
constexpr const char* kArrow = " \xE2\x86\x92 ";  // between the base and the new figure
// Rows in the table of changes that opens the page.
constexpr std::size_t kMaxChangeRows = 100;
// A graph's table of rows longer than this shows the rows without a change only on request.
constexpr std::size_t kOpenRows = 12;
// Graphs named in a line of added or removed ones.
constexpr std::size_t kMaxListedGraphs = 10;
constexpr double kHistogramHeight = 170;

std::string verdictClass(Verdict verdict) {
  std::string name(verdictName(verdict));
  std::replace(name.begin(), name.end(), ' ', '-');
  return "verdict-" + name;
}

bool changed(const DiffRow& row) { return row.verdict == Verdict::Slower || row.verdict == Verdict::Faster; }

// "1400 → 1655": a figure of both sides, "-" for a side without samples.
std::string bothSides(const DiffRow& row, double SideFigures::*figure, TimeUnit unit) {
  auto side = [&](const std::optional<SideFigures>& figures) {
    return figures ? figureText(inRowUnit(row, (*figures).*figure, unit)) : std::string(kMissing);
  };
  return side(row.base) + kArrow + side(row.next);
}

std::string bothCounts(const DiffRow& row) {
  return (row.base ? countText(row.base->count) : kMissing) + kArrow +
         (row.next ? countText(row.next->count) : kMissing);
}

// A column of the tables of rows: its header and its cell for a row. A new
// figure of the comparison is one more entry in kRowColumns.
struct RowColumn {
  const char* header;
  HtmlCell (*cell)(const DiffRow& row, TimeUnit unit);
  bool inChanges;     // also in the table of changes that opens the page
  bool text = false;  // words, aligned left
};

const RowColumn kRowColumns[] = {
    {"unit",
     [](const DiffRow& row, TimeUnit unit) { return HtmlCell(std::string(rowUnitName(row, unit)), "", "text"); }, true,
     true},
    {"verdict",
     [](const DiffRow& row, TimeUnit) {
       return HtmlCell(std::string(verdictName(row.verdict)), "", "text " + verdictClass(row.verdict));
     },
     true, true},
    {"change", [](const DiffRow& row, TimeUnit) { return HtmlCell(changeText(row.change)); }, true},
    {"shift [95% CI]", [](const DiffRow& row, TimeUnit) { return HtmlCell(shiftText(row)); }, true},
    {"p",
     [](const DiffRow& row, TimeUnit) {
       return HtmlCell(pValueText(row.test ? std::optional<double>(row.test->pValue) : std::nullopt));
     },
     false},
    {"p adjusted", [](const DiffRow& row, TimeUnit) { return HtmlCell(pValueText(row.pAdjusted)); }, true},
    {"n, base \xE2\x86\x92 new", [](const DiffRow& row, TimeUnit) { return HtmlCell(bothCounts(row)); }, true},
    {"median, base \xE2\x86\x92 new",
     [](const DiffRow& row, TimeUnit unit) { return HtmlCell(bothSides(row, &SideFigures::median, unit)); }, true},
    {"mean, base \xE2\x86\x92 new",
     [](const DiffRow& row, TimeUnit unit) { return HtmlCell(bothSides(row, &SideFigures::mean, unit)); }, false},
    {"p99, base \xE2\x86\x92 new",
     [](const DiffRow& row, TimeUnit unit) { return HtmlCell(bothSides(row, &SideFigures::p99, unit)); }, false},
};

// first: the headers of the name columns before the row's own.
std::vector<HtmlCell> rowHeaders(const std::vector<std::string>& first, bool changes) {
  std::vector<HtmlCell> headers;
  for (const std::string& name : first) headers.emplace_back(name, "", "text");
  for (const RowColumn& column : kRowColumns) {
    if (!changes || column.inChanges) headers.emplace_back(column.header, "", column.text ? "text" : "");
  }
  return headers;
}

void appendRowCells(std::vector<HtmlCell>& cells, const DiffRow& row, TimeUnit unit, bool changes) {
  for (const RowColumn& column : kRowColumns) {
    if (!changes || column.inChanges) cells.push_back(column.cell(row, unit));
  }
}

HtmlCell pathCell(const DiffRow& row) {
  return row.execution ? HtmlCell("execution time", "", "text") : HtmlCell::path(row.path);
}

const DiffRow* executionRow(const GraphDiff& graph) {
  return !graph.rows.empty() && graph.rows.front().execution ? &graph.rows.front() : nullptr;
}

// The larger of the two logs' summed execution times of a graph.
double largerTotal(const GraphDiff& graph) {
  const DiffRow* row = executionRow(graph);
  if (row == nullptr) return 0;
  auto total = [](const std::optional<SideFigures>& side) {
    return side ? static_cast<double>(side->count) * side->mean : 0.0;
  };
  return std::max(total(row->base), total(row->next));
}

// What the page needs of the graphs' order: each graph's rank, and the graphs by rank.
struct GraphRanks {
  std::vector<std::size_t> order;   // graph indexes, largest total first
  std::vector<std::size_t> rankOf;  // by graph index
};

GraphRanks rankGraphs(const ProfileDiff& diff) {
  std::vector<double> totals;
  totals.reserve(diff.graphs.size());
  for (const GraphDiff& graph : diff.graphs) totals.push_back(largerTotal(graph));
  GraphRanks ranks;
  ranks.order = largestFirst(totals);
  ranks.rankOf.resize(ranks.order.size());
  for (std::size_t rank = 0; rank < ranks.order.size(); ++rank) ranks.rankOf[ranks.order[rank]] = rank;
  return ranks;
}

void appendGraphNames(std::string& out, const std::vector<const GraphDiff*>& graphs, const GraphRanks& ranks,
                      const ProfileDiff& diff, const char* what) {
  if (graphs.empty()) return;
  out += "<p class=\"presence\">" + std::string(what) + ": ";
  for (std::size_t at = 0; at < graphs.size() && at < kMaxListedGraphs; ++at) {
    if (at != 0) out += ", ";
    const std::size_t rank = ranks.rankOf[static_cast<std::size_t>(graphs[at] - diff.graphs.data())];
    if (rank < kMaxChartedGraphs) out += "<a href=\"#" + chartAnchor(rank) + "\">";
    out += "<span class=\"cut inline\"";
    appendAttribute(out, "title", graphs[at]->name);
    out += ">";
    appendEscaped(out, graphs[at]->name);
    out += "</span>";
    if (rank < kMaxChartedGraphs) out += "</a>";
  }
  if (graphs.size() > kMaxListedGraphs) out += " and " + countText(graphs.size() - kMaxListedGraphs) + " more";
  out += ".</p>\n";
}

// The page's opening: every row found slower or faster, the most significant
// first, and the graphs found in one log only.
void appendChanges(std::string& out, const ProfileDiff& diff, const GraphRanks& ranks, TimeUnit unit) {
  struct Change {
    std::size_t graph;
    const DiffRow* row;
  };
  std::vector<Change> changes;
  std::vector<const GraphDiff*> added;
  std::vector<const GraphDiff*> removed;
  for (const std::size_t at : ranks.order) {
    const GraphDiff& graph = diff.graphs[at];
    if (graph.status == GraphStatus::Added) added.push_back(&graph);
    if (graph.status == GraphStatus::Removed) removed.push_back(&graph);
    for (const DiffRow& row : graph.rows) {
      if (changed(row)) changes.push_back({at, &row});
    }
  }
  // The smallest adjusted p first; among equal ones, the largest change. Ties
  // keep the graphs' order and each graph's own.
  auto pValue = [](const Change& change) {
    return change.row->pAdjusted && !std::isnan(*change.row->pAdjusted) ? *change.row->pAdjusted : 1.0;
  };
  auto size = [](const Change& change) { return std::isnan(change.row->change) ? 0.0 : std::fabs(change.row->change); };
  std::stable_sort(changes.begin(), changes.end(), [&](const Change& a, const Change& b) {
    if (pValue(a) != pValue(b)) return pValue(a) < pValue(b);
    return size(a) > size(b);
  });

  out += "<section class=\"changes\">\n<h2>What changed</h2>\n";
  if (changes.empty()) {
    out += "<p>No row got slower or faster.</p>\n";
  } else {
    const std::size_t shown = std::min(changes.size(), kMaxChangeRows);
    out += "<p>" +
           std::string(shown < changes.size() ? "The " + countText(shown) + " most significant of the " +
                                                    countText(changes.size()) + " rows"
                       : changes.size() == 1 ? "The row"
                                             : "The " + countText(shown) + " rows") +
           " found slower or faster, the smallest adjusted p first, then the largest change.</p>\n";
    openTable(out, "changes", rowHeaders({"graph", "path"}, true));
    for (std::size_t at = 0; at < shown; ++at) {
      const GraphDiff& graph = diff.graphs[changes[at].graph];
      const std::size_t rank = ranks.rankOf[changes[at].graph];
      std::vector<HtmlCell> cells{HtmlCell::name(graph.name, rank < kMaxChartedGraphs ? "#" + chartAnchor(rank) : ""),
                                  pathCell(*changes[at].row)};
      appendRowCells(cells, *changes[at].row, unit, true);
      appendRow(out, cells);
    }
    closeTable(out);
    if (shown < changes.size()) {
      out += "<p class=\"note\">" + countText(changes.size() - shown) +
             " more slower or faster rows are in the graphs' tables below and in the text and JSON forms "
             "(--format text, --format json).</p>\n";
    }
  }
  appendGraphNames(out, added, ranks, diff, "Only in the new log (added)");
  appendGraphNames(out, removed, ranks, diff, "Only in the base log (removed)");
  out += "</section>\n";
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
  out +=
      "<figure>\n<figcaption>Distribution of the execution time, both logs on the same scale: "
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
    out += "<p class=\"side\"><strong>" + std::string(side.side) + "</strong>: " + countText(side.count) +
           (side.count == 1 ? " execution" : " executions") + "</p>\n";
    HistogramInput input;
    input.bins = side.bins;
    input.countScale = top;
    input.kind = side.kind;
    input.colour = side.colour;
    input.unit = unit;
    input.height = kHistogramHeight;
    input.label = std::string(side.side) + " log: distribution of the execution time of graph " + times.graph;
    out += histogramSvg(input);
  }
  out += "</figure>\n";
}

void appendRowsTable(std::string& out, const std::vector<const DiffRow*>& rows, TimeUnit unit) {
  openTable(out, "verdicts", rowHeaders({"path"}, false));
  for (const DiffRow* row : rows) {
    std::vector<HtmlCell> cells{pathCell(*row)};
    appendRowCells(cells, *row, unit, false);
    appendRow(out, cells);
  }
  closeTable(out);
}

// The graph's rows; in a long table, the event rows without a change only on request.
void appendVerdicts(std::string& out, const GraphDiff& graph, TimeUnit unit) {
  std::vector<const DiffRow*> open;
  std::vector<const DiffRow*> quiet;
  for (const DiffRow& row : graph.rows) {
    const bool hide = graph.rows.size() > kOpenRows && !row.execution && row.verdict == Verdict::NoChange;
    (hide ? quiet : open).push_back(&row);
  }
  appendRowsTable(out, open, unit);
  if (quiet.empty()) return;
  out += "<details class=\"more\"><summary>" + countText(quiet.size()) +
         (quiet.size() == 1 ? " more row" : " more rows") + " with no change</summary>\n";
  appendRowsTable(out, quiet, unit);
  out += "</details>\n";
}

void appendGraph(std::string& out, const GraphDiff& graph, std::size_t rank, TimeUnit unit,
                 const std::vector<ExecutionDistributions>& distributions) {
  out += "<section class=\"graph\"";
  appendAttribute(out, "id", chartAnchor(rank));
  out += ">\n<h2 class=\"cut\"";
  appendAttribute(out, "title", graph.name);
  out += ">Graph ";
  appendEscaped(out, graph.name);
  out += "</h2>\n";
  const std::string status = graphStatusText(graph);
  if (!status.empty()) {
    out += "<p>";
    appendEscaped(out, status);
    out += ".</p>\n";
  }
  const auto times = std::find_if(distributions.begin(), distributions.end(),
                                  [&](const ExecutionDistributions& d) { return d.graph == graph.name; });
  if (times != distributions.end()) appendDistributions(out, *times, unit);
  if (!graph.rows.empty()) appendVerdicts(out, graph, unit);
  out += "</section>\n";
}

// The graphs beyond the charted ones: their execution time's row, and how many
// of their event rows changed.
void appendOtherGraphs(std::string& out, const ProfileDiff& diff, const GraphRanks& ranks, TimeUnit unit) {
  const std::size_t others = ranks.order.size() - kMaxChartedGraphs;
  out += "<section class=\"others\">\n<h2>Graphs without charts</h2>\n<details class=\"more\"><summary>" +
         countText(others) + (others == 1 ? " more graph" : " more graphs") +
         ", by total execution time: their execution time and how many of their events got slower or "
         "faster</summary>\n";
  std::vector<HtmlCell> headers = rowHeaders({"graph"}, true);
  headers.insert(headers.begin() + 1, HtmlCell("events changed"));
  openTable(out, "others", headers);
  for (std::size_t rank = kMaxChartedGraphs; rank < ranks.order.size(); ++rank) {
    const GraphDiff& graph = diff.graphs[ranks.order[rank]];
    const DiffRow* row = executionRow(graph);
    if (row == nullptr) continue;
    const auto events = std::count_if(graph.rows.begin(), graph.rows.end(),
                                      [](const DiffRow& r) { return !r.execution && changed(r); });
    std::vector<HtmlCell> cells{HtmlCell::name(graph.name), countText(static_cast<std::uint64_t>(events))};
    appendRowCells(cells, *row, unit, true);
    appendRow(out, cells);
  }
  closeTable(out);
  out += "</details>\n</section>\n";
}

}  // namespace

std::string diffPage(const ProfileDiff& diff, const DiffOptions& options,
                     const std::vector<ExecutionDistributions>& distributions, const LogExtent& baseExtent,
                     const LogExtent& newExtent) {
  const TimeUnit unit = diffTimeUnit(diff, options.unit);
  const GraphRanks ranks = rankGraphs(diff);
  const std::size_t charted = std::min(diff.graphs.size(), kMaxChartedGraphs);
  std::string out;
  out.reserve(64 * 1024 + charted * 32 * 1024 + diff.graphs.size() * 512);
  openPage(out, "Profile comparison: " + options.basePath + " and " + options.newPath);
  out += "<header>\n<h1>Profile comparison</h1>\n";
  appendIncompleteNotice(out, options.basePath, baseExtent, "base");
  appendIncompleteNotice(out, options.newPath, newExtent, "new");
  out += "<p>base: <span class=\"log\">";
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
  out += "<p class=\"counts\"><strong>" + countText(counts.slower) + " slower</strong>, " + countText(counts.faster) +
         " faster, " + countText(counts.noChange) + " no change, " + countText(counts.tooFew) +
         " too few executions, " + countText(counts.added) + " added, " + countText(counts.removed) +
         " removed.</p>\n</header>\n";
  if (diff.graphs.empty()) {
    out += "<p>No executions in either log.</p>\n";
    closePage(out);
    return out;
  }
  appendChanges(out, diff, ranks, unit);
  out += "<p class=\"note\">Graphs by the larger of their two total execution times, largest first.";
  const std::string limit =
      chartLimitNote(diff.graphs.size(), "at the end of the page, with their execution time only");
  if (!limit.empty()) out += " " + escaped(limit);
  out += "</p>\n";
  for (std::size_t rank = 0; rank < charted; ++rank) {
    appendGraph(out, diff.graphs[ranks.order[rank]], rank, unit, distributions);
  }
  if (diff.graphs.size() > charted) appendOtherGraphs(out, diff, ranks, unit);
  closePage(out);
  return out;
}

}  // namespace vyn::tools
