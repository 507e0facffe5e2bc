#include "stats/diff_compare.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <unordered_map>
#include <utility>

#include "base/parallel_for.h"
#include "stats/sample_summary.h"

namespace vyn::tools {
namespace {

using profiling::IntervalRank;

// How close to the threshold a change must come to count as reaching it: a
// median that went from 100 to 105 is a change of 5%, even where rounding
// makes it 4.9999999999%.
constexpr double kThresholdTolerance = 1e-9;

SideFigures figuresOf(std::vector<double>& values) {
  const profiling::SampleSummary summary = profiling::summarize(values);
  return {summary.count, summary.p50, summary.mean, summary.p99, summary.total};
}

// A row of one side only; its samples stay where they are.
DiffRow oneSided(RowSamples& samples, bool execution, Verdict verdict) {
  DiffRow row;
  row.execution = execution;
  row.path = samples.path;
  row.unit = samples.unit;
  (verdict == Verdict::Added ? row.next : row.base) = figuresOf(samples.values);
  row.change = std::numeric_limits<double>::quiet_NaN();
  row.verdict = verdict;
  return row;
}

// A row of both logs, its figures still to come: where it is and what it compares.
struct PendingRow {
  std::size_t graph;
  std::size_t row;
  RowSamples* base;
  RowSamples* next;
};

// Builds the graph's rows; those of both logs wait in pending.
struct GraphMatcher {
  ProfileDiff& diff;
  std::vector<PendingRow>& pending;

  void compared(GraphDiff& graph, RowSamples& base, RowSamples& next, bool execution) {
    DiffRow row;
    row.execution = execution;
    row.path = base.path;
    row.unit = base.unit;
    pending.push_back({diff.graphs.size(), graph.rows.size(), &base, &next});
    graph.rows.push_back(std::move(row));
  }

  static std::string rowKey(const RowSamples& row) { return std::string(row.unit) + '\n' + row.path; }

  void bothLogs(GraphSamples& base, GraphSamples& next) {
    GraphDiff graph;
    graph.name = base.name;
    compared(graph, base.execution, next.execution, true);
    std::unordered_map<std::string, RowSamples*> newRows;
    for (RowSamples& event : next.events) newRows.emplace(rowKey(event), &event);
    for (RowSamples& event : base.events) {
      const auto match = newRows.find(rowKey(event));
      if (match == newRows.end()) {
        graph.rows.push_back(oneSided(event, false, Verdict::Removed));
      } else {
        compared(graph, event, *match->second, false);
        newRows.erase(match);
      }
    }
    for (RowSamples& event : next.events) {
      if (newRows.count(rowKey(event)) != 0) graph.rows.push_back(oneSided(event, false, Verdict::Added));
    }
    diff.graphs.push_back(std::move(graph));
  }

  void oneLog(GraphSamples& samples, GraphStatus status, bool emptiedBySkipFirst) {
    GraphDiff graph;
    graph.name = samples.name;
    graph.status = status;
    graph.emptiedBySkipFirst = emptiedBySkipFirst;
    const Verdict verdict = status == GraphStatus::Added ? Verdict::Added : Verdict::Removed;
    graph.rows.push_back(oneSided(samples.execution, true, verdict));
    for (RowSamples& event : samples.events) graph.rows.push_back(oneSided(event, false, verdict));
    diff.graphs.push_back(std::move(graph));
  }

