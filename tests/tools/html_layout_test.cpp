// The geometry behind the report's charts, where an off-by-one would draw a
// wrong picture without failing anything else: envelope columns, histogram
// bins and their marks for sparse bins, icicle clipping, axis ticks and where
// labels go; the order in which graphs are charted; names cut for columns;
// and the escaping every page relies on.
#include <gmock/gmock.h>

#include <cmath>

#include "log/html/axis_ticks.h"
#include "log/html/graph_order.h"
#include "log/html/histogram_bins.h"
#include "log/html/histogram_svg.h"
#include "log/html/html_escape.h"
#include "log/html/html_table.h"
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
  std::vector<double> values;
  for (int i = 0; i < 10; ++i) values.push_back(i % 3 == 0 ? 100.0 + i : 10.0 - i);
  const std::vector<EnvelopeColumn> columns = envelope(values, 4);
  ASSERT_EQ(columns.size(), 4u);
  // Runs of 2, 3, 2, 3 values: [0,2) [2,5) [5,7) [7,10).
  std::size_t expectedFirst = 0;
  for (const EnvelopeColumn& column : columns) {
    EXPECT_EQ(column.first, expectedFirst);
    EXPECT_GT(column.end, column.first);
    expectedFirst = column.end;
  }
  EXPECT_EQ(expectedFirst, values.size());
  EXPECT_EQ(columns[1].first, 2u);
  EXPECT_EQ(columns[1].min, 6.0);    // values 8, 103, 6
  EXPECT_EQ(columns[1].max, 103.0);
  EXPECT_EQ(columns[3].max, 109.0);  // the last value lands in the last column
}

TEST(TimelineEnvelopeTest, FewValuesGetAColumnEachAndNothingGivesNothing) {
  const std::vector<EnvelopeColumn> columns = envelope({5, 7, 6}, 800);
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[2].first, 2u);
  EXPECT_EQ(columns[2].min, 6.0);
  EXPECT_EQ(columns[2].max, 6.0);
  EXPECT_TRUE(envelope({}, 800).empty());
  EXPECT_TRUE(envelope({1, 2}, 0).empty());
  // A hundred thousand executions in 800 columns: 125 each.
  const std::vector<EnvelopeColumn> many = envelope(std::vector<double>(100000, 1.0), 800);
  ASSERT_EQ(many.size(), 800u);
  EXPECT_EQ(many.back().end - many.back().first, 125u);
}

TEST(HistogramBinsTest, ValuesFallInHalfOpenBinsAndTheMaximumInTheLast) {
  const HistogramBins bins = histogramBins({0, 0.999, 1, 2.5, 3.999, 4}, 0, 4, 4);
  EXPECT_EQ(bins.width, 1.0);
  EXPECT_THAT(bins.counts, ElementsAre(2, 1, 1, 2));
  EXPECT_EQ(bins.largest(), 2u);
  EXPECT_EQ(bins.binLow(3), 3.0);
  // Outside the bounds: not counted.
  EXPECT_THAT(histogramBins({-1, 5, 2}, 0, 4, 2).counts, ElementsAre(0, 1));
}

TEST(HistogramBinsTest, EqualBoundsMakeOneBinAndFortyBinsCountEverySample) {
  const HistogramBins same = histogramBins({7, 7, 7}, 7, 7, 40);
  EXPECT_EQ(same.width, 0.0);
  EXPECT_THAT(same.counts, ElementsAre(3));
  std::vector<double> values;
  for (int i = 0; i <= 1000; ++i) values.push_back(1300 + 0.2 * i);
  const HistogramBins forty = histogramBins(values, 1300, 1500, 40);
  ASSERT_EQ(forty.counts.size(), 40u);
  std::uint64_t total = 0;
  for (const std::uint64_t count : forty.counts) total += count;
  EXPECT_EQ(total, values.size());
  EXPECT_TRUE(histogramBins({1}, 0, 1, 0).counts.empty());
}

TEST(IcicleLayoutTest, ChildrenLieUnderTheirParentLeftToRight) {
  // Execution 1000: a (400) with a1 (100), a2 (200); b (300).
  const std::vector<IcicleBox> boxes = icicleLayout(
      {{kIcicleTop, 400}, {0, 100}, {0, 200}, {kIcicleTop, 300}}, 1000);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].depth, 0u);
  EXPECT_DOUBLE_EQ(boxes[0].right, 0.4);
  EXPECT_EQ(boxes[1].depth, 1u);
  EXPECT_DOUBLE_EQ(boxes[1].left, 0.0);
  EXPECT_DOUBLE_EQ(boxes[1].right, 0.1);
  EXPECT_DOUBLE_EQ(boxes[2].left, 0.1);
  EXPECT_DOUBLE_EQ(boxes[2].right, 0.3);
  EXPECT_EQ(boxes[3].node, 3u);
  EXPECT_DOUBLE_EQ(boxes[3].left, 0.4);
  EXPECT_DOUBLE_EQ(boxes[3].right, 0.7);
}

