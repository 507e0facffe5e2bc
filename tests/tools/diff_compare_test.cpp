// diff's comparison of samples built here rather than read from logs: the
// verdict at the edges of the threshold and the level, one slower row being
// enough, rows with too few executions, the correction over every row of every
// graph, the order of graphs and rows, and, over many seeds, how rarely logs of
// one distribution raise an alarm and how surely a planted shift is found.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "log/diff/diff_compare.h"

namespace vyn::tools {
namespace {

using profiling::PValueAdjustment;

RowSamples rowOf(std::string path, std::vector<double> values, std::string_view unit = "us") {
  std::sort(values.begin(), values.end());  // as gatherSamples leaves them
  return {std::move(path), unit, std::move(values)};
}

// count values from `from` on, step apart.
std::vector<double> run(double from, std::size_t count, double step = 1) {
  std::vector<double> values;
  for (std::size_t i = 0; i < count; ++i) values.push_back(from + step * static_cast<double>(i));
  return values;
}

GraphSamples graphOf(std::string name, std::vector<double> times, std::vector<RowSamples> events = {}) {
  GraphSamples graph;
  graph.name = std::move(name);
  graph.execution = rowOf("", std::move(times));
  graph.events = std::move(events);
  return graph;
}

ProfileDiff compare(std::vector<GraphSamples> base, std::vector<GraphSamples> next, double thresholdPercent = 5,
                    PValueAdjustment correction = PValueAdjustment::Holm) {
  return compareSamples(base, next, thresholdPercent, correction);
}

const DiffRow& rowNamed(const ProfileDiff& diff, const std::string& graph, const std::string& path) {
  for (const GraphDiff& g : diff.graphs) {
    if (g.name != graph) continue;
    for (const DiffRow& row : g.rows) {
      if (row.path == path) return row;
    }
  }
  ADD_FAILURE() << "no row " << path << " in " << graph;
  static const DiffRow none;
  return none;
}

// Exact p of n values against n others, all of one side below all of the other.
double separatedP(std::uint64_t n) {
  double arrangements = 1;  // C(2n, n)
  for (std::uint64_t i = 1; i <= n; ++i) arrangements = arrangements * static_cast<double>(n + i) / static_cast<double>(i);
  return 2 / arrangements;
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
      {relativeChange(1000, 1050), 0.01, 0.05, Verdict::Slower},   // 50 / 1000: exactly at the threshold
      {relativeChange(1.1, 1.155), 0.01, 0.05, Verdict::Slower},   // 0.04999999999999994 after rounding
      {relativeChange(1000, 1049), 0.01, 0.05, Verdict::NoChange},
      {relativeChange(1000, 950), 0.01, 0.05, Verdict::Faster},
      {0.2, pAtLevel, 0.05, Verdict::NoChange},
      {0.2, 0.0499, 0.05, Verdict::Slower},
      {-0.2, pAtLevel, 0.05, Verdict::NoChange},
      {std::nan(""), 0.001, 0.05, Verdict::NoChange},
      {0, 0.001, 0, Verdict::NoChange},
      {relativeChange(0, 5), 0.001, 0.05, Verdict::Slower},  // from a median of 0: +inf
  };
  for (const auto& c : cases) {
    EXPECT_EQ(judge(c.change, c.p, c.threshold), c.verdict) << c.change << " at p " << c.p;
  }
}

TEST(CompareSamples, AMedianChangeExactlyAtTheThresholdIsSlower) {
  // Medians 1000 and 1050, all 21 new values above all 21 base ones.
  for (const auto& [threshold, verdict] : {std::pair{5.0, Verdict::Slower}, std::pair{5.01, Verdict::NoChange}}) {
    const ProfileDiff diff = compare({graphOf("g", run(990, 21))}, {graphOf("g", run(1040, 21))}, threshold);
    const DiffRow& row = diff.graphs.at(0).rows.at(0);
    EXPECT_EQ(row.change, 0.05);
    EXPECT_EQ(row.verdict, verdict) << threshold;
    EXPECT_EQ(diff.counts.slower, verdict == Verdict::Slower ? 1u : 0u);
  }
}

TEST(CompareSamples, OneSlowerRowIsEnough) {
  // Only the execution time slower, or only one event path: one row is slower,
  // and it comes right after the execution time.
  std::vector<RowSamples> same = {rowOf("Layer a", run(100, 20)), rowOf("Layer b", run(50, 20))};
  ProfileDiff diff = compare({graphOf("g", run(1000, 20), same)}, {graphOf("g", run(1300, 20), same)});
  EXPECT_EQ(diff.counts.slower, 1u);
  EXPECT_EQ(diff.counts.noChange, 2u);
  EXPECT_EQ(diff.graphs[0].rows[0].verdict, Verdict::Slower);

  std::vector<RowSamples> slower = {rowOf("Layer a", run(100, 20)), rowOf("Layer b", run(80, 20))};
  diff = compare({graphOf("g", run(1000, 20), same)}, {graphOf("g", run(1000, 20), slower)});
  EXPECT_EQ(diff.counts.slower, 1u);
  EXPECT_EQ(diff.graphs[0].rows[1].path, "Layer b");
  EXPECT_EQ(diff.graphs[0].rows[1].verdict, Verdict::Slower);
}

TEST(CompareSamples, RowsWithTooFewExecutionsAreJudgedByNoneAndAdjustNone) {
  // "few": 9 against 9, all new ones higher: p = 2 / C(18, 9) = 4.1e-5, yet too
  // few. "enough": 10 against 10 the same way, and an unchanged event. The
  // family is the two rows of "enough": Holm doubles the smaller p.
  const ProfileDiff diff =
      compare({graphOf("few", run(100, 9)), graphOf("enough", run(100, 10), {rowOf("e", run(5, 10))})},
              {graphOf("few", run(500, 9)), graphOf("enough", run(500, 10), {rowOf("e", run(5, 10))})});
  EXPECT_EQ(diff.family, 2u);
  const DiffRow& few = rowNamed(diff, "few", "");
  EXPECT_EQ(few.verdict, Verdict::TooFew);
  EXPECT_FALSE(few.pAdjusted.has_value());
  EXPECT_DOUBLE_EQ(few.test->pValue, separatedP(9));
  const DiffRow& enough = rowNamed(diff, "enough", "");
  EXPECT_EQ(enough.verdict, Verdict::Slower);
  EXPECT_DOUBLE_EQ(*enough.pAdjusted, 2 * separatedP(10));
  EXPECT_EQ(diff.counts.tooFew, 1u);
  EXPECT_EQ(diff.counts.slower, 1u);
  EXPECT_EQ(diff.counts.noChange, 1u);
}

TEST(CompareSamples, TheCorrectionTakesEveryRowOfEveryGraph) {
  // Two graphs, each with a changed execution time (p = 2 / C(20, 10)) and an
  // unchanged event (p = 1): four p-values p, p, 1, 1. Holm: 4p, then 3p raised
  // to 4p. Benjamini-Hochberg: 4p / 1 and 4p / 2, the first lowered to 2p.
  const double p = separatedP(10);
  const struct {
    PValueAdjustment correction;
    double adjusted;
  } cases[] = {{PValueAdjustment::Holm, 4 * p}, {PValueAdjustment::BenjaminiHochberg, 2 * p},
               {PValueAdjustment::None, p}};
  for (const auto& c : cases) {
    const ProfileDiff diff = compare(
        {graphOf("g1", run(100, 10), {rowOf("e", run(5, 10))}), graphOf("g2", run(100, 10), {rowOf("e", run(5, 10))})},
        {graphOf("g1", run(200, 10), {rowOf("e", run(5, 10))}), graphOf("g2", run(200, 10), {rowOf("e", run(5, 10))})},
        5, c.correction);
    EXPECT_EQ(diff.family, 4u);
    EXPECT_DOUBLE_EQ(*rowNamed(diff, "g1", "").pAdjusted, c.adjusted) << correctionName(c.correction);
    EXPECT_DOUBLE_EQ(*rowNamed(diff, "g2", "").pAdjusted, c.adjusted) << correctionName(c.correction);
    EXPECT_EQ(*rowNamed(diff, "g2", "e").pAdjusted, 1.0);
  }
}

TEST(CompareSamples, GraphsByTheLargerTotalAndRowsByAdjustedP) {
  // Totals base / new: old 5000 / 100, light 1000 / 3000, heavy 2000 / 2000.
  // By the larger: old, light, heavy; by either log alone the order differs.
  // In "light": "b" separated (smallest p), "c" overlapping by half, "a"
  // unchanged; "few" has 5 executions; "gone" is in the base only.
  const std::vector<RowSamples> baseEvents = {rowOf("a", run(10, 10)), rowOf("b", run(10, 10)),
                                              rowOf("c", run(10, 10)), rowOf("few", run(1, 5)),
                                              rowOf("gone", run(1, 10))};
  const std::vector<RowSamples> newEvents = {rowOf("few", run(100, 5)), rowOf("c", run(15, 10)),
                                             rowOf("b", run(30, 10)), rowOf("a", run(10, 10))};
  const ProfileDiff diff =
      compare({graphOf("heavy", std::vector<double>(10, 200)), graphOf("light", std::vector<double>(10, 100), baseEvents),
               graphOf("old", std::vector<double>(10, 500))},
              {graphOf("light", std::vector<double>(10, 300), newEvents), graphOf("heavy", std::vector<double>(10, 200)),
               graphOf("old", std::vector<double>(10, 10))});
  std::vector<std::string> graphs;
  for (const GraphDiff& graph : diff.graphs) graphs.push_back(graph.name);
  EXPECT_EQ(graphs, (std::vector<std::string>{"old", "light", "heavy"}));
  std::vector<std::string> rows;
  for (const DiffRow& row : diff.graphs[1].rows) rows.push_back(row.execution ? "execution" : row.path);
  EXPECT_EQ(rows, (std::vector<std::string>{"execution", "b", "c", "a", "few", "gone"}));
  EXPECT_EQ(diff.graphs[1].rows[4].verdict, Verdict::TooFew);
  EXPECT_EQ(diff.graphs[1].rows[5].verdict, Verdict::Removed);
}

// 2,000 values a side, wholly apart: the normal approximation's p underflows to
// 0 for both rows, and the larger change comes first, whatever the paths.
TEST(CompareSamples, RowsOfEqualPComeByTheSizeOfTheirChange) {
  const ProfileDiff diff =
      compare({graphOf("g", run(100, 2000), {rowOf("a", run(1000, 2000)), rowOf("z", run(1000, 2000))})},
              {graphOf("g", run(100, 2000), {rowOf("a", run(3000, 2000)), rowOf("z", run(10000, 2000))})});
  ASSERT_EQ(diff.graphs.size(), 1u);
  const std::vector<DiffRow>& rows = diff.graphs[0].rows;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].path, "z");
  EXPECT_EQ(rows[2].path, "a");
  EXPECT_EQ(*rows[1].pAdjusted, 0.0);
  EXPECT_EQ(pValueText(rows[1].pAdjusted), "<1e-300");
  EXPECT_EQ(pValueText(0.0444), "0.0444");
  EXPECT_EQ(pValueText(std::nullopt), "-");
}

