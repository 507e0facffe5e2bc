// diff's comparison of samples built here: the verdict at the edges of the
// threshold and the level, and the correction over every row of every graph
// with enough executions. The order of rows is the diff page's test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "stats/diff_compare.h"

namespace vyn::tools {

void PrintTo(Verdict verdict, std::ostream* out) { *out << verdictName(verdict); }

namespace {

using profiling::PValueAdjustment;

RowSamples rowOf(std::string path, std::vector<double> values) {
  std::sort(values.begin(), values.end());  // as gatherSamples leaves them
  return {std::move(path), "us", std::move(values)};
}

// count values from `from` on, one apart.
std::vector<double> run(double from, std::size_t count) {
  std::vector<double> values;
  for (std::size_t i = 0; i < count; ++i) values.push_back(from + static_cast<double>(i));
  return values;
}

GraphSamples graphOf(std::string name, std::vector<double> times, std::vector<RowSamples> events = {}) {
  return {std::move(name), rowOf("", std::move(times)), std::move(events)};
}

const DiffRow& rowNamed(const ProfileDiff& diff, const std::string& graph, const std::string& path) {
  for (const GraphDiff& g : diff.graphs) {
    for (const DiffRow& row : g.rows) {
      if (g.name == graph && row.path == path) return row;
    }
  }
  ADD_FAILURE() << "no row " << path << " in " << graph;
  static const DiffRow none;
  return none;
}

TEST(DiffVerdict, TheThresholdCountsAndTheLevelDoesNot) {
  // One value against 39, every new one above it: exactly 1 of the C(40, 1) = 40
  // arrangements has U = 0, p = 2/40 = 0.05, which is not below 0.05.
  const double pAtLevel = profiling::mannWhitneyU({0}, run(1, 39)).pValue;
  ASSERT_EQ(pAtLevel, 0.05);
  const struct {
    double change, p, threshold;
    Verdict verdict;
  } cases[] = {
      {relativeChange(1.1, 1.155), 0.01, 0.05, Verdict::Slower},  // 0.04999999999999994 after rounding
      {relativeChange(1000, 1049), 0.01, 0.05, Verdict::NoChange},
      {relativeChange(1000, 950), 0.01, 0.05, Verdict::Faster},
      {0.2, pAtLevel, 0.05, Verdict::NoChange},
      {0.2, 0.0499, 0.05, Verdict::Slower},
      {std::nan(""), 0.001, 0.05, Verdict::NoChange},
      {0, 0.001, 0, Verdict::NoChange},
      {relativeChange(0, 5), 0.001, 0.05, Verdict::Slower},  // from a median of 0: +inf
  };
  for (const auto& c : cases) {
    EXPECT_EQ(judge(c.change, c.p, c.threshold), c.verdict) << c.change << " at p " << c.p;
  }
}

TEST(CompareSamples, TheCorrectionTakesEveryRowOfEveryGraphWithEnoughExecutions) {
  // "g1" and "g2": 10 execution times against 10, every new one above every
  // base one (p = 2 / C(20, 10)), medians 1000 and 1050: exactly the 5%
  // threshold. Each has an unchanged event (p = 1). "few": 9 against 9 the
  // same way, p = 2 / C(18, 9) = 4.1e-5, yet too few executions: out of the
  // family. The family is p, p, 1, 1: Holm 4p, then 3p raised to 4p;
  // Benjamini-Hochberg 4p / 1 and 4p / 2, the first lowered to 2p.
  const double p = 2.0 / 184756;  // C(20, 10) = 184756
  const struct {
    PValueAdjustment correction;
    double adjusted;
  } cases[] = {
      {PValueAdjustment::Holm, 4 * p}, {PValueAdjustment::BenjaminiHochberg, 2 * p}, {PValueAdjustment::None, p}};
  for (const auto& c : cases) {
    std::vector<GraphSamples> base = {graphOf("few", run(100, 9))}, next = {graphOf("few", run(500, 9))};
    for (const char* graph : {"g1", "g2"}) {
      base.push_back(graphOf(graph, run(995.5, 10), {rowOf("e", run(5, 10))}));
      next.push_back(graphOf(graph, run(1045.5, 10), {rowOf("e", run(5, 10))}));
    }
    const ProfileDiff diff = compareSamples(base, next, 5, c.correction);
    SCOPED_TRACE(correctionName(c.correction));
    EXPECT_EQ(diff.family, 4u);
    for (const char* graph : {"g1", "g2"}) {
      EXPECT_DOUBLE_EQ(*rowNamed(diff, graph, "").pAdjusted, c.adjusted);
      EXPECT_EQ(rowNamed(diff, graph, "").verdict, Verdict::Slower) << graph;
    }
    EXPECT_EQ(*rowNamed(diff, "g2", "e").pAdjusted, 1.0);
    EXPECT_EQ(rowNamed(diff, "few", "").verdict, Verdict::TooFew);
    EXPECT_FALSE(rowNamed(diff, "few", "").pAdjusted.has_value());
  }
}

}  // namespace
}  // namespace vyn::tools
