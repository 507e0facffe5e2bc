// Whether two sets of timing samples differ: the two-sided rank-sum (Mann-Whitney
// U) test, which assumes nothing about the shape of their distributions.
#ifndef VYN_STATS_RANK_SUM_TEST_H_
#define VYN_STATS_RANK_SUM_TEST_H_

#include <cstddef>
#include <vector>

namespace vyn::profiling {

// Sample sizes up to which, without ties, p comes from the exact distribution.
inline constexpr std::size_t kExactRankSumLimit = 50;

struct RankSumTest {
  double u = 0;        // U of the first sample: its rank sum minus n1(n1+1)/2 (average ranks for ties)
  double pValue = 1;   // two-sided
  bool exact = false;  // p from the exact distribution of U rather than the normal approximation
};

// Two-sided Mann-Whitney U test of whether a and b come from the same distribution.
// Either sample empty: u 0, p 1.
//
// The pooled samples are ranked once after sorting, O(n log n), with tied values
// sharing the average of their ranks.
//
// Without ties and with at most 50 values in each sample, p comes from the exact
// distribution of U (exactRankSumLowerTails below): the number of arrangements
// of the n1 + n2 values with U = k, counted in double and divided by
// C(n1 + n2, n1); p = min(1, 2 P(U <= min(u, n1 n2 - u))).
//
// Otherwise p comes from the normal approximation: mean n1 n2 / 2, variance
// n1 n2 / 12 ((n + 1) - sum(t^3 - t) / (n (n - 1))) over the sizes t of the
// groups of tied values, n = n1 + n2, and a continuity correction of 0.5 towards
// the mean. When the variance is 0 (every value equal) p is 1.
//
// Samples must not be NaN.
RankSumTest mannWhitneyU(const std::vector<double>& a, const std::vector<double>& b);

// The exact distribution of U for samples of n1 and n2 values without ties:
// P(U <= k) for k = 0..limit, the arrangements with U = k counted as the
// coefficients of a Gaussian binomial. O(n1 limit) time.
std::vector<double> exactRankSumLowerTails(std::size_t n1, std::size_t n2, std::size_t limit);

}  // namespace vyn::profiling

#endif  // VYN_STATS_RANK_SUM_TEST_H_