TEST(CompareSamples, GraphsThatSkipFirstEmptiedAreListed) {
  // "both" has no executions left in either log, "one" none in the new log, "new"
  // is only in the new log, with none left.
  std::vector<GraphSamples> base = {graphOf("both", {}), graphOf("one", run(1, 10))};
  std::vector<GraphSamples> next = {graphOf("both", {}), graphOf("one", {}), graphOf("new", {})};
  const ProfileDiff diff = compareSamples(base, next, 5, PValueAdjustment::Holm);
  ASSERT_EQ(diff.graphs.size(), 3u);
  EXPECT_EQ(diff.graphs[0].name, "one");
  EXPECT_EQ(diff.graphs[0].status, GraphStatus::Removed);
  EXPECT_TRUE(diff.graphs[0].emptiedBySkipFirst);
  for (const std::size_t at : {1, 2}) {
    EXPECT_EQ(diff.graphs[at].status, GraphStatus::Emptied);
    EXPECT_TRUE(diff.graphs[at].emptiedBySkipFirst);
    EXPECT_TRUE(diff.graphs[at].rows.empty());
  }
  EXPECT_EQ(diff.graphs[1].name, "both");
  EXPECT_EQ(diff.graphs[2].name, "new");
}

// Two logs' samples of 4 graphs with 20 event paths each and 2,000 executions,
// every value drawn from one distribution: whole microseconds, uniform between
// the event bounds for the events and from 1,000 to 3,000 for the execution
// times. A planted shift makes one event path of the new log's graph 2 later.
struct Drawn {
  std::vector<GraphSamples> base;
  std::vector<GraphSamples> next;
};

