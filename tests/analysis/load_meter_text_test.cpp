// The texts of the load meter: the summary line that --verbose writes and the
// progress line, with their sizes and rates.
#include "analysis/load_meter_text.h"

#include <gtest/gtest.h>

#include <optional>

namespace vyn::tools {
namespace {

TEST(LoadMeterTextTest, SummaryGivesDecimalMegabytesSecondsWholeRateAndExecutions) {
  EXPECT_EQ(loadSummaryLine(337400000, 0.41, 100000), "loaded 337.4 MB in 0.41 s (823 MB/s), 100,000 executions");
  EXPECT_EQ(loadSummaryLine(2048, 0.004, 1), "loaded 0.0 MB in 0.00 s (1 MB/s), 1 execution");
  // A plug-in's reader does not tell how many executions it loaded.
  EXPECT_EQ(loadSummaryLine(5250000000, 3.254, std::nullopt), "loaded 5250.0 MB in 3.25 s (1613 MB/s)");
  // A load too short for the clock has no rate rather than an infinite one.
  EXPECT_EQ(loadSummaryLine(0, 0, 0), "loaded 0.0 MB in 0.00 s (0 MB/s), 0 executions");
}

TEST(LoadMeterTextTest, ProgressLineShowsPercentBarMegabytesAndRate) {
  EXPECT_EQ(progressLine(50000000, 100000000, 1, 10), "loading  50% [#####     ] 50.0/100.0 MB  50 MB/s");
  // A narrow terminal gets the figures without the bar.
  EXPECT_EQ(progressLine(33000000, 100000000, 0.5, 0), "loading  33% 33.0/100.0 MB  66 MB/s");
  // A file that grew while it loaded does not run the bar past its end.
  EXPECT_EQ(progressLine(80000000, 70000000, 1, 4), "loading 100% [####] 80.0/70.0 MB  80 MB/s");
}

// A write knows how many parts of its work it has done, not how large its
// output will be: the percentage is of the parts, the megabytes are written.
TEST(LoadMeterTextTest, WriteProgressLineShowsPercentOfPartsBarMegabytesWrittenAndRate) {
  EXPECT_EQ(writeProgressLine(250, 1000, 141700000, 2, 8), "writing  25% [##      ] 141.7 MB  71 MB/s");
  EXPECT_EQ(writeProgressLine(0, 0, 0, 0, 0), "writing   0% 0.0 MB  0 MB/s");
}

}  // namespace
}  // namespace vyn::tools
