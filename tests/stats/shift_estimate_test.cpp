// The Hodges-Lehmann shift and its interval worked by hand on small samples;
// the selection of the k-th pairwise difference against sorting all of them.
#include "stats/shift_estimate.h"

#include <gtest/gtest.h>

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
      {8, 2, 1, true},
      // One value against 39: P(U <= 0) = 1/40 = 0.025 is not below 0.025, so
      // no pair of differences bounds the shift.
      {1, 39, 0, true},
      {2, 3, 0, true},  // P(U <= 0) = 1/10
      // C(8, 4) = 70: P(U <= 0) = 1/70, P(U <= 1) = 2/70 = 0.029.
      {4, 4, 1, true},
      // C(10, 5) = 252, U = 0..3 in 1, 1, 2, 3 arrangements: P(U <= 2) = 4/252 =
      // 0.016, P(U <= 3) = 7/252 = 0.028.
      {5, 5, 3, true},
      // The tables' two-sided 5% critical values of U: 23 for 10 and 10, 127 for
      // 20 and 20.
      {10, 10, 24, true},
      {20, 20, 128, true},
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
  EXPECT_EQ(shiftIntervalRank(0, 5, 0.05).k, 0u);
}

TEST(ShiftEstimate, HodgesLehmannAndIntervalByHand) {
  // next - base over the 25 pairs of {1..5} and {4 5 6 7 9}: -1; 0 x2; 1 x3;
  // 2 x4; 3 x4; 4 x4; 5 x3; 6 x2; 7; 8. The 13th is 3; k = 3 for 5 and 5: the
  // 3rd smallest 0 and the 3rd largest 6.
  ShiftEstimate shift = estimateShift({1, 2, 3, 4, 5}, {4, 5, 6, 7, 9}, 0.05);
  EXPECT_EQ(shift.estimate, 3);
  EXPECT_EQ(shift.low, 0);
  EXPECT_EQ(shift.high, 6);
  EXPECT_EQ(shift.rank.k, 3u);
  EXPECT_TRUE(shift.rank.exact);

  // 16 pairs of {1 2 3 4} and {3 5 6 8}: -1, 0, 1 1, 2 2 2, 3 3, 4 4 4, 5 5, 6, 7.
  // The 8th and 9th are both 3; k = 1: the extremes.
  shift = estimateShift({4, 3, 2, 1}, {8, 6, 5, 3}, 0.05);  // any order
  EXPECT_EQ(shift.estimate, 3);
  EXPECT_EQ(shift.low, -1);
  EXPECT_EQ(shift.high, 7);

  // {10 20} against {12 25 40}: -8 2 5 15 20 30, median (5 + 15) / 2 = 10; with
  // 2 and 3 values no interval reaches 95%.
  shift = estimateShift({10, 20}, {12, 25, 40}, 0.05);
  EXPECT_EQ(shift.estimate, 10);
  EXPECT_EQ(shift.rank.k, 0u);
  EXPECT_TRUE(std::isinf(shift.low) && shift.low < 0);
  EXPECT_TRUE(std::isinf(shift.high) && shift.high > 0);

  // The sample logs' mobilenet: base 1300 1500, new 1580 1610 1620 1650 1660
  // 1690 1700 1740. Less 1500: 80 110 120 150 160 190 200 240; less 1300: 280
  // 310 320 350 360 390 400 440. The 8th and 9th are 240 and 280, median 260;
  // k = 1: [80, 440].
  shift = estimateShift({1500, 1300}, {1620, 1700, 1580, 1660, 1740, 1610, 1690, 1650}, 0.05);
  EXPECT_EQ(shift.estimate, 260);
  EXPECT_EQ(shift.low, 80);
  EXPECT_EQ(shift.high, 440);

  // Nothing to compare, or a sum that overflowed: no estimate, no bounds.
  for (const auto& [base, next] : {std::pair<std::vector<double>, std::vector<double>>{{}, {1, 2}},
                                   {{1, 2, 3, 4, 5}, {4, 5, 6, INFINITY, 9}},
                                   {{-INFINITY, 2, 3, 4, 5}, {4, 5, 6, 7, 9}}}) {
    shift = estimateShift(base, next, 0.05);
    EXPECT_TRUE(std::isnan(shift.estimate));
    EXPECT_TRUE(std::isinf(shift.low) && std::isinf(shift.high));
    EXPECT_EQ(shift.rank.k, 0u);
  }
}