constexpr std::size_t kExecutions = 2000;

std::vector<GraphSamples> drawLog(std::mt19937& random, int lowest, int highest, double shift) {
  std::uniform_int_distribution<int> event(lowest, highest);
  std::uniform_int_distribution<int> time(1000, 3000);
  std::vector<GraphSamples> graphs;
  for (int g = 0; g < 4; ++g) {
    std::vector<double> times;
    for (std::size_t e = 0; e < kExecutions; ++e) times.push_back(time(random));
    std::vector<RowSamples> events;
    for (int path = 0; path < 20; ++path) {
      std::vector<double> values;
      const double planted = g == 2 && path == 7 ? shift : 0;
      for (std::size_t e = 0; e < kExecutions; ++e) values.push_back(event(random) + planted);
      events.push_back(rowOf("Layer " + std::to_string(path), std::move(values)));
    }
    graphs.push_back(graphOf("graph " + std::to_string(g), std::move(times), std::move(events)));
  }
  return graphs;
}

ProfileDiff compareDrawn(unsigned seed, int lowest, int highest, double shift, PValueAdjustment correction) {
  std::mt19937 random(seed);
  Drawn logs;
  logs.base = drawLog(random, lowest, highest, 0);
  logs.next = drawLog(random, lowest, highest, shift);
  return compareSamples(logs.base, logs.next, 5, correction);
}

