// The words and figures of a comparison's rows: changes in percent with their
// sign, shifts with their interval, p-values that never read as 0, and the
// unit each row is written in.
#include "analysis/diff_row_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace vyn::tools {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(DiffRowText, ChangesCarryTheirSignAndRoundingToZeroReadsAsZero) {
  const struct {
    double change;
    const char* text;
  } cases[] = {
      {0.123, "+12.3%"}, {-0.04, "-4.0%"}, {0.0, "0.0%"}, {0.0004, "0.0%"}, {-0.0004, "0.0%"},
      {kInf, "+inf"},    {-kInf, "-inf"},  {kNaN, "-"},   {2.5, "+250.0%"}, {-1.0, "-100.0%"},
  };
  for (const auto& c : cases) EXPECT_EQ(changeText(c.change), c.text) << c.change;
}

TEST(DiffRowText, PValuesTooSmallForADoubleAreNeverZero) {
  const struct {
    std::optional<double> p;
    const char* text;
  } cases[] = {
      {std::nullopt, "-"}, {0.0, "<1e-300"}, {1e-301, "<1e-300"}, {0.5, "0.5"}, {0.01234, "0.0123"}, {1.0, "1"},
  };
  for (const auto& c : cases) EXPECT_EQ(pValueText(c.p), c.text);
}

// A base median of 200: a shift of +10 is +5.0%, an interval [-2, +30] is
// [-1.0%, +15.0%]; k of 0 leaves it unbounded.
TEST(DiffRowText, ShiftsAreInPercentOfTheBaseMedian) {
  DiffRow row;
  row.base = SideFigures{20, 200, 200, 250, 4000};
  row.next = SideFigures{20, 210, 210, 260, 4200};
  EXPECT_EQ(shiftText(row), "-");  // no shift estimated
  profiling::ShiftEstimate shift;
  shift.estimate = 10;
  shift.low = -2;
  shift.high = 30;
  shift.rank.k = 3;
  row.shift = shift;
  EXPECT_EQ(shiftText(row), "+5.0% [-1.0%, +15.0%]");
  row.shift->rank.k = 0;
  EXPECT_EQ(shiftText(row), "+5.0% [unbounded]");
  row.base.reset();
  EXPECT_EQ(shiftText(row), "-");  // a row of one log
}

TEST(DiffRowText, TimeRowsTakeTheChosenUnitOtherRowsKeepTheirs) {
  DiffRow execution;
  execution.execution = true;
  DiffRow timed;
  timed.unit = "us";
  DiffRow cycles;
  cycles.unit = "cycles";
  EXPECT_EQ(rowUnitName(execution, TimeUnit::Milli), "ms");
  EXPECT_EQ(rowUnitName(timed, TimeUnit::Seconds), "s");
  EXPECT_EQ(rowUnitName(cycles, TimeUnit::Milli), "cycles");
  EXPECT_DOUBLE_EQ(inRowUnit(timed, 2500, TimeUnit::Milli), 2.5);
  EXPECT_DOUBLE_EQ(inRowUnit(cycles, 2500, TimeUnit::Milli), 2500);
}

}  // namespace
}  // namespace vyn::tools
