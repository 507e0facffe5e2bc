// The geometry behind the report's charts, where an off-by-one would draw a
// wrong picture without failing anything else: envelope columns, histogram
// bins and their marks for sparse bins, icicle clipping, axis ticks and where
// labels go; the order in which graphs are charted; names cut for columns.
// The escaping of names on the pages: hostile_names_e2e_test.cpp.
#include <gmock/gmock.h>

#include <cmath>

#include "log/html/axis_ticks.h"
#include "log/html/graph_order.h"
#include "log/html/histogram_bins.h"
#include "log/html/histogram_svg.h"
#include "log/html/icicle_layout.h"
#include "log/html/icicle_svg.h"
#include "log/html/label_fit.h"
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
  // Fewer values than columns: a column each; no values or no columns: nothing.
  const std::vector<EnvelopeColumn> few = envelope({5, 7, 6}, 800);
  ASSERT_EQ(few.size(), 3u);
  EXPECT_EQ(few[2].first, 2u);
  EXPECT_EQ(few[2].min, 6.0);
  EXPECT_TRUE(envelope({}, 800).empty());
  EXPECT_TRUE(envelope({1, 2}, 0).empty());
}

TEST(HistogramBinsTest, ValuesFallInHalfOpenBinsTheMaximumInTheLastAndEqualBoundsInOne) {
  const HistogramBins bins = histogramBins({0, 0.999, 1, 2.5, 3.999, 4}, 0, 4, 4);
  EXPECT_EQ(bins.width, 1.0);
  EXPECT_THAT(bins.counts, ElementsAre(2, 1, 1, 2));
  EXPECT_EQ(bins.largest(), 2u);
  EXPECT_EQ(bins.binLow(3), 3.0);
  EXPECT_THAT(histogramBins({-1, 5, 2}, 0, 4, 2).counts, ElementsAre(0, 1));  // outside: not counted
  const HistogramBins same = histogramBins({7, 7, 7}, 7, 7, 40);
  EXPECT_EQ(same.width, 0.0);
  EXPECT_THAT(same.counts, ElementsAre(3));
  EXPECT_TRUE(histogramBins({1}, 0, 1, 0).counts.empty());
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
      // a (400) with a1 (100) and a2 (200); b (300).
      {{{kIcicleTop, 400}, {0, 100}, {0, 200}, {kIcicleTop, 300}},
       1000,
       "0:0:0-400 1:1:0-100 2:1:100-300 3:0:400-700 "},
      // a (600) holds a1 (500) and a2 (300): a2 gets the 100 left; b (700) gets the
      // 400 left of the whole; c has no room and its child no parent.
      {{{kIcicleTop, 600}, {0, 500}, {0, 300}, {kIcicleTop, 700}, {kIcicleTop, 50}, {4, 10}},
       1000,
       "0:0:0-600 1:1:0-500 2:1:500-600 3:0:600-1000 "},
      // A parent after its child, negative and non-finite values, a whole of 0.
      {{{1, 10}, {kIcicleTop, 10}}, 100, "1:0:0-100 "},
      {{{kIcicleTop, -5}, {kIcicleTop, std::nan("")}}, 100, ""},
      {{{kIcicleTop, 5}}, 0, ""},
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
  const AxisRange single = niceRange(2500, 2500, 5);
  EXPECT_LT(single.low, 2500);
  EXPECT_GT(single.high, 2500);
  EXPECT_THAT(ticksWithin(1, 2, 8, true).ticks, ElementsAre(1, 2));
  EXPECT_EQ(ticksBetween(0, 0.3, 0.1).size(), 4u);
}

TEST(SvgNumberTest, OneDecimalWithoutTrailingZeroOrNegativeZero) {
  EXPECT_EQ(svgNumber(12.345), "12.3");
  EXPECT_EQ(svgNumber(40.0), "40");
  EXPECT_EQ(svgNumber(-0.04), "0");
  EXPECT_EQ(svgNumber(-2.56), "-2.6");
  EXPECT_EQ(svgNumber(std::nan("")), "0");
}

TEST(GraphOrderTest, LargestTotalFirstTiesInTheirOrderNotANumberLastAndTheNoteCountsTheRest) {
  EXPECT_THAT(largestFirst({5, 9, 5, 1, 9}), ElementsAre(1, 4, 0, 2, 3));
  EXPECT_THAT(largestFirst({std::nan(""), 2, 0}), ElementsAre(1, 2, 0));
  EXPECT_EQ(chartLimitNote(100, "in the table"), "");
  EXPECT_EQ(chartLimitNote(101, "in the table"),
            "Charts for the 100 graphs with the largest total execution time; 1 more is in the table.");
}