TEST(DiffFalseAlarms, LogsOfOneDistributionAreRarelySlower) {
  // 84 rows per comparison, events from 0 to 400 us: their medians wander by a
  // few percent from log to log. Holm's step-down keeps the chance of any row
  // called slower or faster below 5%, so at least 38 of 40 comparisons must find
  // nothing slower. Without the correction about 4 of the 84 rows come out
  // below 0.05 by chance, some of them 5% slower: most comparisons would fail.
  unsigned quiet = 0;
  unsigned quietUncorrected = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    if (compareDrawn(seed, 0, 400, 0, PValueAdjustment::Holm).counts.slower == 0) ++quiet;
    if (seed <= 6 && compareDrawn(seed, 0, 400, 0, PValueAdjustment::None).counts.slower == 0) ++quietUncorrected;
  }
  EXPECT_GE(quiet, 38u);
  EXPECT_LE(quietUncorrected, 3u) << "these samples no longer show what the correction is for";
}

TEST(DiffFalseAlarms, APlantedShiftIsFoundFirstWithinItsInterval) {
  // Events from 150 to 250 us, one path 20 us (10% of its median) later in the
  // new log: it must be found, and be the first row called slower, in every
  // comparison; its 95% interval must hold the 20 us in about 95% of them.
  constexpr double kShift = 20;
  constexpr unsigned kSeeds = 20;
  unsigned covered = 0;
  for (unsigned seed = 1; seed <= kSeeds; ++seed) {
    const ProfileDiff diff = compareDrawn(seed, 150, 250, kShift, PValueAdjustment::Holm);
    const DiffRow* first = nullptr;
    for (const GraphDiff& graph : diff.graphs) {
      for (const DiffRow& row : graph.rows) {
        if (first == nullptr && row.verdict == Verdict::Slower) first = &row;
      }
    }
    ASSERT_NE(first, nullptr) << "seed " << seed;
    EXPECT_EQ(first, &rowNamed(diff, "graph 2", "Layer 7")) << "seed " << seed << ": " << first->path;
    EXPECT_EQ(diff.counts.slower, 1u) << "seed " << seed;
    const profiling::ShiftEstimate& shift = *first->shift;
    if (shift.low <= kShift && kShift <= shift.high) ++covered;
    EXPECT_NEAR(shareOf(shift.estimate, first->base->median), 0.10, 0.02) << "seed " << seed;
  }
  EXPECT_GE(covered, kSeeds - 2);
}

}  // namespace
}  // namespace vyn::tools
