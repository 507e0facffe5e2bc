// The comparison `diff` makes between two logs, as plain data: per graph one
// row for the execution time and one per measured event path, each with both
// sides' figures, the change of the median, a rank-sum test, its p adjusted
// over every row of the comparison, the shift with its confidence interval,
// and a verdict.
#ifndef VYN_STATS_DIFF_COMPARE_H_
#define VYN_STATS_DIFF_COMPARE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stats/diff_samples.h"
#include "stats/p_value_adjustment.h"
#include "stats/rank_sum_test.h"
#include "stats/shift_estimate.h"

namespace vyn::tools {

// A change counts when its adjusted p-value is below this; the intervals are
// at the confidence 1 - kSignificanceLevel that goes with it.
inline constexpr double kSignificanceLevel = 0.05;
// A row with fewer values than this on either side gets no verdict: so few
// executions tell too little, and a verdict drawn from them would be noise.
inline constexpr std::uint64_t kFewestExecutions = 10;

enum class Verdict { Slower, Faster, NoChange, TooFew, Added, Removed };

// "slower", "faster", "no change", "too few executions", "added", "removed".
std::string_view verdictName(Verdict verdict);

// The word of --correction: "holm", "fdr", "none".
std::string_view correctionName(profiling::PValueAdjustment correction);

// Slower or faster when the adjusted p is below the significance level and the
// change of the median, a fraction, is at least threshold (a fraction too)
// either way, a change within rounding of the threshold counting as at it;
// else no change. A change that cannot be told (NaN) is no change.
Verdict judge(double change, double pAdjusted, double threshold);

// (new - base) / |base|: positive when the new median is larger, whatever the
// sign of the values. Infinite when only the base is 0, 0 when both are.
double relativeChange(double base, double next);

// An amount as a fraction of |base|: infinite when base is 0 and the amount is
// not, 0 when both are.
double shareOf(double amount, double base);

struct SideFigures {
  std::uint64_t count = 0;
  double median = 0;
  double mean = 0;
  double p99 = 0;
  double total = 0;
};

struct DiffRow {
  bool execution = false;  // the execution time, else an event path
  std::string path;        // empty for the execution time
  std::string_view unit;   // of the samples; the execution time is in "us"
  std::optional<SideFigures> base;
  std::optional<SideFigures> next;                // the new log's
  double change = 0;                              // of the median, a fraction; both sides only
  std::optional<profiling::RankSumTest> test;     // both sides only
  std::optional<double> pAdjusted;                // rows with enough executions on both sides only
  std::optional<profiling::ShiftEstimate> shift;  // of new against base; both sides only
  Verdict verdict = Verdict::NoChange;
};

enum class GraphStatus {
  Compared,  // executed in both logs
  Added,     // only in the new log
  Removed,   // only in the base log
  Emptied,   // --skip-first left none of its executions in either log
};

struct GraphDiff {
  std::string name;
  GraphStatus status = GraphStatus::Compared;
  // Added, removed or emptied only because --skip-first left none of the
  // graph's executions in the log(s) it is missing from.
  bool emptiedBySkipFirst = false;
  // Sum of the execution times, the larger of the two logs'.
  double cost = 0;
  std::vector<DiffRow> rows;  // the execution time first; none when emptied
};

struct VerdictCounts {
  std::uint64_t slower = 0;
  std::uint64_t faster = 0;
  std::uint64_t noChange = 0;
  std::uint64_t tooFew = 0;
  std::uint64_t added = 0;
  std::uint64_t removed = 0;
};

struct ProfileDiff {
  // By cost, largest first; graphs of equal cost in the base log's order, then
  // those only in the new log.
  std::vector<GraphDiff> graphs;
  VerdictCounts counts;  // of the rows of every graph
  profiling::PValueAdjustment correction = profiling::PValueAdjustment::Holm;
  // The rows whose p-values were adjusted together: every row with at least
  // kFewestExecutions values on both sides, across all graphs.
  std::uint64_t family = 0;
};

// Compares the samples of the base and the new log, leaving them reordered.
// thresholdPercent is the smallest change of the median, in percent, that is
// slower or faster; correction adjusts the p-values of all rows together.
ProfileDiff compareSamples(std::vector<GraphSamples>& base, std::vector<GraphSamples>& next, double thresholdPercent,
                           profiling::PValueAdjustment correction);

// The execution time first; then the rows with an adjusted p, smallest first
// (then by raw p); then the rows with too few executions, by raw p; then the
// rows of one log only. Equal p-values (0 for every well-separated row of
// large samples) put the larger change of the median first; ties by path and
// unit.
void sortRows(std::vector<DiffRow>& rows);
// By cost, largest first; graphs of equal cost keep their order.
void sortGraphs(std::vector<GraphDiff>& graphs);

}  // namespace vyn::tools

#endif  // VYN_STATS_DIFF_COMPARE_H_