TEST(IcicleLayoutTest, WhatOverflowsItsParentOrTheWholeIsClipped) {
  // a (600) holds a1 (500) and a2 (300): a2 gets the 100 left; b (700) gets the 400 left
  // of the whole; c has no room and its child no parent.
  const std::vector<IcicleBox> boxes = icicleLayout(
      {{kIcicleTop, 600}, {0, 500}, {0, 300}, {kIcicleTop, 700}, {kIcicleTop, 50}, {4, 10}}, 1000);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_DOUBLE_EQ(boxes[2].left, 0.5);
  EXPECT_DOUBLE_EQ(boxes[2].right, 0.6);
  EXPECT_DOUBLE_EQ(boxes[3].left, 0.6);
  EXPECT_DOUBLE_EQ(boxes[3].right, 1.0);
  // A parent after its child, negative and non-finite values, a whole of 0.
  EXPECT_TRUE(icicleLayout({{1, 10}, {kIcicleTop, 10}}, 100).size() == 1);
  EXPECT_TRUE(icicleLayout({{kIcicleTop, -5}, {kIcicleTop, std::nan("")}}, 100).empty());
  EXPECT_TRUE(icicleLayout({{kIcicleTop, 5}}, 0).empty());
}

TEST(AxisTicksTest, RoundStepsAndRangesWidenedToThem) {
  EXPECT_EQ(niceStep(100, 5), 20);
  EXPECT_EQ(niceStep(0.7, 5), 0.1);
  EXPECT_EQ(niceStep(3, 8, true), 1);
  const AxisRange range = niceRange(1300, 1500, 5);
  EXPECT_EQ(range.low, 1300);
  EXPECT_EQ(range.high, 1500);
  EXPECT_THAT(range.ticks, ElementsAre(1300, 1350, 1400, 1450, 1500));
  const AxisRange widened = niceRange(1301, 1497, 4);
  EXPECT_EQ(widened.low, 1300);
  EXPECT_EQ(widened.high, 1500);
  const AxisRange single = niceRange(2500, 2500, 5);
  EXPECT_LT(single.low, 2500);
  EXPECT_GT(single.high, 2500);
  EXPECT_THAT(ticksWithin(1, 2, 8, true).ticks, ElementsAre(1, 2));
  EXPECT_EQ(ticksBetween(0, 0.3, 0.1).size(), 4u);
}

