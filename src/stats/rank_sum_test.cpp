#include "stats/rank_sum_test.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace vyn::profiling {

namespace {

struct Ranking {
  double u = 0;
  double tieTerm = 0;  // sum of t^3 - t over the groups of t tied values
};

Ranking rankPooled(const std::vector<double>& a, const std::vector<double>& b) {
  // Each value with whether it came from a, in ascending order: each sample
  // sorted on its own, unless it already is (as summarize leaves it), then the
  // two merged in linear time.
  std::vector<std::pair<double, bool>> pooled;
  pooled.reserve(a.size() + b.size());
  for (const double value : a) pooled.emplace_back(value, true);
  for (const double value : b) pooled.emplace_back(value, false);
  const auto less = [](const auto& left, const auto& right) { return left.first < right.first; };
  const auto middle = pooled.begin() + static_cast<std::ptrdiff_t>(a.size());
  if (!std::is_sorted(pooled.begin(), middle, less)) std::sort(pooled.begin(), middle, less);
  if (!std::is_sorted(middle, pooled.end(), less)) std::sort(middle, pooled.end(), less);
  std::inplace_merge(pooled.begin(), middle, pooled.end(), less);

  Ranking ranking;
  double rankSumOfA = 0;
  for (std::size_t first = 0; first < pooled.size();) {
    std::size_t end = first + 1;
    while (end < pooled.size() && pooled[end].first == pooled[first].first) ++end;
    // Positions first..end-1 hold ranks first+1..end; each gets their mean.
    const double averageRank = (static_cast<double>(first + 1) + static_cast<double>(end)) / 2;
    for (std::size_t at = first; at < end; ++at) {
      if (pooled[at].second) rankSumOfA += averageRank;
    }
    const auto tied = static_cast<double>(end - first);
    ranking.tieTerm += (tied - 1) * tied * (tied + 1);
    first = end;
  }
  const auto n1 = static_cast<double>(a.size());
  ranking.u = rankSumOfA - n1 * (n1 + 1) / 2;
  return ranking;
}

double normalPValue(double u, double n1, double n2, double tieTerm) {
  const double n = n1 + n2;
  const double variance = n1 * n2 / 12 * ((n + 1) - tieTerm / (n * (n - 1)));
  if (!(variance > 0)) return 1;
  const double distance = std::max(0.0, std::fabs(u - n1 * n2 / 2) - 0.5);
  const double z = distance / std::sqrt(variance);
  // Both tails of the standard normal beyond |z|.
  return std::min(1.0, std::erfc(z / std::sqrt(2.0)));
}

}  // namespace

std::vector<double> exactRankSumLowerTails(std::size_t n1, std::size_t n2, std::size_t limit) {
  // The arrangements by U are the coefficients of the Gaussian binomial
  // [n1 + n2, n1](q) = prod over i = 1..n1 of (1 - q^(n2 + i)) / (1 - q^i). Each
  // step multiplies [n2 + i - 1, i - 1](q) by (1 - q^(n2 + i)) and divides by
  // (1 - q^i), which leaves [n2 + i, i](q): after every step the counts are
  // again arrangements, none negative, so counting in double loses no more
  // than rounding. Terms above limit never reach those below, so the
  // polynomial is cut there.
  std::vector<double> counts(limit + 1, 0);
  counts[0] = 1;
  for (std::size_t i = 1; i <= n1; ++i) {
    for (std::size_t k = limit; k >= n2 + i; --k) counts[k] -= counts[k - n2 - i];
    for (std::size_t k = i; k <= limit; ++k) counts[k] += counts[k - i];
  }
  // C(n1 + n2, n1), built up so that every partial product is itself a binomial.
  double arrangements = 1;
  for (std::size_t i = 1; i <= n1; ++i) {
    arrangements = arrangements * static_cast<double>(n2 + i) / static_cast<double>(i);
  }
  std::vector<double> tails(limit + 1);
  double atOrBelow = 0;
  for (std::size_t k = 0; k <= limit; ++k) {
    atOrBelow += counts[k];
    tails[k] = atOrBelow / arrangements;
  }
  return tails;
}

RankSumTest mannWhitneyU(const std::vector<double>& a, const std::vector<double>& b) {
  RankSumTest test;
  if (a.empty() || b.empty()) return test;
  const Ranking ranking = rankPooled(a, b);
  test.u = ranking.u;

  const bool untied = ranking.tieTerm == 0;
  if (untied && a.size() <= kExactRankSumLimit && b.size() <= kExactRankSumLimit) {
    // Without ties U is a whole number no larger than n1 n2.
    const auto u = static_cast<std::size_t>(std::llround(ranking.u));
    const std::size_t limit = std::min(u, a.size() * b.size() - u);
    test.pValue = std::min(1.0, 2 * exactRankSumLowerTails(a.size(), b.size(), limit).back());
    test.exact = true;
    return test;
  }
  test.pValue = normalPValue(ranking.u, static_cast<double>(a.size()), static_cast<double>(b.size()), ranking.tieTerm);
  return test;
}

}  // namespace vyn::profiling
