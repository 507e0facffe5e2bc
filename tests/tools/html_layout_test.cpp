// The geometry behind the report's charts, where an off-by-one would draw a
// wrong picture without failing anything else: envelope columns, histogram
// bins and their marks for sparse bins, icicle clipping, axis ticks and where
// labels go; names cut for columns. The order in which graphs are charted:
// report_e2e_test.cpp.
// The escaping of names on the pages: hostile_names_e2e_test.cpp.
#include <gmock/gmock.h>

#include <cmath>

#include "log/html/axis_ticks.h"
#include "log/html/histogram_bins.h"
#include "log/html/histogram_svg.h"
#include "log/html/icicle_layout.h"
#include "log/html/marker_lines.h"
#include "log/html/name_cut.h"
#include "log/html/svg_number.h"
#include "log/html/timeline_envelope.h"

namespace vyn::tools {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

TEST(TimelineEnvelopeTest, ColumnsCoverEveryValueOnceWithTheirExtremes) {
  std::vector<double> values;  // 100 9 8 103 6 5 106 3 2 109
  for (int i = 0; i < 10; ++i) values.push_back(i % 3 == 0 ? 100.0 + i : 10.0 - i);
  const std::vector<EnvelopeColumn> columns = envelope(values, 4);
  ASSERT_EQ(columns.size(), 4u);
  const std::size_t bounds[] = {0, 2, 5, 7, 10};  // runs of 2, 3, 2, 3 values
  for (std::size_t c = 0; c < 4; ++c) {
    EXPECT_EQ(columns[c].first, bounds[c]);
    EXPECT_EQ(columns[c].end, bounds[c + 1]);
  }
  EXPECT_EQ(columns[1].min, 6.0);
  EXPECT_EQ(columns[1].max, 103.0);
  EXPECT_EQ(columns[3].max, 109.0);  // the last value lands in the last column
  EXPECT_TRUE(envelope({}, 800).empty());
}

TEST(HistogramBinsTest, ValuesFallInHalfOpenBinsTheMaximumInTheLastAndEqualBoundsInOne) {
  const HistogramBins bins = histogramBins({0, 0.999, 1, 2.5, 3.999, 4}, 0, 4, 4);
  EXPECT_EQ(bins.width, 1.0);
  EXPECT_THAT(bins.counts, ElementsAre(2, 1, 1, 2));
  EXPECT_EQ(bins.binLow(3), 3.0);
  EXPECT_THAT(histogramBins({-1, 5, 2}, 0, 4, 2).counts, ElementsAre(0, 1));  // outside: not counted
  const HistogramBins same = histogramBins({7, 7, 7}, 7, 7, 40);
  EXPECT_EQ(same.width, 0.0);
  EXPECT_THAT(same.counts, ElementsAre(3));
}

// The boxes as "node:depth:left-right", in thousandths of the whole.
std::string layout(const std::vector<IcicleNode>& nodes, double whole) {
  std::string out;
  for (const IcicleBox& box : icicleLayout(nodes, whole)) {
    out += std::to_string(box.node) + ":" + std::to_string(box.depth) + ":" + svgNumber(box.left * 1000) + "-" +
           svgNumber(box.right * 1000) + " ";
  }
  return out;
}

TEST(IcicleLayoutTest, ChildrenLieUnderTheirParentLeftToRightAndWhatOverflowsIsClipped) {
  const struct {
    std::vector<IcicleNode> nodes;
    double whole;
    std::string boxes;
  } cases[] = {
      // a (600) holds a1 (500) and a2 (300): a2 gets the 100 left; b (700) gets the
      // 400 left of the whole; c has no room and its child no parent.
      {{{kIcicleTop, 600}, {0, 500}, {0, 300}, {kIcicleTop, 700}, {kIcicleTop, 50}, {4, 10}},
       1000,
       "0:0:0-600 1:1:0-500 2:1:500-600 3:0:600-1000 "},
      // A parent after its child; negative and non-finite values.
      {{{1, 10}, {kIcicleTop, 10}}, 100, "1:0:0-100 "},
      {{{kIcicleTop, -5}, {kIcicleTop, std::nan("")}}, 100, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(layout(c.nodes, c.whole), c.boxes);
}

TEST(AxisTicksTest, RoundStepsAndRangesWidenedToThem) {
  EXPECT_EQ(niceStep(100, 5), 20);
  EXPECT_EQ(niceStep(0.7, 5), 0.1);
  EXPECT_EQ(niceStep(3, 8, true), 1);
  EXPECT_THAT(niceRange(1300, 1500, 5).ticks, ElementsAre(1300, 1350, 1400, 1450, 1500));
  const AxisRange widened = niceRange(1301, 1497, 4);
  EXPECT_EQ(widened.low, 1300);
  EXPECT_EQ(widened.high, 1500);
  EXPECT_LT(niceRange(2500, 2500, 5).low, 2500);  // one value: a range around it
  EXPECT_EQ(ticksBetween(0, 0.3, 0.1).size(), 4u);
}

// Where the p50 and p99 labels would collide or leave the chart; the browser
// check shows the ordinary places on real pages.
TEST(MarkerLabelsTest, LabelsStayInsideTheChartClearOfTheAxesAndOffEachOther) {
  ChartFrame frame;  // 1140 wide, the plot from 72 to 1010
  frame.top = kMarkerLabelBand;
  // "p50 1400 us": 23.1 + 3.5 + 28 + 3.5 + 14 = 72.1 px; "p99 99999 us": 79.1 px.
  const struct {
    double p50, p99;
    const char* p99Value;
    double p50X, p99X, p99Y;
  } cases[] = {
      // The median next to the y axis: its label turns right of its line, and the
      // 99th percentile's, which it would overlap, goes a row up.
      {80, 100, "1498 us", 84, 104, 13},
      // The 99th percentile near the right edge: 1104 + 79.1 passes 1138, so its
      // label turns left of its line.
      {300, 1100, "99999 us", 300 - 4 - 72.1, 1100 - 4 - 79.1, 27},
  };
  for (const auto& c : cases) {
    const auto [lower, upper] =
        verticalLabelSpots(frame, {"p50", "#E69F00", c.p50, "1400 us"}, {"p99", "#D55E00", c.p99, c.p99Value});
    EXPECT_DOUBLE_EQ(lower.x, c.p50X) << c.p50;
    EXPECT_DOUBLE_EQ(lower.y, 27) << c.p50;
    EXPECT_DOUBLE_EQ(upper.x, c.p99X) << c.p50;
    EXPECT_DOUBLE_EQ(upper.y, c.p99Y) << c.p50;
  }
}

TEST(HistogramSvgTest, BinsTooSparseToShowGetAMarkAndTheChartSaysWhy) {
  // Bins of 10 and 20 beside one of 999: the count axis goes to 1000 over 168 px,
  // so 10 executions are 1.7 px high, drawn kShortestVisibleBar (3 px) high and
  // marked; 20 are 3.4 px, not marked.
  HistogramInput input;
  input.bins.width = 1;
  input.bins.counts = {999, 10, 20, 0};
  input.colour = "#0072B2";
  const std::string mixed = histogramSvg(input);
  EXPECT_EQ(occurrences(mixed, "<path class=\"rare\""), 1u);
  EXPECT_THAT(mixed, HasSubstr("<title>1 to 2 us: 10 executions</title></path>"));
  EXPECT_THAT(mixed, HasSubstr("height=\"3\"><title>1 to 2 us: 10 executions</title></rect>"));
  EXPECT_THAT(mixed, HasSubstr("too few</text>"));
  // Without a sparse bin: no marks and no note.
  input.bins.counts = {5, 3, 1, 0};
  EXPECT_THAT(histogramSvg(input), Not(HasSubstr("rare")));
}

TEST(NameCutTest, LongNamesOfAPathAreCutLongestFirst) {
  const struct {
    std::string path;
    std::size_t budget;
    std::string shortened;
  } cases[] = {
      // 26 + 3 + 7 = 36: the long name is capped at 20, 19 letters and the ellipsis.
      {"abcdefghijklmnopqrstuvwxyz / Compute", 30, "abcdefghijklmnopqrs\xE2\x80\xA6 / Compute"},
      // Never below 12 characters a name, whatever the budget.
      {std::string(30, 'A') + " / " + std::string(30, 'B'), 10,
       std::string(11, 'A') + "\xE2\x80\xA6 / " + std::string(11, 'B') + "\xE2\x80\xA6"},
  };
  for (const auto& c : cases) EXPECT_EQ(shortenedPath(c.path, c.budget), c.shortened) << c.path;
}

}  // namespace
}  // namespace vyn::tools
