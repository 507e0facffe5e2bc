// Count, mean, spread and interpolated percentiles of timing samples, also of
// samples of which many are zeros that are not stored: every figure as of all
// the samples together. Percentile ranks are (n - 1) q / 100.
#include "stats/sample_summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "stats/summary_with_zeros.h"

namespace vyn::profiling {
namespace {

TEST(SampleSummary, FiguresByHand) {
  const double sd8 = std::sqrt(32.0 / 7), sd5 = std::sqrt(22.8);
  const struct {
    std::vector<double> samples;
    std::size_t zeros;
    SampleSummary expected;  // count, total, mean, stddev, cv, min, p50, p90, p99, max
  } cases[] = {
      {{}, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      // n - 1 = 0: no spread rather than a division by zero.
      {{7}, 0, {1, 7, 7, 0, 0, 7, 7, 7, 7, 7}},
      // Squared deviations 1 + 0 + 1 = 2, / (3 - 1); p90 at rank 1.8: 2 + .8.
      {{3, 1, 2}, 0, {3, 6, 2, 1, 0.5, 1, 2, 2.8, 2.98, 3}},
      // Sorted 2 4 4 4 5 5 7 9; squared deviations 9 + 1 + 1 + 1 + 0 + 0 + 4 + 16 = 32;
      // p50 at rank 3.5: 4.5; p90 at rank 6.3: 7 + .3 x 2; p99 at 6.93: 7 + .93 x 2.
      {{9, 2, 5, 4, 4, 7, 4, 5}, 0, {8, 40, 5, sd8, sd8 / 5, 2, 4.5, 7.6, 8.86, 9}},
      // Values near 1e12 differing by 1: squaring the values would leave nothing
      // of the spread; deviations from the mean keep it whole.
      {{1e12 + 3, 1e12 + 1, 1e12 + 2},
       0,
       {3, 3e12 + 6, 1e12 + 2, 1, 1e-12, 1e12 + 1, 1e12 + 2, 1e12 + 2.8, 1e12 + 2.98, 1e12 + 3}},
      // Mean 0: no ratio.
      {{-1, 1}, 0, {2, 0, 0, std::sqrt(2.0), 0, -1, 0, 0.8, 0.98, 1}},
      // -2 0 0 4 10: mean 2.4; squared deviations 19.36 + 5.76 + 5.76 + 2.56 + 57.76
      // = 91.2, / 4 = 22.8; p50 at rank 2: 0; p90 at 3.6: 4 + .6 x 6; p99 at 3.96.
      {{10, -2, 4}, 2, {5, 12, 2.4, sd5, sd5 / 2.4, -2, 0, 7.6, 9.76, 10}},
      // 0 0 0 30: mean 7.5; squared deviations 3 x 56.25 + 506.25 = 675, / 3 = 225;
      // p90 at rank 2.7: .7 x 30; p99 at 2.97: 29.1.
      {{30}, 3, {4, 30, 7.5, 15, 2, 0, 0, 21, 29.1, 30}},
      // Only zeros: cv 0 rather than 0 / 0.
      {{}, 2, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.samples) + " and zeros " + std::to_string(c.zeros));
    std::vector<double> samples = c.samples;
    const SampleSummary s = c.zeros == 0 ? summarize(samples) : summarizeWithZeros(samples, c.zeros);
    EXPECT_EQ(s.count, c.expected.count);
    for (const auto figure :
         {&SampleSummary::total, &SampleSummary::mean, &SampleSummary::stddev, &SampleSummary::cv, &SampleSummary::min,
          &SampleSummary::p50, &SampleSummary::p90, &SampleSummary::p99, &SampleSummary::max}) {
      const double want = c.expected.*figure;
      EXPECT_NEAR(s.*figure, want, 1e-9 * std::max(1.0, std::abs(want)));
    }
  }
}

}  // namespace
}  // namespace vyn::profiling
