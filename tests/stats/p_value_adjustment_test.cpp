// Adjusted p-values worked step by step: Holm's step-down and Benjamini-
// Hochberg, with their caps at 1, the order they keep, and ties.
#include "stats/p_value_adjustment.h"

#include <gmock/gmock.h>

#include <vector>

namespace vyn::profiling {
namespace {

using ::testing::DoubleEq;
using ::testing::Pointwise;

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
      {"one test is its own family", {0.03}, {0.03}, {0.03}},
      {"no tests", {}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(adjustPValues(c.p, PValueAdjustment::Holm), Pointwise(DoubleEq(), c.holm));
    EXPECT_THAT(adjustPValues(c.p, PValueAdjustment::BenjaminiHochberg), Pointwise(DoubleEq(), c.bh));
    EXPECT_EQ(adjustPValues(c.p, PValueAdjustment::None), c.p);
  }
}

}  // namespace
}  // namespace vyn::profiling
