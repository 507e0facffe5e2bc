// Execution profiles: the same path met again in later executions, in another
// order or more than once, is one path; its samples are each occurrence's value
// or each execution's sum, or both; kinds are counted by the value's text and raw
// data only counted. And what profiles come to: the summary of the sums per
// execution with the executions a path is absent from, and self times.
#include "stats/execution_profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "stats/self_time.h"
#include "stats/summary_with_zeros.h"
#include "support/captured_model.h"

namespace vyn::profiling {
namespace {

using testing::Event;
using testing::Message;

constexpr int kExecute = 1;

// Twelve top-level events "a" to "l", valued 1 to 12 us, in the given order:
// more than a parent's first few sub-paths, so that lookups go past the guess.
Message execution(const std::string& order, std::uint64_t duration) {
  Message message = Message::of(kExecute).named("g").lasting(duration);
  for (char name : order) {
    message.event(Event::named(std::string(1, name)).u64(static_cast<std::uint64_t>(name - 'a' + 1)).withUnit(1));
  }
  return message;
}

struct Profiled {
  testing::CapturedModel log;
  Statistics statistics;
  std::vector<ExecutionProfile> profiles;

  void profile(std::uint64_t skipFirst, PathSamples keep) {
    std::string notices;
    appendStatistics(log.model(), statistics, notices);
    profiles = profileExecutions(log.model(), statistics, skipFirst, keep);
  }
  const PathProfile& path(const std::string& text) const {
    for (std::uint32_t at = 0; at < profiles.at(0).paths.size(); ++at) {
      if (pathText(log.model(), profiles[0], at) == text) return profiles[0].paths[at];
    }
    throw std::runtime_error("no path " + text);
  }
};

TEST(ExecutionProfileTest, PathsMergeAcrossExecutionsWhateverTheirOrder) {
  Profiled run;
  Message first = execution("abcdefghijkl", 100);
  (*first.events)[0].sub(Event::named("units", 5004).u64(3).withUnit(6));
  Message second = execution("lkjihgfedcba", 200);  // reversed, "a" last
  (*second.events)[11].sub(Event::named("units", 5004).u64(1).withUnit(6));
  second.event(Event::named("a").u64(5).withUnit(1));  // "a" again in the same execution
  second.event(Event::named("note").text("warm"));
  second.event(Event::named("blob").data({1, 2, 3}).withUnit(5));
  run.log.add({first, second, execution("abcdefghijkl", 300)});

  run.profile(0, PathSamples::PerExecution);
  const ExecutionProfile& graph = run.profiles.at(0);
  EXPECT_EQ(graph.executionTimes, (std::vector<double>{100, 200, 300}));
  EXPECT_EQ(graph.paths.size(), 15u);  // a..l, a / units, note, blob
  const PathProfile& a = run.path("a");
  EXPECT_EQ(a.executions, 3u);
  EXPECT_EQ(a.occurrences, 4u);
  EXPECT_EQ(a.perExecution, (std::vector<double>{1, 6, 1}));
  EXPECT_TRUE(a.samples.empty());
  EXPECT_EQ(run.path("l").perExecution, (std::vector<double>{12, 12, 12}));

  const PathProfile& units = run.path("a / units");
  EXPECT_EQ(units.depth, 1u);
  EXPECT_EQ(units.values, PathValues::Kinds);
  ASSERT_EQ(units.kinds.size(), 2u);
  EXPECT_EQ(units.kinds[0].text, "ZEL, ZOR");
  EXPECT_EQ(units.kinds[1].text, "ZEL");
  EXPECT_EQ(run.path("note").kinds.at(0).text, "warm");
  EXPECT_EQ(run.path("blob").values, PathValues::None);
  EXPECT_EQ(run.path("blob").occurrences, 1u);
}

TEST(ExecutionProfileTest, SkippedExecutionsLeaveNoTraceAndOccurrencesAreKeptOneByOne) {
  Profiled run;
  Message warmUp = execution("ab", 900);
  warmUp.event(Event::named("warm-up only").u64(7).withUnit(1));
  Message second = execution("ab", 100);
  second.event(Event::named("b").u64(4).withUnit(1));
  run.log.add({warmUp, second});

  run.profile(1, PathSamples::Occurrences);
  const ExecutionProfile& graph = run.profiles.at(0);
  EXPECT_EQ(graph.executionTimes, (std::vector<double>{100}));
  EXPECT_EQ(graph.paths.size(), 2u);
  EXPECT_EQ(run.path("b").samples, (std::vector<double>{2, 4}));
  EXPECT_EQ(run.path("b").executions, 1u);
  EXPECT_TRUE(run.path("b").perExecution.empty());
}

TEST(ExecutionProfileTest, BothBasesAreKeptAndValuesThatReadTheSameAreOne) {
  Profiled run;
  Message first = execution("ab", 100);
  first.event(Event::named("a").u64(3).withUnit(1));  // "a" twice: 1 and 3
  first.event(Event::named("note").text(std::string("warm\0x", 6)));
  (*first.events)[1].sub(Event::named("units", 5004).u64(1).withUnit(6));
  Message second = execution("b", 50);
  (*second.events)[0].sub(Event::named("units", 5004).u64(9).withUnit(6));  // bit 3 names no unit
  second.event(Event::named("note").text(std::string("warm\0y", 6)));
  second.event(Event::named("note").text("cold"));
  second.event(Event::named("note").text("warm"));
  run.log.add({first, second});

  run.profile(0, PathSamples::Both);
  EXPECT_EQ(run.path("a").samples, (std::vector<double>{1, 3}));
  EXPECT_EQ(run.path("a").perExecution, (std::vector<double>{4}));
  EXPECT_EQ(run.path("b").samples, (std::vector<double>{2, 2}));
  EXPECT_EQ(run.path("b").perExecution, (std::vector<double>{2, 2}));
  // Texts are shown up to their first NUL: "warm\0x", "warm\0y" and "warm" read the same.
  const std::vector<DistinctValue>& kinds = run.path("note").kinds;
  ASSERT_EQ(kinds.size(), 2u);
  EXPECT_EQ(kinds[0].text, "warm");
  EXPECT_EQ(kinds[0].count, 3u);
  EXPECT_EQ(kinds[1].text, "cold");
  EXPECT_EQ(kinds[1].count, 1u);
  // Unit sets whose bits differ only in bits that name no unit read the same too.
  const std::vector<DistinctValue>& units = run.path("b / units").kinds;
  ASSERT_EQ(units.size(), 1u);
  EXPECT_EQ(units[0].text, "ZEL");
  EXPECT_EQ(units[0].count, 2u);
}

// Sums per execution stored for the executions a path appears in, and zeros
// for the others: every figure as of all the samples together.
TEST(ExecutionProfileTest, SummaryWithZerosCountsTheZerosItDoesNotHold) {
  struct Case {
    std::vector<double> samples;
    std::size_t zeros;
    SampleSummary expected;
  };
  const std::vector<Case> cases{
      // -2 0 0 4 10: total 12, mean 2.4; squared deviations 19.36 + 5.76 + 5.76 + 2.56
      // + 57.76 = 91.2, / 4 = 22.8; p50 at rank 2: 0; p90 at rank 3.6: 4 + .6 x 6 = 7.6;
      // p99 at rank 3.96: 4 + .96 x 6 = 9.76.
      {{10, -2, 4}, 2, {5, 12, 2.4, std::sqrt(22.8), std::sqrt(22.8) / 2.4, -2, 0, 7.6, 9.76, 10}},
      // 0 0 0 30: mean 7.5; squared deviations 3 x 56.25 + 506.25 = 675, / 3 = 225; p50
      // at rank 1.5: 0; p90 at rank 2.7: .7 x 30 = 21; p99 at rank 2.97: 29.1.
      {{30}, 3, {4, 30, 7.5, 15, 2, 0, 0, 21, 29.1, 30}},
      // Only zeros: no spread, cv 0 rather than 0 / 0.
      {{}, 2, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      // No zeros: as summarize gives it. 1 2 3: sd 1; p90 at rank 1.8: 2.8.
      {{3, 1, 2}, 0, {3, 6, 2, 1, 0.5, 1, 2, 2.8, 2.98, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.samples) + " and zeros " + std::to_string(c.zeros));
    std::vector<double> samples = c.samples;
    const SampleSummary s = summarizeWithZeros(samples, c.zeros);
    EXPECT_EQ(s.count, c.expected.count);
    for (const auto& [got, want] : std::vector<std::pair<double, double>>{
             {s.total, c.expected.total}, {s.mean, c.expected.mean}, {s.stddev, c.expected.stddev},
             {s.cv, c.expected.cv}, {s.min, c.expected.min}, {s.p50, c.expected.p50}, {s.p90, c.expected.p90},
             {s.p99, c.expected.p99}, {s.max, c.expected.max}}) {
      EXPECT_NEAR(got, want, 1e-9);
    }
  }
}

// Self times summed over two executions of 100 and 30 us (130):
//   A 50 | 20 (total 70)
//     B 30 | 10 (total 40)
//       C 45 | - (total 45: longer than B; B's self is 0, not -5, and B is 45 wide)
//     D 5 cycles (not timed: nothing below it is taken off A)
//       E 8 us (timed, under an untimed parent: its own self is its total)
//   F 70 | - (total 70)
// A: 70 - 45 (B's width) = 25. The graph: 130 - 70 (A) - 70 (F) < 0, so 0.
TEST(ExecutionProfileTest, SelfTimeIsTheTotalLessTheTimedSubPathsAndNeverBelowZero) {
  for (const PathSamples keep : {PathSamples::Occurrences, PathSamples::PerExecution, PathSamples::Both}) {
    SCOPED_TRACE(static_cast<int>(keep));
    Profiled run;
    Message first = Message::of(kExecute).named("g").lasting(100);
    Event a = Event::named("A").u64(50).withUnit(1);
    Event b = Event::named("B").u64(30).withUnit(1);
    b.sub(Event::named("C").u64(45).withUnit(1));
    a.sub(b);
    Event d = Event::named("D").u64(5).withUnit(3);
    d.sub(Event::named("E").u64(8).withUnit(1));
    a.sub(d);
    first.event(a);
    first.event(Event::named("F").u64(70).withUnit(1));
    Message second = Message::of(kExecute).named("g").lasting(30);
    Event a2 = Event::named("A").u64(20).withUnit(1);
    a2.sub(Event::named("B").u64(10).withUnit(1));
    second.event(a2);
    run.log.add({first, second});
    run.profile(0, keep);

    const ExecutionProfile& graph = run.profiles.at(0);
    const SelfTimes times = selfTimes(graph);
    std::string got;
    for (std::uint32_t at = 0; at < graph.paths.size(); ++at) {
      got += pathText(run.log.model(), graph, at) + (times.timed[at] ? " " : " untimed ") +
             std::to_string(static_cast<int>(times.self[at])) + "\n";
    }
    EXPECT_EQ(got,
              "A 25\n"
              "A / B 0\n"
              "A / B / C 45\n"
              "A / D untimed 0\n"
              "A / D / E 8\n"
              "F 70\n");
    EXPECT_EQ(times.graph, 0);
  }
}

// The graph's own time: what its executions spent outside their timed top-level
// events, each as wide as its timed sub-events when they are wider.
TEST(ExecutionProfileTest, TheGraphKeepsWhatItsTimedEventsDoNotCover) {
  Profiled run;
  Message only = Message::of(kExecute).named("g").lasting(100);
  Event a = Event::named("A").u64(10).withUnit(1);
  a.sub(Event::named("B").u64(25).withUnit(1));  // A is 25 wide
  only.event(a);
  only.event(Event::named("Copy").u64(64).withUnit(2));  // bytes: not taken off
  run.log.add({only});
  run.profile(0, PathSamples::Occurrences);
  EXPECT_EQ(selfTimes(run.profiles.at(0)).graph, 75);  // 100 - 25
}

}  // namespace
}  // namespace vyn::profiling
