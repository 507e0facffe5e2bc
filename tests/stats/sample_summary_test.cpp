// Count, mean, spread and interpolated percentiles of timing samples.
#include "stats/sample_summary.h"

#include <gtest/gtest.h>

#include <vector>

namespace vyn::profiling {
namespace {

struct Percentiles {
  double min, p50, p90, p99, max;
};

void expectPercentiles(const SampleSummary& s, const Percentiles& p) {
  EXPECT_DOUBLE_EQ(s.min, p.min);
  EXPECT_DOUBLE_EQ(s.p50, p.p50);
  EXPECT_DOUBLE_EQ(s.p90, p.p90);
  EXPECT_DOUBLE_EQ(s.p99, p.p99);
  EXPECT_DOUBLE_EQ(s.max, p.max);
}

TEST(SampleSummary, EmptyAndSingleSamplesHaveNoSpread) {
  std::vector<double> none;
  const SampleSummary empty = summarize(none);
  EXPECT_EQ(empty.count, 0u);
  EXPECT_EQ(empty.total, 0);
  EXPECT_EQ(empty.mean, 0);
  EXPECT_EQ(empty.stddev, 0);
  expectPercentiles(empty, {0, 0, 0, 0, 0});

  std::vector<double> one{7};
  const SampleSummary single = summarize(one);
  EXPECT_EQ(single.count, 1u);
  EXPECT_EQ(single.mean, 7);
  EXPECT_EQ(single.stddev, 0);  // n - 1 = 0: no spread rather than a division by zero
  EXPECT_EQ(single.cv, 0);
  expectPercentiles(single, {7, 7, 7, 7, 7});

  std::vector<double> equal{5, 5, 5, 5};
  const SampleSummary flat = summarize(equal);
  EXPECT_EQ(flat.stddev, 0);  // every deviation is exactly 0
  expectPercentiles(flat, {5, 5, 5, 5, 5});
}

TEST(SampleSummary, OddCountSortsAndInterpolates) {
  std::vector<double> samples{3, 1, 2};
  const SampleSummary s = summarize(samples);
  EXPECT_EQ(samples, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(s.count, 3u);
  EXPECT_DOUBLE_EQ(s.total, 6);
  EXPECT_DOUBLE_EQ(s.mean, 2);
  EXPECT_DOUBLE_EQ(s.stddev, 1);  // squared deviations 1 + 0 + 1 = 2, / (3 - 1)
  EXPECT_DOUBLE_EQ(s.cv, 0.5);
  // Ranks (n - 1) q / 100: p50 2 exactly; p90 1.8 -> 2 + .8; p99 1.98 -> 2 + .98.
  expectPercentiles(s, {1, 2, 2.8, 2.98, 3});
}

TEST(SampleSummary, EvenCountWithTies) {
  std::vector<double> samples{9, 2, 5, 4, 4, 7, 4, 5};  // sorted 2 4 4 4 5 5 7 9
  const SampleSummary s = summarize(samples);
  EXPECT_DOUBLE_EQ(s.total, 40);
  EXPECT_DOUBLE_EQ(s.mean, 5);
  // Squared deviations 9 + 1 + 1 + 1 + 0 + 0 + 4 + 16 = 32; sqrt(32 / 7) = 2.13809.
  EXPECT_NEAR(s.stddev, 2.1380899353, 1e-9);
  EXPECT_NEAR(s.cv, 2.1380899353 / 5, 1e-9);
  // p50 rank 3.5: between x[3] = 4 and x[4] = 5 -> 4.5; p90 rank 6.3: 7 + .3 * 2 = 7.6;
  // p99 rank 6.93: 7 + .93 * 2 = 8.86.
  expectPercentiles(s, {2, 4.5, 7.6, 8.86, 9});
}

TEST(SampleSummary, LargeValuesKeepSmallDifferences) {
  // Microsecond timestamps near 1e12 differing by 1: squaring the values would
  // leave nothing of the spread, deviations from the mean keep it whole.
  std::vector<double> samples{1e12 + 3, 1e12 + 1, 1e12 + 2};
  const SampleSummary s = summarize(samples);
  EXPECT_EQ(s.mean, 1e12 + 2);
  EXPECT_NEAR(s.stddev, 1, 1e-9);  // deviations -1, 0, 1: 2 / (3 - 1)
  EXPECT_EQ(s.p50, 1e12 + 2);

  std::vector<double> aroundZero{-1, 1};
  const SampleSummary centred = summarize(aroundZero);
  EXPECT_EQ(centred.mean, 0);
  EXPECT_EQ(centred.cv, 0);                              // mean 0: no ratio
  EXPECT_DOUBLE_EQ(centred.stddev, 1.4142135623730951);  // (1 + 1) / 1 -> sqrt 2
}

}  // namespace
}  // namespace vyn::profiling
