// How much one set of samples is shifted against another, with the confidence
// interval that goes with the rank-sum test: the Hodges-Lehmann estimate, the
// median of every difference new - base, and the interval between the k-th
// smallest and the k-th largest of those differences.
#ifndef VYN_STATS_SHIFT_ESTIMATE_H_
#define VYN_STATS_SHIFT_ESTIMATE_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace vyn::profiling {

// Which of the m n ordered differences bound the interval: the k-th smallest
// and the k-th largest. k is 0 when the samples are too few for any pair of
// differences to hold the shift with the confidence asked for.
// The confidence is 1 - alpha, alpha the level of the test it goes with (0.05
// for 95%): given as the level so that the tail is compared with alpha / 2
// exactly, as the test compares p with alpha.
struct IntervalRank {
  std::uint64_t k = 0;
  bool exact = false;  // k from the exact distribution of U, else from the normal approximation
};

// The interval [d(k), d(mn - k + 1)] leaves out the shifts s for which the
// two-sided rank-sum test of base against next - s gives p < alpha: those the
// test at that level finds significant. With U's lower tail P(U <= c), k - 1
// is the largest c with P(U <= c) < alpha / 2, so the interval holds the true
// shift with probability 1 - 2 P(U <= k - 1) >= 1 - alpha.
//
// For m and n up to 50 (kExactRankSumLimit) the tail is U's exact distribution
// for samples without ties. Beyond, the normal approximation the test uses,
// with its continuity correction, gives
// k = ceil(mn / 2 - 0.5 - z sqrt(mn (m + n + 1) / 12)), z the standard normal's
// 1 - alpha / 2 quantile; no tie correction, as the ties of shifted
// samples are not those of the samples themselves (this errs to the wide side).
IntervalRank shiftIntervalRank(std::size_t m, std::size_t n, double alpha);

struct ShiftEstimate {
  double estimate = std::numeric_limits<double>::quiet_NaN();
  // The interval's ends, infinite when rank.k is 0: the samples then do not
  // bound the shift.
  double low = -std::numeric_limits<double>::infinity();
  double high = std::numeric_limits<double>::infinity();
  IntervalRank rank;
};

// The shift of next against base: the median of the differences next[j] - base[i]
// over every pair (the mean of the two middle ones when m n is even) and the
// interval with the given rank. The samples may come in any order (sorted
// ones are not copied). Either empty, or holding a value that is not finite:
// estimate NaN, interval unbounded (rank.k 0).
// The differences are ranked by PairwiseDifferences, never built.
ShiftEstimate estimateShift(const std::vector<double>& base, const std::vector<double>& next, IntervalRank rank);

// Values recorded in whole units (microseconds, cycles, counts) each lost less
// than one unit to rounding or truncation, so every recorded difference lies
// within one unit of the difference before recording. The interval of the
// shift of the values as they were is then the recorded one widened by one
// unit on each side: without it, samples whose differences mostly tie (small
// events timed in whole microseconds) give an interval of one point that
// misses a shift of a fraction of a unit. Samples that are not all whole
// numbers are left as they are.
ShiftEstimate widenedForWholeUnits(ShiftEstimate shift, const std::vector<double>& base,
                                   const std::vector<double>& next);

}  // namespace vyn::profiling

#endif  // VYN_STATS_SHIFT_ESTIMATE_H_
