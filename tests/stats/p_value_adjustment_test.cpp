// Adjusted p-values worked step by step: Holm's step-down and Benjamini-
// Hochberg, with their caps at 1, the order they keep, and ties.
#include "stats/p_value_adjustment.h"

#include <gmock/gmock.h>

#include <vector>

namespace vyn::profiling {
namespace {

using ::testing::DoubleEq;
using ::testing::ElementsAre;
using ::testing::Pointwise;

MATCHER(NearlyEqual, "") { return ::testing::Matches(DoubleEq(std::get<1>(arg)))(std::get<0>(arg)); }

struct Case {
  const char* what;
  std::vector<double> p;
  std::vector<double> holm;
  std::vector<double> bh;
};

TEST(PValueAdjustment, HolmAndBenjaminiHochbergByHand) {
  const Case cases[] = {
      // Sorted 0.005 0.01 0.03 0.04 (m = 4). Holm: 4 x 0.005 = 0.02, 3 x 0.01 = 0.03,
      // 2 x 0.03 = 0.06, 1 x 0.04 = 0.04 raised to 0.06 so as not to fall below a
      // smaller p's. BH: 4/1 x 0.005 = 0.02, 4/2 x 0.01 = 0.02, 4/3 x 0.03 = 0.04,
      // 4/4 x 0.04 = 0.04; the smallest from the top down changes none.
      {"order kept by raising", {0.01, 0.04, 0.03, 0.005}, {0.03, 0.06, 0.06, 0.02}, {0.02, 0.04, 0.04, 0.02}},
      // Sorted 0.01 0.02 0.02 0.04. Holm: 0.04, 0.06, 0.04 -> 0.06, 0.04 -> 0.06.
      // BH: 0.04, 0.04, 4/3 x 0.02 = 0.026667, 0.04; from the top: 0.04, 0.026667,
      // then both above it lowered to 0.026667. Tied p-values end equal.
      {"ties", {0.02, 0.01, 0.02, 0.04}, {0.06, 0.04, 0.06, 0.06},
       {0.08 / 3, 0.08 / 3, 0.08 / 3, 0.04}},
      // Holm: 2 x 0.5 = 1, then 0.6 raised to 1. BH: 2 x 0.6 = 1.2 capped at 1,
      // 0.9 x 2 / 2 = 0.9, and the top lowers the first to 0.9.
      {"capped at 1", {0.5, 0.9}, {1, 1}, {0.9, 0.9}},
      // Five p-values with m p(i) / i all 0.05; Holm: 0.05, 0.08, 0.09, 0.08, 0.05,
      // each raised to the largest so far.
      {"evenly spaced", {0.01, 0.02, 0.03, 0.04, 0.05}, {0.05, 0.08, 0.09, 0.09, 0.09},
       {0.05, 0.05, 0.05, 0.05, 0.05}},
      {"one test is its own family", {0.03}, {0.03}, {0.03}},
      {"no tests", {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(holmAdjusted(c.p), Pointwise(NearlyEqual(), c.holm));
    EXPECT_THAT(adjustPValues(c.p, PValueAdjustment::Holm), Pointwise(NearlyEqual(), c.holm));
    EXPECT_THAT(benjaminiHochbergAdjusted(c.p), Pointwise(NearlyEqual(), c.bh));
    EXPECT_THAT(adjustPValues(c.p, PValueAdjustment::BenjaminiHochberg), Pointwise(NearlyEqual(), c.bh));
    EXPECT_EQ(adjustPValues(c.p, PValueAdjustment::None), c.p);
  }
}

TEST(PValueAdjustment, NeverBelowTheRawPAndBenjaminiHochbergNeverAboveHolm) {
  // 40 p-values spread over 0..1 in a scrambled order.
  std::vector<double> p;
  for (int i = 0; i < 40; ++i) p.push_back(static_cast<double>((i * 17) % 40) / 40.0 + 0.001);
  const std::vector<double> holm = holmAdjusted(p);
  const std::vector<double> bh = benjaminiHochbergAdjusted(p);
  for (std::size_t i = 0; i < p.size(); ++i) {
    EXPECT_GE(holm[i], p[i]);
    EXPECT_GE(bh[i], p[i]);
    EXPECT_LE(bh[i], holm[i]);
    EXPECT_LE(holm[i], 1);
    for (std::size_t j = 0; j < p.size(); ++j) {
      if (p[i] < p[j]) {
        EXPECT_LE(holm[i], holm[j]);
        EXPECT_LE(bh[i], bh[j]);
      }
    }
  }
  EXPECT_THAT(holmAdjusted({0.001, 0.001}), ElementsAre(0.002, 0.002));
}

}  // namespace
}  // namespace vyn::profiling
