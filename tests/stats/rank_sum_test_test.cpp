// The two-sided rank-sum test: U from average ranks, p exact for small untied
// samples and from the tie-corrected normal approximation otherwise.
#include "stats/rank_sum_test.h"

#include <gtest/gtest.h>

#include <vector>

namespace vyn::profiling {
namespace {

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
      // One value each: either order has one arrangement in two at or below, p 1.
      {{1}, {2}, 0, 1, true},
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

}  // namespace
}  // namespace vyn::profiling
