#include "stats/rank_sum_test.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace vyn::profiling {

namespace {

// Sample sizes up to which, without ties, p comes from the exact distribution.
constexpr std::size_t kExactLimit = 50;

struct Ranking {
  double u = 0;
  double tieTerm = 0;  // sum of t^3 - t over the groups of t tied values
};

Ranking rankPooled(const std::vector<double>& a, const std::vector<double>& b) {
  // Each value with whether it came from a.
  std::vector<std::pair<double, bool>> pooled;
  pooled.reserve(a.size() + b.size());
  for (const double value : a) pooled.emplace_back(value, true);
  for (const double value : b) pooled.emplace_back(value, false);
  std::sort(pooled.begin(), pooled.end(),
            [](const auto& left, const auto& right) { return left.first < right.first; });

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

// P(U <= limit) for samples of n1 and n2 untied values, by counting arrangements.
double exactLowerTail(std::size_t n1, std::size_t n2, std::size_t limit) {
  // counts[j][k] = c(i, j, k) for the current i; rows are rolled over i.
  std::vector<std::vector<double>> previous(n2 + 1, std::vector<double>(limit + 1, 0));
  std::vector<std::vector<double>> current = previous;
  for (auto& row : previous) row[0] = 1;  // c(0, j, k): only U = 0
  for (std::size_t i = 1; i <= n1; ++i) {
    current[0].assign(limit + 1, 0);
    current[0][0] = 1;  // c(i, 0, k): only U = 0
    for (std::size_t j = 1; j <= n2; ++j) {
      for (std::size_t k = 0; k <= limit; ++k) {
        const double largestFromA = k >= j ? previous[j][k - j] : 0;
        current[j][k] = largestFromA + current[j - 1][k];
      }
    }
    std::swap(previous, current);
  }
  double atOrBelow = 0;
  for (const double count : previous[n2]) atOrBelow += count;

  // C(n1 + n2, n1), built up so that every partial product is itself a binomial.
  double arrangements = 1;
  for (std::size_t i = 1; i <= n1; ++i) {
    arrangements = arrangements * static_cast<double>(n2 + i) / static_cast<double>(i);
  }
  return atOrBelow / arrangements;
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

RankSumTest mannWhitneyU(const std::vector<double>& a, const std::vector<double>& b) {
  RankSumTest test;
  if (a.empty() || b.empty()) return test;
  const Ranking ranking = rankPooled(a, b);
  test.u = ranking.u;

  const bool untied = ranking.tieTerm == 0;
  if (untied && a.size() <= kExactLimit && b.size() <= kExactLimit) {
    // Without ties U is a whole number no larger than n1 n2.
    const auto u = static_cast<std::size_t>(std::llround(ranking.u));
    const std::size_t limit = std::min(u, a.size() * b.size() - u);
    test.pValue = std::min(1.0, 2 * exactLowerTail(a.size(), b.size(), limit));
    test.exact = true;
    return test;
  }
  test.pValue = normalPValue(ranking.u, static_cast<double>(a.size()),
                             static_cast<double>(b.size()), ranking.tieTerm);
  return test;
}

}  // namespace vyn::profiling
