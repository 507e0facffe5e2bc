// The sentences that state how a comparison decides, shared by the text and
// HTML forms, and the summary of its verdicts.
#include "analysis/diff_writers.h"

namespace vyn::tools {
namespace {

std::string rowsText(std::uint64_t rows) { return countText(rows) + (rows == 1 ? " row" : " rows"); }

std::string correctionSentence(const ProfileDiff& diff) {
  const std::string family = " over the " + rowsText(diff.family) + " with at least " + countText(kFewestExecutions) +
                             " executions on both sides";
  switch (diff.correction) {
    case profiling::PValueAdjustment::Holm:
      return "p adjusted by Holm's step-down" + family;
    case profiling::PValueAdjustment::BenjaminiHochberg:
      return "p adjusted by Benjamini-Hochberg (false discovery rate)" + family;
    default:
      return "p not adjusted (--correction none)";
  }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> methodNotes(const ProfileDiff& diff, const DiffOptions& options) {
  const std::string fewest = countText(kFewestExecutions);
  const std::string confidence = figureText((1 - kSignificanceLevel) * 100);
  return {
      {"rows",
       "per graph its execution time, then each measured event path; an event row's n, median, mean "
       "and p99 are of the path's sum in each execution"},
      {"test", "two-sided Mann-Whitney U per row, " + correctionSentence(diff)},
      {"slower or faster", "adjusted p < " + figureText(kSignificanceLevel) + " and the median changed by at least " +
                               figureText(options.thresholdPercent) + "%; fewer than " + fewest +
                               " executions on a side: too few executions"},
      {"shift", "Hodges-Lehmann estimate of new - base (the median of every pairwise difference) with its " +
                    confidence + "% confidence interval, in percent of the base median"},
      {"graphs", "by total execution time, the larger of the two logs', largest first"},
  };
}

std::string countsText(const VerdictCounts& counts) {
  return countText(counts.slower) + " slower, " + countText(counts.faster) + " faster, " + countText(counts.noChange) +
         " no change, " + countText(counts.tooFew) + " too few executions, " + countText(counts.added) + " added, " +
         countText(counts.removed) + " removed";
}

std::string graphStatusText(const GraphDiff& graph) {
  switch (graph.status) {
    case GraphStatus::Added:
      return graph.emptiedBySkipFirst ? "added (--skip-first leaves none of its executions in the base log)"
                                      : "added (only in the new log)";
    case GraphStatus::Removed:
      return graph.emptiedBySkipFirst ? "removed (--skip-first leaves none of its executions in the new log)"
                                      : "removed (only in the base log)";
    case GraphStatus::Emptied:
      return "emptied (--skip-first leaves none of its executions in either log)";
    default:
      return {};
  }
}

}  // namespace vyn::tools
