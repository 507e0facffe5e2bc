// The words of a comparison's rows where the sample logs' golden comparison
// never goes: changes that round to zero or have no size, p-values too small
// for a double.
#include "analysis/diff_row_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace vyn::tools {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(DiffRowText, ChangesAndPValuesAtTheirEdges) {
  const struct {
    double change;
    const char* text;
  } changes[] = {
      {0.123, "+12.3%"}, {-0.0004, "0.0%"}, {kInf, "+inf"}, {-kInf, "-inf"}, {std::nan(""), "-"},
  };
  for (const auto& c : changes) EXPECT_EQ(changeText(c.change), c.text) << c.change;
  const struct {
    std::optional<double> p;
    const char* text;
  } pValues[] = {{std::nullopt, "-"}, {0.0, "<1e-300"}, {1e-301, "<1e-300"}, {0.01234, "0.0123"}};
  for (const auto& c : pValues) EXPECT_EQ(pValueText(c.p), c.text);
}

}  // namespace
}  // namespace vyn::tools
