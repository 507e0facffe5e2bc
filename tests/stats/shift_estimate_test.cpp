// The Hodges-Lehmann shift and its interval worked by hand on small samples;
// the selection of the k-th pairwise difference against sorting all of them.
#include "stats/shift_estimate.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "stats/pairwise_differences.h"

namespace vyn::profiling {
namespace {

TEST(ShiftIntervalRank, CriticalValuesOfTheRankSumTest) {
  const struct {
    std::size_t m, n;
    std::uint64_t k;
    bool exact;
  } cases[] = {
      // C(10, 2) = 45 arrangements; U <= 0 takes 1 (1/45 = 0.022 < 0.025), U <= 1
      // takes 2 (0.044): k - 1 = 0, the interval spans every difference.
      {2, 8, 1, true},
      // One value against 39: P(U <= 0) = 1/40 = 0.025 is not below 0.025, so
      // no pair of differences bounds the shift.
      {1, 39, 0, true},
      // C(10, 5) = 252, U = 0..3 in 1, 1, 2, 3 arrangements: P(U <= 2) = 4/252 =
      // 0.016, P(U <= 3) = 7/252 = 0.028.
      {5, 5, 3, true},
      // The tables' two-sided 5% critical value of U for 10 and 10 is 23.
      {10, 10, 24, true},
      // 51 and 51: mn = 2601, sigma = sqrt(2601 x 103 / 12) = 149.4163;
      // 1300.5 - 0.5 - 1.959964 x 149.4163 = 1007.151, up to 1008.
      {51, 51, 1008, false},
      // 10 against 100000: mn = 10^6, sigma = sqrt(10^6 x 100011 / 12) = 91292.20;
      // 500000 - 0.5 - 178929.2 = 321070.3, up to 321071.
      {10, 100000, 321071, false},
  };
  for (const auto& c : cases) {
    const IntervalRank rank = shiftIntervalRank(c.m, c.n, 0.05);
    EXPECT_EQ(rank.k, c.k) << c.m << " and " << c.n;
    EXPECT_EQ(rank.exact, c.exact) << c.m << " and " << c.n;
  }
}

// The shift with the interval at level 0.05 for the samples' sizes.
ShiftEstimate shiftAt5Percent(const std::vector<double>& base, const std::vector<double>& next) {
  return estimateShift(base, next, shiftIntervalRank(base.size(), next.size(), 0.05));
}

TEST(ShiftEstimate, HodgesLehmannAndIntervalByHand) {
  const std::vector<double> thirtyFives(40, 35), thirtyEights(40, 38);
  const struct {
    std::vector<double> base, next;
    double estimate, low, high;
    double unit;  // by which whole-number samples widen the interval each side
  } cases[] = {
      // next - base over the 25 pairs of {1..5} and {4 5 6 7 9}: -1; 0 x2; 1 x3;
      // 2 x4; 3 x4; 4 x4; 5 x3; 6 x2; 7; 8. The 13th is 3; k = 3 for 5 and 5: the
      // 3rd smallest 0 and the 3rd largest 6.
      {{1, 2, 3, 4, 5}, {4, 5, 6, 7, 9}, 3, 0, 6, 1},
      // 5.5 for 5: its differences -1.5 -0.5 0.5 1.5 3.5 leave the 13th, the 3rd
      // smallest and the 3rd largest where they were; not whole, not widened.
      {{1, 2, 3, 4, 5.5}, {4, 5, 6, 7, 9}, 3, 0, 6, 0},
      // 16 pairs of {1 2 3 4} and {3 5 6 8}: -1, 0, 1 1, 2 2 2, 3 3, 4 4 4, 5 5, 6, 7.
      // The 8th and 9th are both 3; k = 1: the extremes. Any order.
      {{4, 3, 2, 1}, {8, 6, 5, 3}, 3, -1, 7, 1},
      // {10 20} against {12 25 40}: -8 2 5 15 20 30, median (5 + 15) / 2 = 10; with
      // 2 and 3 values no interval reaches 95%, and unbounded stays unbounded.
      {{10, 20}, {12, 25, 40}, 10, -INFINITY, INFINITY, 1},
      // 40 values of 35 against 40 of 38 (a small event timed in whole
      // microseconds, 10% slower as recorded, 3.5 us before): every difference is
      // 3, so the recorded interval is the one point [3, 3], which misses 3.5; the
      // values each lost under a unit to recording, and [2, 4] holds it.
      {thirtyFives, thirtyEights, 3, 3, 3, 1},
      // Nothing to compare, or a sum that overflowed: no estimate, no bounds.
      {{}, {1, 2}, NAN, -INFINITY, INFINITY, 1},
      {{1, 2, 3, 4, 5}, {4, 5, 6, INFINITY, 9}, NAN, -INFINITY, INFINITY, 1},
      {{-INFINITY, 2, 3, 4, 5}, {4, 5, 6, 7, 9}, NAN, -INFINITY, INFINITY, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.base).substr(0, 40) + " against " +
                 ::testing::PrintToString(c.next).substr(0, 40));
    const ShiftEstimate shift = shiftAt5Percent(c.base, c.next);
    EXPECT_THAT(shift.estimate, ::testing::NanSensitiveDoubleEq(c.estimate));
    EXPECT_EQ(shift.low, c.low);
    EXPECT_EQ(shift.high, c.high);
    const ShiftEstimate widened = widenedForWholeUnits(shift, c.base, c.next);
    EXPECT_EQ(widened.low, c.low - c.unit);
    EXPECT_EQ(widened.high, c.high + c.unit);
  }
}

// Every difference, sorted: what the selection must agree with.
std::vector<double> allDifferences(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> all;
  for (const double x : a) {
    for (const double y : b) all.push_back(y - x);
  }
  std::sort(all.begin(), all.end());
  return all;
}

std::vector<double> sortedSample(std::mt19937& random, std::size_t size, int spread, double scale) {
  std::uniform_int_distribution<int> value(0, spread);
  std::vector<double> sample;
  for (std::size_t i = 0; i < size; ++i) sample.push_back(value(random) * scale);
  std::sort(sample.begin(), sample.end());
  return sample;
}

TEST(PairwiseDifferences, EveryRankAgreesWithSortingAllPairs) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> size(1, 25);
  for (int round = 0; round < 303; ++round) {
    // Narrow spreads tie many values and many differences; 0.1 steps round.
    // The last rounds' 400 and 300 values make 120,000 pairs, far more than are
    // gathered at once, so the pivots narrow the candidates over several rounds.
    const bool large = round >= 300;
    const int spread = round % 3 == 0 ? 3 : round % 3 == 1 ? 20 : 1000;
    const std::vector<double> a = sortedSample(random, large ? 400 : size(random), spread, 0.1);
    const std::vector<double> b = sortedSample(random, large ? 300 : size(random), spread, 0.1);
    const std::vector<double> all = allDifferences(a, b);
    const std::uint64_t n = all.size();
    const PairwiseDifferences differences(a, b);
    ASSERT_EQ(differences.size(), n);
    std::vector<std::uint64_t> ranks = {1, 2, 5000, n / 2, n / 2 + 1, n - 1, n};
    if (!large) {
      ranks.clear();
      for (std::uint64_t k = 1; k <= n; ++k) ranks.push_back(k);
    }
    for (const std::uint64_t k : ranks)
      ASSERT_EQ(differences.kths({k}).front(), all[k - 1]) << "round " << round << ", k " << k;
    for (const double t : {all.front(), all[n / 2], all.back(), all.back() + 1}) {
      const auto above = std::upper_bound(all.begin(), all.end(), t);
      EXPECT_EQ(differences.countAtMost(t), static_cast<std::uint64_t>(above - all.begin()));
      EXPECT_EQ(differences.smallestAbove(t), above == all.end() ? INFINITY : *above);
    }
    // The estimate is the median of all pairs and the interval's ends the k-th
    // from either end, however the samples come.
    std::vector<double> shuffled = b;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    const ShiftEstimate shift = shiftAt5Percent(a, shuffled);
    EXPECT_EQ(shift.estimate, n % 2 == 1 ? all[n / 2] : (all[n / 2 - 1] + all[n / 2]) / 2) << "round " << round;
    if (shift.rank.k > 0) {
      EXPECT_EQ(shift.low, all[shift.rank.k - 1]) << "round " << round;
      EXPECT_EQ(shift.high, all[n - shift.rank.k]) << "round " << round;
    }
  }
  // Every difference equal: the first pivot is the answer.
  const std::vector<double> same(500, 3.0);
  EXPECT_EQ(PairwiseDifferences(same, same).kths({77777}).front(), 0);
}

}  // namespace
}  // namespace vyn::profiling
