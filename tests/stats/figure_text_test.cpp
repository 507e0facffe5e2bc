// Figures and counts as the analysis commands' text shows them.
#include "stats/figure_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace vyn::tools {
namespace {

TEST(FigureTextTest, FiguresWholeShortOrScientificCountsGroupedByThousands) {
  const struct {
    double value;
    const char* text;
  } kCases[] = {
      {1234.56, "1234.6"},
      {12.3456, "12.3"},
      {0.000123, "0.000123"},
      {999999999999999, "999999999999999"},
      // Beyond 15 digits fixed notation would run on for hundreds of digits.
      {1e300, "1e+300"},
      {1.7976931348623157e308, "1.79769e+308"},
      {NAN, "-"},
      {INFINITY, "-"},
  };
  for (const auto& c : kCases) EXPECT_EQ(figureText(c.value), c.text) << c.text;
  EXPECT_EQ(percentText(0.1234), "12.3%");
  EXPECT_EQ(percentText(1e20), "1e+22%");
  EXPECT_EQ(percentText(NAN), "-");
  EXPECT_EQ(countText(999), "999");
  EXPECT_EQ(countText(1234567), "1,234,567");
  EXPECT_EQ(countText(UINT64_MAX), "18,446,744,073,709,551,615");
}

}  // namespace
}  // namespace vyn::tools