  void emptied(const std::string& name) {
    GraphDiff graph;
    graph.name = name;
    graph.status = GraphStatus::Emptied;
    graph.emptiedBySkipFirst = true;
    diff.graphs.push_back(std::move(graph));
  }
};

// The test, the shift and both sides' figures of a row of both logs.
void measure(DiffRow& row, RowSamples& base, RowSamples& next, const IntervalRank& rank) {
  // Ranked first, while they are as gatherSamples left them: sorted samples
  // are merged, not sorted again. Summarising reorders them.
  row.test = profiling::mannWhitneyU(base.values, next.values);
  row.shift = profiling::widenedForWholeUnits(profiling::estimateShift(base.values, next.values, rank), base.values,
                                              next.values);
  row.base = figuresOf(base.values);
  row.next = figuresOf(next.values);
  row.change = relativeChange(row.base->median, row.next->median);
}

bool enoughExecutions(const DiffRow& row) {
  return row.base && row.next && row.base->count >= kFewestExecutions && row.next->count >= kFewestExecutions;
}

// Adjusts the p-values of every row with enough executions together, and
// gives each row of both logs its verdict.
void judgeAll(ProfileDiff& diff, double threshold) {
  std::vector<DiffRow*> family;
  std::vector<double> pValues;
  for (GraphDiff& graph : diff.graphs) {
    for (DiffRow& row : graph.rows) {
      if (row.test && enoughExecutions(row)) {
        family.push_back(&row);
        pValues.push_back(row.test->pValue);
      }
    }
  }
  const std::vector<double> adjusted = profiling::adjustPValues(pValues, diff.correction);
  for (std::size_t at = 0; at < family.size(); ++at) family[at]->pAdjusted = adjusted[at];
  diff.family = family.size();
  for (GraphDiff& graph : diff.graphs) {
    for (DiffRow& row : graph.rows) {
      if (!row.test) continue;
      row.verdict = row.pAdjusted ? judge(row.change, *row.pAdjusted, threshold) : Verdict::TooFew;
    }
  }
}

void count(VerdictCounts& counts, Verdict verdict) {
  switch (verdict) {
    case Verdict::Slower:
      ++counts.slower;
      break;
    case Verdict::Faster:
      ++counts.faster;
      break;
    case Verdict::NoChange:
      ++counts.noChange;
      break;
    case Verdict::TooFew:
      ++counts.tooFew;
      break;
    case Verdict::Added:
      ++counts.added;
      break;
    case Verdict::Removed:
      ++counts.removed;
      break;
  }
}

double costOf(const GraphDiff& graph) {
  if (graph.rows.empty()) return 0;
  const DiffRow& execution = graph.rows.front();
  return std::max(execution.base ? execution.base->total : 0.0, execution.next ? execution.next->total : 0.0);
}

}  // namespace

Verdict judge(double change, double pAdjusted, double threshold) {
  if (!(pAdjusted < kSignificanceLevel) || std::isnan(change) || change == 0) return Verdict::NoChange;
  if (!(std::fabs(change) >= threshold * (1 - kThresholdTolerance))) return Verdict::NoChange;
  return change > 0 ? Verdict::Slower : Verdict::Faster;
}

double relativeChange(double base, double next) {
  if (base == next) return 0;
  return shareOf(next - base, base);
}

double shareOf(double amount, double base) {
  if (amount == 0) return 0;
  if (base == 0) return amount > 0 ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
  return amount / std::fabs(base);
}

ProfileDiff compareSamples(std::vector<GraphSamples>& base, std::vector<GraphSamples>& next, double thresholdPercent,
                           profiling::PValueAdjustment correction) {
  ProfileDiff diff;
  diff.correction = correction;
  std::vector<PendingRow> pending;
  GraphMatcher matcher{diff, pending};
  std::unordered_map<std::string, GraphSamples*> newGraphs;
  for (GraphSamples& graph : next) newGraphs.emplace(graph.name, &graph);
  for (GraphSamples& graph : base) {
    const auto match = newGraphs.find(graph.name);
    GraphSamples* other = match == newGraphs.end() ? nullptr : match->second;
    if (other != nullptr) newGraphs.erase(match);
    const bool inBase = !graph.execution.values.empty();
    const bool inNew = other != nullptr && !other->execution.values.empty();
    if (inBase && inNew) {
      matcher.bothLogs(graph, *other);
    } else if (inBase) {
      matcher.oneLog(graph, GraphStatus::Removed, other != nullptr);
    } else if (inNew) {
      matcher.oneLog(*other, GraphStatus::Added, true);
    } else {
      matcher.emptied(graph.name);
    }
  }
  for (GraphSamples& graph : next) {
    if (newGraphs.count(graph.name) == 0) continue;
    if (graph.execution.values.empty()) {
      matcher.emptied(graph.name);
    } else {
      matcher.oneLog(graph, GraphStatus::Added, false);
    }
  }

  // The interval's rank depends only on the two sizes, which most rows share.
  std::map<std::pair<std::size_t, std::size_t>, IntervalRank> ranks;
  for (const PendingRow& row : pending)
    ranks.emplace(std::make_pair(row.base->values.size(), row.next->values.size()), IntervalRank{});
  for (auto& [sizes, rank] : ranks) rank = profiling::shiftIntervalRank(sizes.first, sizes.second, kSignificanceLevel);
  // Rows are compared apart from each other, so each may take a core.
  base::parallelFor(pending.size(), [&](std::size_t at) {
    const PendingRow& row = pending[at];
    const IntervalRank& rank = ranks.at({row.base->values.size(), row.next->values.size()});
    measure(diff.graphs[row.graph].rows[row.row], *row.base, *row.next, rank);
  });

  judgeAll(diff, thresholdPercent / 100.0);
  for (GraphDiff& graph : diff.graphs) {
    graph.cost = costOf(graph);
    sortRows(graph.rows);
    for (const DiffRow& row : graph.rows) count(diff.counts, row.verdict);
  }
  sortGraphs(diff.graphs);
  return diff;
}

std::string_view verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Slower:
      return "slower";
    case Verdict::Faster:
      return "faster";
    case Verdict::TooFew:
      return "too few executions";
    case Verdict::Added:
      return "added";
    case Verdict::Removed:
      return "removed";
    default:
      return "no change";
  }
}

std::string_view correctionName(profiling::PValueAdjustment correction) {
  switch (correction) {
    case profiling::PValueAdjustment::Holm:
      return "holm";
    case profiling::PValueAdjustment::BenjaminiHochberg:
      return "fdr";
    default:
      return "none";
  }
}

}  // namespace vyn::tools