TEST(HtmlEscapeTest, MarkupQuotesAndControlCharactersBecomeText) {
  EXPECT_EQ(escaped("<script>alert(1)</script>"), "&lt;script&gt;alert(1)&lt;/script&gt;");
  EXPECT_EQ(escaped("\"onload=alert(1) 'x' & y"), "&quot;onload=alert(1) &#39;x&#39; &amp; y");
  EXPECT_EQ(escaped(std::string("a\0b\x1b\tc", 6)), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\tc");
  EXPECT_EQ(escaped("Layer conv1 / \xC3\xA9t\xC3\xA9"), "Layer conv1 / \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(escaped("cut \xE2\x82 and \xFF, csi \xC2\x9B, nbsp \xC2\xA0"),
            "cut \xEF\xBF\xBD and \xEF\xBF\xBD, csi \xEF\xBF\xBD, nbsp \xC2\xA0");
}

TEST(SvgNumberTest, OneDecimalWithoutTrailingZeroOrNegativeZero) {
  EXPECT_EQ(svgNumber(12.345), "12.3");
  EXPECT_EQ(svgNumber(40.0), "40");
  EXPECT_EQ(svgNumber(-0.04), "0");
  EXPECT_EQ(svgNumber(-2.56), "-2.6");
  EXPECT_EQ(svgNumber(std::nan("")), "0");
}

TEST(GraphOrderTest, LargestTotalFirstTiesInTheirOrderAndNotANumberLast) {
  EXPECT_THAT(largestFirst({5, 9, 5, 1, 9}), ElementsAre(1, 4, 0, 2, 3));
  EXPECT_THAT(largestFirst({std::nan(""), 2, 0}), ElementsAre(1, 2, 0));
  EXPECT_TRUE(largestFirst({}).empty());
}

TEST(GraphOrderTest, TheNoteSaysHowManyGraphsHaveNoChartsAndWhy) {
  EXPECT_EQ(chartLimitNote(100, "in the table"), "");
  EXPECT_EQ(chartLimitNote(101, "in the table"),
            "Charts for the 100 graphs with the largest total execution time; 1 more is in the table.");
  EXPECT_EQ(chartLimitNote(2000, "in the table"),
            "Charts for the 100 graphs with the largest total execution time; 1,900 more are in the table.");
}

TEST(LabelFitTest, WidthsByCharacterAndCentresKeptInside) {
  EXPECT_DOUBLE_EQ(labelWidth("1400"), 28);
  EXPECT_DOUBLE_EQ(labelWidth("1.5"), 17.5);         // a point is half a digit
  EXPECT_DOUBLE_EQ(labelWidth("p50", true), 23.1);
  EXPECT_DOUBLE_EQ(labelWidth("\xC3\xA9t\xC3\xA9"), 21);  // three characters in five bytes
  const struct {
    double at, width, low, high, centre;
  } cases[] = {
      {450, 28, 0, 900, 450},   // room either side: stays
      {888, 28, 0, 900, 886},   // the icicle's last tick: moved in to end at the edge
      {5, 28, 0, 900, 14},      // near the left edge
      {10, 100, 0, 50, 25},     // wider than the room: the middle
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(centredWithin(c.at, c.width, c.low, c.high), c.centre) << c.at;
  // "140000": 42 px, 21 + 42 + 8 = 71, below the smallest margin; nine digits: 21 + 63 + 8.
  EXPECT_DOUBLE_EQ(leftMarginFor({0, 20000, 140000}), 72);
  EXPECT_DOUBLE_EQ(leftMarginFor({0, 100000000}), 92);
}

TEST(MarkerLabelsTest, VerticalLabelsStayRightOfTheAxisAndOffEachOther) {
  ChartFrame frame;  // 1140 wide, the plot from 72 to 1010
  frame.top = kMarkerLabelBand;
  // "p50 1400 us": 23.1 + 3.5 + 28 + 3.5 + 14 = 72.1 px.
  const Marker p50{"p50", "#E69F00", 500, "1400 us"};
  const Marker p99{"p99", "#D55E00", 700, "1498 us"};
  EXPECT_DOUBLE_EQ(markerLabelWidth(p50), 72.1);
  const auto [lower, upper] = verticalLabelSpots(frame, p50, p99);
  EXPECT_DOUBLE_EQ(lower.x, 500 - 4 - 72.1);  // left of its line
  EXPECT_DOUBLE_EQ(upper.x, 704);             // right of its own
  EXPECT_DOUBLE_EQ(lower.y, 27);              // both on the row next to the plot
  EXPECT_DOUBLE_EQ(upper.y, 27);

  // The median next to the y axis: its label turns right of its line, and the
  // 99th percentile's, which it would overlap, goes a row up.
  const auto [nearAxis, pushed] = verticalLabelSpots(frame, {"p50", "#E69F00", 80, "1400 us"},
                                                     {"p99", "#D55E00", 100, "1498 us"});
  EXPECT_DOUBLE_EQ(nearAxis.x, 84);
  EXPECT_GE(nearAxis.x, frame.plotLeft());
  EXPECT_DOUBLE_EQ(pushed.x, 104);
  EXPECT_DOUBLE_EQ(pushed.y, 13);

  // The 99th percentile near the chart's right edge: its label turns left of its line.
  // "p99 99999 us": 23.1 + 3.5 + 35 + 3.5 + 14 = 79.1 px; 1104 + 79.1 passes 1138.
  const auto [left, turned] = verticalLabelSpots(frame, {"p50", "#E69F00", 300, "1400 us"},
                                                 {"p99", "#D55E00", 1100, "99999 us"});
  EXPECT_DOUBLE_EQ(turned.x, 1100 - 4 - 79.1);
  EXPECT_DOUBLE_EQ(turned.y, 27);
}

TEST(MarkerLabelsTest, HorizontalLabelsStayClearOfTheXAxisLabelsAndInsideTheChart) {
  ChartFrame frame;  // 280 high, the plot from 14 to 234
  // Both lines at the foot of the plot: a row apart (243 and 230), then both up
  // until the lower one's baseline is 4 px under the plot.
  const auto [lower, upper] = horizontalLabelSpots(frame, {"p50", "#E69F00", 233, "1 us"},
                                                   {"p99", "#D55E00", 232, "2 us"});
  EXPECT_DOUBLE_EQ(lower.x, 1016);
  EXPECT_DOUBLE_EQ(lower.y, 238);
  EXPECT_DOUBLE_EQ(upper.y, 225);
  // Both at the top of a chart with a thin margin: down until the upper one is inside.
  frame.top = 4;
  const auto [low, high] = horizontalLabelSpots(frame, {"p50", "#E69F00", 5, "1 us"},
                                                {"p99", "#D55E00", 4, "2 us"});
  EXPECT_DOUBLE_EQ(high.y, 11);
  EXPECT_DOUBLE_EQ(low.y, 24);
  // Far apart: level with their lines.
  frame.top = 14;
  const auto [apartLow, apartHigh] = horizontalLabelSpots(frame, {"p50", "#E69F00", 200, "1 us"},
                                                          {"p99", "#D55E00", 50, "2 us"});
  EXPECT_DOUBLE_EQ(apartLow.y, 204);
  EXPECT_DOUBLE_EQ(apartHigh.y, 54);
}

TEST(HistogramSvgTest, BinsTooSparseToShowGetAMarkAndTheChartSaysWhy) {
  // 999 executions of 1400 us and one of 140000 us, in 40 bins of 3465 us; the
  // count axis goes to 1000 over 168 px, so one execution would be 0.17 px high.
  std::vector<double> times(999, 1400);
  times.push_back(140000);
  HistogramInput input;
  input.bins = histogramBins(times, 1400, 140000, kHistogramBins);
  input.colour = "#0072B2";
  const std::string outlier = histogramSvg(input);
  EXPECT_EQ(occurrences(outlier, "<path class=\"rare\""), 1u);
  EXPECT_THAT(outlier, HasSubstr("<title>136535 to 140000 us: 1 execution</title></path>"));
  EXPECT_THAT(outlier, HasSubstr("<g class=\"rare-marks\" fill=\"#0072B2\">"));
  EXPECT_THAT(outlier, HasSubstr("too few</text>"));
  // The sparse bin's bar is drawn kShortestVisibleBar high, from the plot's foot at 194.
  EXPECT_THAT(outlier, HasSubstr("y=\"191\""));
  EXPECT_THAT(outlier, HasSubstr("height=\"3\"><title>136535 to 140000 us: 1 execution</title></rect>"));

  // Bins of 10 and 20 beside one of 999: 1.7 px, marked; 3.4 px, not.
  HistogramBins bins;
  bins.low = 0;
  bins.width = 1;
  bins.counts = {999, 10, 20, 0};
  input.bins = bins;
  const std::string mixed = histogramSvg(input);
  EXPECT_EQ(occurrences(mixed, "<path class=\"rare\""), 1u);
  EXPECT_THAT(mixed, HasSubstr("<title>1 to 2 us: 10 executions</title></path>"));

  // No sparse bin: no marks and no note.
  bins.counts = {5, 3, 1, 0};
  input.bins = bins;
  const std::string even = histogramSvg(input);
  EXPECT_THAT(even, Not(HasSubstr("rare")));
  EXPECT_THAT(even, Not(HasSubstr("too few")));
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
  const std::string svg = icicleSvg(input);
  EXPECT_THAT(svg, HasSubstr("<text x=\"1126\" y=\"69\" text-anchor=\"middle\">1400</text>"));
  EXPECT_THAT(svg, HasSubstr("<text x=\"12\" y=\"69\" text-anchor=\"middle\">0</text>"));
  EXPECT_THAT(svg, HasSubstr("<text x=\"330.9\" y=\"69\" text-anchor=\"middle\">400</text>"));
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

TEST(HtmlTableTest, NamesAreCutWithTheWholeNameOnHoverAndEscaped) {
  std::string row;
  appendRow(row, {HtmlCell::name("<b>graph\"", "#graph-1"), HtmlCell::name("yolo"), "12"});
  EXPECT_EQ(row,
            "<tr><td><span class=\"fit\"><a href=\"#graph-1\"><span class=\"cut\" title=\"&lt;b&gt;graph&quot;\">"
            "&lt;b&gt;graph&quot;</span></a></span></td><td><span class=\"fit\"><span class=\"cut\" title=\"yolo\">"
            "yolo</span></span></td><td>12</td></tr>\n");
  // A path shows its names shortened to 32 characters (the long one to 22), each
  // in a box of its own, the whole path in the title.
  const std::string path = "Layer " + std::string(60, 'a') + " / Compute";
  row.clear();
  appendRow(row, {HtmlCell::path(path)});
  EXPECT_EQ(row, "<tr><td><span class=\"fit\"><span class=\"cut path\" title=\"" + path + "\"><span>Layer " +
                     std::string(15, 'a') + "\xE2\x80\xA6</span><span class=\"sep\"> / </span><span>Compute</span>"
                     "</span></span></td></tr>\n");
  row.clear();
  appendRow(row, {HtmlCell::path("<b> / x")});
  EXPECT_EQ(row, "<tr><td><span class=\"fit\"><span class=\"cut path\" title=\"&lt;b&gt; / x\"><span>&lt;b&gt;</span>"
                 "<span class=\"sep\"> / </span><span>x</span></span></span></td></tr>\n");
}

}  // namespace
}  // namespace vyn::tools
