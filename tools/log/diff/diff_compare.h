// The comparison `diff` makes between two logs, as plain data: per graph one
// row for the execution time and one per measured event path, each with both
// sides' figures, the change of the median, a rank-sum test and a verdict.
#ifndef VYN_TOOLS_LOG_DIFF_COMPARE_H_
#define VYN_TOOLS_LOG_DIFF_COMPARE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/figures.h"
#include "log/diff/diff_samples.h"
#include "stats/rank_sum_test.h"

namespace vyn::tools {

// A change counts when the test's p-value is below this.
inline constexpr double kSignificanceLevel = 0.05;

enum class Verdict { Slower, Faster, NoChange, Added, Removed };

// "slower", "faster", "no change", "added", "removed".
std::string_view verdictName(Verdict verdict);

// Slower or faster when p is below the significance level and the change of
// the median, a fraction, is at least threshold (a fraction too) either way;
// else no change. A change that cannot be told (NaN) is no change.
Verdict judge(double change, double pValue, double threshold);

// (new - base) / |base|: positive when the new median is larger, whatever the
// sign of the values. Infinite when only the base is 0, 0 when both are.
double relativeChange(double base, double next);

struct SideFigures {
  std::uint64_t count = 0;
  double median = 0;
  double mean = 0;
  double p99 = 0;
};

struct DiffRow {
  bool execution = false;  // the execution time, else an event path
  std::string path;        // empty for the execution time
  std::string_view unit;   // of the samples; the execution time is in "us"
  std::optional<SideFigures> base;
  std::optional<SideFigures> next;  // the new log's
  double change = 0;                // of the median, a fraction; both sides only
  std::optional<profiling::RankSumTest> test;  // both sides only
  Verdict verdict = Verdict::NoChange;
};

struct GraphDiff {
  std::string name;
  // Added or Removed for a graph in one log only, else NoChange.
  Verdict presence = Verdict::NoChange;
  // Added or removed only because --skip-first left none of the graph's
  // executions in the log it is missing from.
  bool emptiedBySkipFirst = false;
  std::vector<DiffRow> rows;  // the execution time first
};

struct VerdictCounts {
  std::uint64_t slower = 0;
  std::uint64_t faster = 0;
  std::uint64_t noChange = 0;
  std::uint64_t added = 0;
  std::uint64_t removed = 0;
};

struct ProfileDiff {
  // The base log's order, then graphs only in the new log; graphs with no
  // samples on either side are left out.
  std::vector<GraphDiff> graphs;
  VerdictCounts counts;           // of the rows of every graph
};

// Compares the samples of the base and the new log, leaving them reordered. thresholdPercent is the smallest change of the median, in percent,
// that is slower or faster.
ProfileDiff compareSamples(std::vector<GraphSamples>& base, std::vector<GraphSamples>& next,
                           double thresholdPercent);

// The execution time first; then the rows found slower or faster, largest
// change first; then the others by path.
void sortRows(std::vector<DiffRow>& rows);

// Times are written in the unit that reads best for the typical execution time.
TimeUnit diffTimeUnit(const ProfileDiff& diff, TimeUnit wanted);
bool isTimeRow(const DiffRow& row);
// "+12.3%", "-4.0%", "0.0%"; "+inf" for a change from a median of 0; "-" when
// it cannot be told.
std::string changeText(double change);
// The unit a row's figures are written in, and a figure in it.
std::string_view rowUnitName(const DiffRow& row, TimeUnit timeUnit);
double inRowUnit(const DiffRow& row, double value, TimeUnit timeUnit);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_DIFF_COMPARE_H_