TEST(LabelFitTest, WidthsByCharacterAndCentresKeptInside) {
  EXPECT_DOUBLE_EQ(labelWidth("1400"), 28);
  EXPECT_DOUBLE_EQ(labelWidth("1.5"), 17.5);  // a point is half a digit
  EXPECT_DOUBLE_EQ(labelWidth("p50", true), 23.1);
  EXPECT_DOUBLE_EQ(labelWidth("\xC3\xA9t\xC3\xA9"), 21);  // three characters in five bytes
  const struct {
    double at, width, low, high, centre;
  } cases[] = {
      {450, 28, 0, 900, 450},  // room either side: stays
      {888, 28, 0, 900, 886},  // the icicle's last tick: moved in to end at the edge
      {5, 28, 0, 900, 14},     // near the left edge
      {10, 100, 0, 50, 25},    // wider than the room: the middle
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(centredWithin(c.at, c.width, c.low, c.high), c.centre) << c.at;
  // "140000": 42 px, 21 + 42 + 8 = 71, below the smallest margin; nine digits: 21 + 63 + 8.
  EXPECT_DOUBLE_EQ(leftMarginFor({0, 20000, 140000}), 72);
  EXPECT_DOUBLE_EQ(leftMarginFor({0, 100000000}), 92);
}

TEST(MarkerLabelsTest, VerticalLabelsStayRightOfTheAxisInsideTheChartAndOffEachOther) {
  ChartFrame frame;  // 1140 wide, the plot from 72 to 1010
  frame.top = kMarkerLabelBand;
  // "p50 1400 us": 23.1 + 3.5 + 28 + 3.5 + 14 = 72.1 px; "p99 99999 us": 79.1 px.
  EXPECT_DOUBLE_EQ(markerLabelWidth({"p50", "#E69F00", 500, "1400 us"}), 72.1);
  const struct {
    double p50, p99;
    const char* p99Value;
    double p50X, p99X, p99Y;
  } cases[] = {
      // Apart: the lower label left of its line, the upper right of its own, both
      // on the row next to the plot.
      {500, 700, "1498 us", 500 - 4 - 72.1, 704, 27},
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

TEST(MarkerLabelsTest, HorizontalLabelsStayClearOfTheXAxisLabelsAndInsideTheChart) {
  const struct {
    double top, p50, p99, p50Y, p99Y;
  } cases[] = {
      // 280 high, the plot from 14 to 234. Both lines at its foot: a row apart (243
      // and 230), then both up until the lower baseline is 4 px under the plot.
      {14, 233, 232, 238, 225},
      // Both at the top of a chart with a thin margin: down until the upper one is inside.
      {4, 5, 4, 24, 11},
      {14, 200, 50, 204, 54},  // far apart: level with their lines
  };
  for (const auto& c : cases) {
    ChartFrame frame;
    frame.top = c.top;
    const auto [lower, upper] =
        horizontalLabelSpots(frame, {"p50", "#E69F00", c.p50, "1 us"}, {"p99", "#D55E00", c.p99, "2 us"});
    EXPECT_DOUBLE_EQ(lower.x, 1016) << c.p50;  // right of the plot
    EXPECT_DOUBLE_EQ(lower.y, c.p50Y) << c.p50;
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

TEST(IcicleSvgTest, TheLastTickLabelStaysInsideTheChart) {
  // A mean of 1400 us: ticks 0 to 1400 by 200, the last at the plot's right end,
  // 1128; its label, 28 px, is centred 14 px in from the chart's edge at 1140.
  // One level of events: the chart is 4 + 2 * 20 + 8 + 46 = 98 high, the axis at
  // 52 and its labels' baseline at 69.
  IcicleInput input;
  input.graph = "g";
  input.executionMean = 1400;
  input.executionP99 = 1500;
  input.events.push_back({"Layer conv1", "Layer conv1", kIcicleTop, 390, 400, 390.0 / 1400});
  EXPECT_THAT(icicleSvg(input), HasSubstr("<text x=\"1126\" y=\"69\" text-anchor=\"middle\">1400</text>"));
}

TEST(NameCutTest, LongNamesOfAPathAreCutLongestFirst) {
  const struct {
    std::string path;
    std::size_t budget;
    std::string shortened;
  } cases[] = {
      {"Layer conv1 / Compute", 40, "Layer conv1 / Compute"},
      // 26 + 3 + 7 = 36: the long name is capped at 20, 19 letters and the ellipsis.
      {"abcdefghijklmnopqrstuvwxyz / Compute", 30, "abcdefghijklmnopqrs\xE2\x80\xA6 / Compute"},
      // Two names of 30 in 40: capped at 18 each (18 + 3 + 18 = 39).
      {std::string(30, 'A') + " / " + std::string(30, 'B'), 40,
       std::string(17, 'A') + "\xE2\x80\xA6 / " + std::string(17, 'B') + "\xE2\x80\xA6"},
      // Never below 12 characters a name, whatever the budget.
      {std::string(30, 'A') + " / " + std::string(30, 'B'), 10,
       std::string(11, 'A') + "\xE2\x80\xA6 / " + std::string(11, 'B') + "\xE2\x80\xA6"},
      // Many short names over budget: nothing to cut.
      {"Layer conv1 / Compute / Inner / Deeper", 10, "Layer conv1 / Compute / Inner / Deeper"},
  };
  for (const auto& c : cases) EXPECT_EQ(shortenedPath(c.path, c.budget), c.shortened) << c.path;
  // Characters, not bytes: twenty two-byte letters capped at 15.
  std::string accents;
  for (int i = 0; i < 20; ++i) accents += "\xC3\xA9";
  EXPECT_EQ(shortenedPath(accents, 15), accents.substr(0, 28) + "\xE2\x80\xA6");
}

}  // namespace
}  // namespace vyn::tools