// 40 values of 35 against 40 of 38 (a small event timed in whole microseconds,
// 10% slower as recorded, 3.5 us before): every difference is 3, so the
// recorded interval is the one point [3, 3], which misses 3.5; the values each
// lost under a unit to recording, and the interval widened by a unit each side
// holds it. Values that are not whole keep their interval.
TEST(ShiftEstimate, WholeUnitsWidenTheIntervalByTheirResolution) {
  const std::vector<double> base(40, 35);
  const std::vector<double> next(40, 38);
  ShiftEstimate shift = estimateShift(base, next, 0.05);
  EXPECT_EQ(shift.low, 3);
  EXPECT_EQ(shift.high, 3);
  shift = widenedForWholeUnits(shift, base, next);
  EXPECT_EQ(shift.estimate, 3);
  EXPECT_EQ(shift.low, 2);
  EXPECT_EQ(shift.high, 4);

  const std::vector<double> fractional = {1, 2, 3, 4, 5.5};
  shift = widenedForWholeUnits(estimateShift(fractional, {4, 5, 6, 7, 9}, 0.05), fractional, {4, 5, 6, 7, 9});
  EXPECT_EQ(shift.low, 0);
  EXPECT_EQ(shift.high, 6);
  // Unbounded stays unbounded.
  shift = widenedForWholeUnits(estimateShift({10, 20}, {12, 25, 40}, 0.05), {10, 20}, {12, 25, 40});
  EXPECT_TRUE(std::isinf(shift.low) && std::isinf(shift.high));
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
  for (int round = 0; round < 300; ++round) {
    // Narrow spreads tie many values and many differences; 0.1 steps round.
    const int spread = round % 3 == 0 ? 3 : round % 3 == 1 ? 20 : 1000;
    const std::vector<double> a = sortedSample(random, size(random), spread, 0.1);
    const std::vector<double> b = sortedSample(random, size(random), spread, 0.1);
    const std::vector<double> all = allDifferences(a, b);
    const PairwiseDifferences differences(a, b);
    ASSERT_EQ(differences.size(), all.size());
    for (std::size_t k = 1; k <= all.size(); ++k) {
      ASSERT_EQ(differences.kth(k), all[k - 1]) << "round " << round << ", k " << k;
    }
    for (const double t : {all.front(), all[all.size() / 2], all.back(), all.back() + 1}) {
      EXPECT_EQ(differences.countAtMost(t),
                static_cast<std::uint64_t>(std::upper_bound(all.begin(), all.end(), t) - all.begin()));
      EXPECT_EQ(differences.countBelow(t),
                static_cast<std::uint64_t>(std::lower_bound(all.begin(), all.end(), t) - all.begin()));
      const auto above = std::upper_bound(all.begin(), all.end(), t);
      EXPECT_EQ(differences.smallestAbove(t), above == all.end() ? INFINITY : *above);
    }
    // The estimate is the median of all pairs, however the samples come.
    const std::size_t n = all.size();
    const double median = n % 2 == 1 ? all[n / 2] : (all[n / 2 - 1] + all[n / 2]) / 2;
    std::vector<double> shuffled = b;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    EXPECT_EQ(estimateShift(a, shuffled, 0.05).estimate, median) << "round " << round;
  }
}

TEST(PairwiseDifferences, LargeSamplesGoThroughTheSampledRounds) {
  // 400 and 300 values: 120,000 pairs, far more than are gathered at once, so
  // the pivots narrow the candidates over several rounds.
  std::mt19937 random(11);
  for (const int spread : {5, 60, 100000}) {
    const std::vector<double> a = sortedSample(random, 400, spread, 1.0);
    const std::vector<double> b = sortedSample(random, 300, spread, 1.0);
    const std::vector<double> all = allDifferences(a, b);
    const PairwiseDifferences differences(a, b);
    for (const std::uint64_t k : {std::uint64_t{1}, std::uint64_t{2}, std::uint64_t{5000}, std::uint64_t{59999},
                                  std::uint64_t{60000}, std::uint64_t{60001}, std::uint64_t{119999},
                                  std::uint64_t{120000}}) {
      EXPECT_EQ(differences.kth(k), all[k - 1]) << "spread " << spread << ", k " << k;
    }
    const ShiftEstimate shift = estimateShift(a, b, 0.05);
    EXPECT_EQ(shift.estimate, (all[59999] + all[60000]) / 2) << spread;
    EXPECT_FALSE(shift.rank.exact);
    EXPECT_EQ(shift.low, all[shift.rank.k - 1]) << spread;
    EXPECT_EQ(shift.high, all[all.size() - shift.rank.k]) << spread;
  }
  // Every difference equal: the first pivot is the answer.
  const std::vector<double> same(500, 3.0);
  EXPECT_EQ(PairwiseDifferences(same, same).kth(77777), 0);
}

}  // namespace
}  // namespace vyn::profiling
