// The statistics behind a comparison of two logs, worked by hand: the rank-sum
// test, the adjusted p-values, the Hodges-Lehmann shift with its interval; and
// the selection of the k-th pairwise difference against sorting all of them.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "stats/p_value_adjustment.h"
#include "stats/pairwise_differences.h"
#include "stats/rank_sum_test.h"
#include "stats/shift_estimate.h"

namespace vyn::profiling {
namespace {

using ::testing::DoubleEq;
using ::testing::Pointwise;

std::vector<double> run(double from, std::size_t count, double step) {
  std::vector<double> values;
  for (std::size_t i = 0; i < count; ++i) values.push_back(from + step * static_cast<double>(i));
  return values;
}

TEST(RankSumTest, ByHand) {
  const std::size_t n = 100000;
  const struct {
    std::vector<double> a, b;
    double u, p;
    bool exact;
  } cases[] = {
      // Ranks of a 1 2 3: sum 6 - 3 * 4 / 2 = U 0; one arrangement of C(6, 3) = 20
      // has U <= 0, so p = 2 / 20.
      {{1, 2, 3}, {4, 5, 6}, 0, 0.1, true},
      // Ranks 1 3 5: sum 9 - 6 = U 3. Arrangements of 3 + 3 by U = 0..9 number
      // 1 1 2 3 3 3 3 2 1 1; U <= 3 takes 7 of 20, p = 14 / 20. Unsorted samples
      // are sorted before they are merged.
      {{5, 1, 3}, {2, 6, 4}, 3, 0.7, true},
      // Sizes 2 and 3: ranks 1 4, sum 5 - 3 = U 2. Arrangements by U = 0..6 number
      // 1 1 2 2 2 1 1 of C(5, 2) = 10; U <= 2 takes 4, p = 8 / 10.
      {{1, 4}, {2, 3, 5}, 2, 0.8, true},
      // Pooled 1a 2a 2a 2b 3a 3b 4b 5b: ranks 1, 3 3 3, 5.5 5.5, 7, 8. Rank sum of a
      // 1 + 3 + 3 + 5.5 = 12.5, U = 12.5 - 10 = 2.5; mean 16 / 2 = 8. Tie groups of
      // 3 and 2: sum(t^3 - t) = 24 + 6 = 30. Variance 16 / 12 (9 - 30 / 56) = 11.2857,
      // sigma 3.35942; z = (5.5 - 0.5) / 3.35942 = 1.48835, p = 2 (1 - Phi(z)) = 0.13666.
      {{2, 3, 1, 2}, {4, 5, 3, 2}, 2.5, 0.136658, false},
      // All five tied at rank 3: U = 3 * 3 - 6 = 3, the mean; variance
      // 6 / 12 (6 - 120 / 20) = 0: no evidence.
      {{3, 3, 3}, {3, 3}, 3, 1, false},
      {{}, {1, 2}, 0, 1, false},
      // 50 against 50 fully separated is still exact: U 0, p = 2 / C(100, 50),
      // C(100, 50) = 1.00891e29, past what a 64-bit count holds.
      {run(0, 50, 1), run(50, 50, 1), 0, 1.98233e-29, true},
      // 51 against 51: normal. Mean 1300.5, variance 2601 / 12 * 103 = 22325.25,
      // z = 1300 / 149.416 = 8.70052, p = 3.30368e-18.
      {run(0, 51, 1), run(51, 51, 1), 0, 3.30368e-18, false},
      // 100000 evens against 100000 odds: the a value 2i is above i of b, so
      // U = N (N - 1) / 2 = 4999950000, past 32 bits. |U - N^2 / 2| = N / 2;
      // variance N^2 / 12 (2N + 1), z = 49999.5 / 1.29099e7 = 0.0038729, p = 0.99691.
      {run(0, n, 2), run(1, n, 2), 4999950000.0, 0.996910, false},
  };
  for (const auto& c : cases) {
    const RankSumTest forward = mannWhitneyU(c.a, c.b);
    SCOPED_TRACE(::testing::PrintToString(c.a).substr(0, 40));
    EXPECT_EQ(forward.u, c.u);
    EXPECT_NEAR(forward.pValue / c.p, 1, 1e-5);
    EXPECT_EQ(forward.exact, c.exact);
    // Swapping the samples turns U into n1 n2 - U and leaves p as it was.
    const RankSumTest backward = mannWhitneyU(c.b, c.a);
    EXPECT_DOUBLE_EQ(backward.u, static_cast<double>(c.a.size() * c.b.size()) - forward.u);
    EXPECT_DOUBLE_EQ(backward.pValue, forward.pValue);
  }
}

TEST(PValueAdjustment, HolmAndBenjaminiHochbergByHand) {
  const struct {
    const char* what;
    std::vector<double> p, holm, bh;
  } cases[] = {
      // Sorted 0.005 0.01 0.03 0.04 (m = 4). Holm: 4 x 0.005 = 0.02, 3 x 0.01 = 0.03,
      // 2 x 0.03 = 0.06, 1 x 0.04 = 0.04 raised to 0.06 so as not to fall below a
      // smaller p's. BH: 4/1 x 0.005 = 0.02, 4/2 x 0.01 = 0.02, 4/3 x 0.03 = 0.04,
      // 4/4 x 0.04 = 0.04; the smallest from the top down changes none.
      {"order kept by raising", {0.01, 0.04, 0.03, 0.005}, {0.03, 0.06, 0.06, 0.02}, {0.02, 0.04, 0.04, 0.02}},
      // Sorted 0.01 0.02 0.02 0.04. Holm: 0.04, 0.06, 0.04 -> 0.06, 0.04 -> 0.06.
      // BH: 0.04, 0.04, 4/3 x 0.02 = 0.026667, 0.04; from the top: 0.04, 0.026667,
      // then both above it lowered to 0.026667. Tied p-values end equal.
      {"ties", {0.02, 0.01, 0.02, 0.04}, {0.06, 0.04, 0.06, 0.06}, {0.08 / 3, 0.08 / 3, 0.08 / 3, 0.04}},
      // Holm: 2 x 0.5 = 1, then 0.6 raised to 1. BH: 2 x 0.6 = 1.2 capped at 1,
      // 0.9 x 2 / 2 = 0.9, and the top lowers the first to 0.9.
      {"capped at 1", {0.5, 0.9}, {1, 1}, {0.9, 0.9}},
      {"no tests", {}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(adjustPValues(c.p, PValueAdjustment::Holm), Pointwise(DoubleEq(), c.holm));
    EXPECT_THAT(adjustPValues(c.p, PValueAdjustment::BenjaminiHochberg), Pointwise(DoubleEq(), c.bh));
    EXPECT_EQ(adjustPValues(c.p, PValueAdjustment::None), c.p);
  }
}

TEST(ShiftIntervalRank, CriticalValuesOfTheRankSumTest) {
  const struct {
    std::size_t m, n;
    std::uint64_t k;
    bool exact;
  } cases[] = {
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
    // The estimate is the median of all pairs (counted and stepped past for an
    // even count) and the interval's ends the k-th from either end, in any order.
    std::vector<double> base = a, next = b;
    std::shuffle(base.begin(), base.end(), random);
    std::shuffle(next.begin(), next.end(), random);
    const ShiftEstimate shift = shiftAt5Percent(base, next);
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
