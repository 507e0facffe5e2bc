// The geometry behind the report's charts, where an off-by-one would draw a
// wrong picture without failing anything else: envelope columns, histogram
// bins, icicle clipping and axis ticks; and the escaping every page relies on.
#include <gmock/gmock.h>

#include "log/html/axis_ticks.h"
#include "log/html/histogram_bins.h"
#include "log/html/html_escape.h"
#include "log/html/icicle_layout.h"
#include "log/html/svg_number.h"
#include "log/html/timeline_envelope.h"

namespace vyn::tools {
namespace {

using ::testing::ElementsAre;

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

}  // namespace
}  // namespace vyn::tools
