// The text form of a comparison: which logs, how it decides, a table per
// graph, and the count of each verdict.
#include "analysis/diff_writers.h"
#include "analysis/text_table.h"
#include "base/terminal_text.h"

namespace vyn::tools {
namespace {

constexpr const char* kMissing = "-";

std::string countOrMissing(const std::optional<SideFigures>& side) { return side ? countText(side->count) : kMissing; }

std::string figureOrMissing(const DiffRow& row, const std::optional<SideFigures>& side, double SideFigures::*figure,
                            TimeUnit timeUnit) {
  return side ? figureText(inRowUnit(row, (*side).*figure, timeUnit)) : kMissing;
}

void appendGraph(std::string& out, const GraphDiff& graph, TimeUnit timeUnit) {
  out += "graph " + base::terminalText(graph.name);
  const std::string status = graphStatusText(graph);
  if (!status.empty()) out += ": " + status;
  out += '\n';
  if (graph.rows.empty()) return;
  // The verdict and what it rests on first, then the figures of each side.
  TextTable table({"path", "unit", "verdict", "change", "shift [95% CI]", "p", "p adjusted", "base n", "new n",
                   "base median", "new median", "base mean", "new mean", "base p99", "new p99"},
                  3);
  for (const DiffRow& row : graph.rows) {
    table.addRow({row.execution ? "execution time" : row.path, std::string(rowUnitName(row, timeUnit)),
                  std::string(verdictName(row.verdict)), changeText(row.change), shiftText(row),
                  pValueText(row.test ? std::optional<double>(row.test->pValue) : std::nullopt),
                  pValueText(row.pAdjusted), countOrMissing(row.base), countOrMissing(row.next),
                  figureOrMissing(row, row.base, &SideFigures::median, timeUnit),
                  figureOrMissing(row, row.next, &SideFigures::median, timeUnit),
                  figureOrMissing(row, row.base, &SideFigures::mean, timeUnit),
                  figureOrMissing(row, row.next, &SideFigures::mean, timeUnit),
                  figureOrMissing(row, row.base, &SideFigures::p99, timeUnit),
                  figureOrMissing(row, row.next, &SideFigures::p99, timeUnit)});
  }
  table.appendTo(out, 2);
}

}  // namespace

std::string diffText(const ProfileDiff& diff, const DiffOptions& options, const LogExtent& baseExtent,
                     const LogExtent& newExtent) {
  const auto incomplete = [](const LogExtent& extent) {
    return extent.complete() ? std::string() : " (" + incompleteText(extent) + ")";
  };
  std::string out = "base: " + options.basePath + incomplete(baseExtent) + "\nnew:  " + options.newPath +
                    incomplete(newExtent) + "\n";
  if (options.skipFirst != 0) {
    out += "left out: the first " + countText(options.skipFirst) +
           (options.skipFirst == 1 ? " execution" : " executions") + " of each graph\n";
  }
  for (const auto& [subject, sentence] : methodNotes(diff, options)) out += subject + ": " + sentence + "\n";
  const TimeUnit timeUnit = diffTimeUnit(diff, options.unit);
  for (const GraphDiff& graph : diff.graphs) {
    out += '\n';
    appendGraph(out, graph, timeUnit);
  }
  if (diff.graphs.empty()) out += "\nno executions in either log\n";
  out += "\n" + countsText(diff.counts) + "\n";
  return out;
}

}  // namespace vyn::tools
