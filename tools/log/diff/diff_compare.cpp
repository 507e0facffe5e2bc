#include "log/diff/diff_compare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <unordered_map>
#include <utility>

#include "stats/sample_summary.h"

namespace vyn::tools {
namespace {

SideFigures figuresOf(std::vector<double>& values) {
  const profiling::SampleSummary summary = profiling::summarize(values);
  return {summary.count, summary.p50, summary.mean, summary.p99};
}

// A row of one side only; its samples stay where they are.
DiffRow oneSided(const RowSamples& samples, bool execution, Verdict verdict, std::vector<double>& values) {
  DiffRow row;
  row.execution = execution;
  row.path = samples.path;
  row.unit = samples.unit;
  (verdict == Verdict::Added ? row.next : row.base) = figuresOf(values);
  row.change = std::numeric_limits<double>::quiet_NaN();
  row.verdict = verdict;
  return row;
}

DiffRow compared(RowSamples& base, RowSamples& next, bool execution, double threshold) {
  DiffRow row;
  row.execution = execution;
  row.path = base.path;
  row.unit = base.unit;
  // Ranked first, while they are as gatherSamples left them: sorted samples
  // are merged, not sorted again. Summarising reorders them.
  row.test = profiling::mannWhitneyU(base.values, next.values);
  row.base = figuresOf(base.values);
  row.next = figuresOf(next.values);
  row.change = relativeChange(row.base->median, row.next->median);
  row.verdict = judge(row.change, row.test->pValue, threshold);
  return row;
}

std::string rowKey(const RowSamples& row) { return std::string(row.unit) + '\n' + row.path; }

GraphDiff oneSidedGraph(GraphSamples& graph, Verdict verdict, bool emptiedBySkipFirst) {
  GraphDiff diff;
  diff.name = graph.name;
  diff.presence = verdict;
  diff.emptiedBySkipFirst = emptiedBySkipFirst;
  diff.rows.push_back(oneSided(graph.execution, true, verdict, graph.execution.values));
  for (RowSamples& event : graph.events) diff.rows.push_back(oneSided(event, false, verdict, event.values));
  sortRows(diff.rows);
  return diff;
}

GraphDiff comparedGraph(GraphSamples& base, GraphSamples& next, double threshold) {
  GraphDiff diff;
  diff.name = base.name;
  diff.rows.push_back(compared(base.execution, next.execution, true, threshold));
  std::unordered_map<std::string, RowSamples*> newRows;
  for (RowSamples& event : next.events) newRows.emplace(rowKey(event), &event);
  for (RowSamples& event : base.events) {
    const auto match = newRows.find(rowKey(event));
    if (match == newRows.end()) {
      diff.rows.push_back(oneSided(event, false, Verdict::Removed, event.values));
    } else {
      diff.rows.push_back(compared(event, *match->second, false, threshold));
      newRows.erase(match);
    }
  }
  for (RowSamples& event : next.events) {
    if (newRows.count(rowKey(event)) != 0) diff.rows.push_back(oneSided(event, false, Verdict::Added, event.values));
  }
  sortRows(diff.rows);
  return diff;
}

void count(VerdictCounts& counts, Verdict verdict) {
  switch (verdict) {
    case Verdict::Slower: ++counts.slower; break;
    case Verdict::Faster: ++counts.faster; break;
    case Verdict::NoChange: ++counts.noChange; break;
    case Verdict::Added: ++counts.added; break;
    case Verdict::Removed: ++counts.removed; break;
  }
}

bool significant(const DiffRow& row) { return row.verdict == Verdict::Slower || row.verdict == Verdict::Faster; }

}  // namespace

std::string_view verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Slower: return "slower";
    case Verdict::Faster: return "faster";
    case Verdict::Added: return "added";
    case Verdict::Removed: return "removed";
    default: return "no change";
  }
}

Verdict judge(double change, double pValue, double threshold) {
  if (!(pValue < kSignificanceLevel) || !(std::fabs(change) >= threshold) || change == 0) return Verdict::NoChange;
  return change > 0 ? Verdict::Slower : Verdict::Faster;
}

double relativeChange(double base, double next) {
  if (base == next) return 0;
  if (base == 0) return next > 0 ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
  return (next - base) / std::fabs(base);
}

ProfileDiff compareSamples(std::vector<GraphSamples>& base, std::vector<GraphSamples>& next,
                           double thresholdPercent) {
  const double threshold = thresholdPercent / 100.0;
  ProfileDiff diff;
  std::unordered_map<std::string, GraphSamples*> newGraphs;
  for (GraphSamples& graph : next) newGraphs.emplace(graph.name, &graph);
  for (GraphSamples& graph : base) {
    const auto match = newGraphs.find(graph.name);
    GraphSamples* other = match == newGraphs.end() ? nullptr : match->second;
    if (other != nullptr) newGraphs.erase(match);
    const bool inBase = !graph.execution.values.empty();
    const bool inNew = other != nullptr && !other->execution.values.empty();
    if (inBase && inNew) {
      diff.graphs.push_back(comparedGraph(graph, *other, threshold));
    } else if (inBase) {
      diff.graphs.push_back(oneSidedGraph(graph, Verdict::Removed, other != nullptr));
    } else if (inNew) {
      diff.graphs.push_back(oneSidedGraph(*other, Verdict::Added, true));
    }
  }
  for (GraphSamples& graph : next) {
    if (newGraphs.count(graph.name) != 0 && !graph.execution.values.empty()) {
      diff.graphs.push_back(oneSidedGraph(graph, Verdict::Added, false));
    }
  }
  for (const GraphDiff& graph : diff.graphs) {
    for (const DiffRow& row : graph.rows) count(diff.counts, row.verdict);
  }
  return diff;
}

void sortRows(std::vector<DiffRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const DiffRow& a, const DiffRow& b) {
    if (a.execution != b.execution) return a.execution;
    if (significant(a) != significant(b)) return significant(a);
    if (significant(a) && std::fabs(a.change) != std::fabs(b.change)) return std::fabs(a.change) > std::fabs(b.change);
    return a.path != b.path ? a.path < b.path : a.unit < b.unit;
  });
}

TimeUnit diffTimeUnit(const ProfileDiff& diff, TimeUnit wanted) {
  double typical = 0;
  for (const GraphDiff& graph : diff.graphs) {
    const DiffRow& execution = graph.rows.front();
    const SideFigures& side = execution.base ? *execution.base : *execution.next;
    typical = std::max(typical, side.median);
  }
  return resolveTimeUnit(wanted, typical);
}

bool isTimeRow(const DiffRow& row) { return row.execution || row.unit == "us"; }

std::string_view rowUnitName(const DiffRow& row, TimeUnit timeUnit) {
  return isTimeRow(row) ? timeUnitName(timeUnit) : row.unit;
}

double inRowUnit(const DiffRow& row, double value, TimeUnit timeUnit) {
  return isTimeRow(row) ? inTimeUnit(value, timeUnit) : value;
}

std::string changeText(double change) {
  if (std::isnan(change)) return "-";
  if (std::isinf(change)) return change > 0 ? "+inf" : "-inf";
  char text[64];
  std::snprintf(text, sizeof text, "%+.1f%%", change * 100.0);
  return change == 0 || text == std::string("+0.0%") || text == std::string("-0.0%") ? "0.0%" : text;
}

}  // namespace vyn::tools
