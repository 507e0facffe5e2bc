#include "stats/shift_estimate.h"

#include <algorithm>
#include <cmath>

#include "stats/pairwise_differences.h"
#include "stats/rank_sum_test.h"

namespace vyn::profiling {
namespace {

// z with both tails of the standard normal beyond |z| together holding alpha,
// by bisection on erfc: exact to the last bit after at most 200 halvings.
double twoSidedNormalQuantile(double alpha) {
  double low = 0;
  double high = 40;
  for (int step = 0; step < 200 && low < high; ++step) {
    const double middle = (low + high) / 2;
    if (middle == low || middle == high) break;
    (std::erfc(middle / std::sqrt(2.0)) > alpha ? low : high) = middle;
  }
  return high;
}

// The samples sorted: the caller's when they already are, else a sorted copy.
const std::vector<double>& sortedOf(const std::vector<double>& values, std::vector<double>& copy) {
  if (std::is_sorted(values.begin(), values.end())) return values;
  copy = values;
  std::sort(copy.begin(), copy.end());
  return copy;
}

}  // namespace

IntervalRank shiftIntervalRank(std::size_t m, std::size_t n, double alpha) {
  IntervalRank rank;
  if (m == 0 || n == 0 || !(alpha > 0 && alpha < 1)) return rank;
  const double halfAlpha = alpha / 2;
  const std::uint64_t pairs = static_cast<std::uint64_t>(m) * n;
  if (m <= kExactRankSumLimit && n <= kExactRankSumLimit) {
    rank.exact = true;
    // The tail passes 1/2 at the middle, so the bound lies below it.
    const std::vector<double> tails = exactRankSumLowerTails(m, n, static_cast<std::size_t>(pairs / 2));
    while (rank.k < tails.size() && tails[rank.k] < halfAlpha) ++rank.k;
    return rank;
  }
  const double mn = static_cast<double>(pairs);
  const double sigma = std::sqrt(mn * (static_cast<double>(m + n) + 1) / 12);
  const double bound = std::ceil(mn / 2 - 0.5 - twoSidedNormalQuantile(alpha) * sigma);
  rank.k = bound > 0 ? static_cast<std::uint64_t>(bound) : 0;
  rank.k = std::min(rank.k, (pairs + 1) / 2);
  return rank;
}

ShiftEstimate estimateShift(const std::vector<double>& base, const std::vector<double>& next, IntervalRank rank) {
  ShiftEstimate shift;
  // An infinite sample (a sum that overflowed) has no finite difference to
  // rank against another infinite one.
  const auto finite = [](const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double value) { return std::isfinite(value); });
  };
  if (base.empty() || next.empty() || !finite(base) || !finite(next)) return shift;
  shift.rank = rank;
  std::vector<double> baseCopy;
  std::vector<double> nextCopy;
  const PairwiseDifferences differences(sortedOf(base, baseCopy), sortedOf(next, nextCopy));
  const std::uint64_t pairs = differences.size();
  const bool bounded = rank.k > 0 && rank.k <= pairs;
  std::vector<std::uint64_t> ranks{(pairs + 1) / 2};
  if (bounded) {
    ranks.push_back(rank.k);
    ranks.push_back(pairs - rank.k + 1);
  }
  const std::vector<double> values = differences.kths(ranks);
  const double lowerMiddle = values[0];
  if (pairs % 2 == 1) {
    shift.estimate = lowerMiddle;
  } else {
    // The next difference up is the same value when it is tied with it.
    const double upperMiddle =
        differences.countAtMost(lowerMiddle) > pairs / 2 ? lowerMiddle : differences.smallestAbove(lowerMiddle);
    shift.estimate = (lowerMiddle + upperMiddle) / 2;
  }
  if (bounded) {
    shift.low = values[1];
    shift.high = values[2];
  }
  return shift;
}

ShiftEstimate widenedForWholeUnits(ShiftEstimate shift, const std::vector<double>& base,
                                   const std::vector<double>& next) {
  const auto whole = [](const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double value) { return value == std::floor(value); });
  };
  if (whole(base) && whole(next)) {
    shift.low -= 1;
    shift.high += 1;
  }
  return shift;
}

}  // namespace vyn::profiling
