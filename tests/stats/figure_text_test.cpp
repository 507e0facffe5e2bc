// Figures as the analysis commands' text shows them.
#include "stats/figure_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vyn::tools {
namespace {

TEST(FigureTextTest, WholeShortOrScientificAndNeverCutShort) {
  const struct {
    double value;
    const char* text;
  } kCases[] = {
      {1234, "1234"},
      {1234.56, "1234.6"},
      {12.3456, "12.3"},
      {0.000123, "0.000123"},
      {-7, "-7"},
      {999999999999999, "999999999999999"},
      // Beyond 15 digits fixed notation would run on for hundreds of digits.
      {1e300, "1e+300"},
      {-2.5e15, "-2.5e+15"},
      {1.7976931348623157e308, "1.79769e+308"},
      {NAN, "-"},
      {INFINITY, "-"},
  };
  for (const auto& c : kCases) EXPECT_EQ(figureText(c.value), c.text) << c.text;
  EXPECT_EQ(percentText(0.1234), "12.3%");
  EXPECT_EQ(percentText(1e20), "1e+22%");
  EXPECT_EQ(percentText(NAN), "-");
}

}  // namespace
}  // namespace vyn::tools
