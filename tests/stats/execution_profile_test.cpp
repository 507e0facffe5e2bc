// Execution profiles: the same path met again in later executions, in another
// order or more than once, is one path; its samples are each occurrence's value
// or each execution's sum, or both; kinds are counted by the value's text and raw
// data only counted. And the self times profiles come to.
#include "stats/execution_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stats/self_time.h"
#include "support/captured_model.h"

namespace vyn::profiling {
namespace {

using testing::Event;
using testing::Message;

constexpr int kExecute = 1;
Event us(const std::string& name, std::uint64_t value) { return Event::named(name).u64(value).withUnit(1); }
Event units(std::uint64_t bits) { return Event::named("units", 5004).u64(bits).withUnit(6); }

// An execution of graph g with top-level events named by the letters of order,
// "a" valued 1 us, "b" 2 us and so on.
Message execution(const std::string& order, std::uint64_t duration) {
  Message message = Message::of(kExecute).named("g").lasting(duration);
  for (char name : order) message.event(us(std::string(1, name), static_cast<std::uint64_t>(name - 'a' + 1)));
  return message;
}

struct Profiled {
  testing::CapturedModel log;
  Statistics statistics;
  std::vector<ExecutionProfile> profiles;

  const ExecutionProfile& profile(std::uint64_t skipFirst, PathSamples keep) {
    std::string notices;
    appendStatistics(log.model(), statistics, notices);
    profiles = profileExecutions(log.model(), statistics, skipFirst, keep);
    return profiles.at(0);
  }
  const PathProfile& path(const std::string& text) const {
    for (std::uint32_t at = 0; at < profiles.at(0).paths.size(); ++at) {
      if (pathText(log.model(), profiles[0], at) == text) return profiles[0].paths[at];
    }
    throw std::runtime_error("no path " + text);
  }
};

// Twelve top-level events: more than a parent's first few sub-paths, so that
// lookups go past the guess.
TEST(ExecutionProfileTest, PathsMergeAcrossExecutionsWhateverTheirOrder) {
  Profiled run;
  Message first = execution("abcdefghijkl", 100);
  (*first.events)[0].sub(units(3));
  Message second = execution("lkjihgfedcba", 200);  // reversed, "a" last
  (*second.events)[11].sub(units(1));
  second.event(us("a", 5)).event(Event::named("blob").data({1, 2, 3}).withUnit(5));  // "a" again
  run.log.add({first, second, execution("abcdefghijkl", 300)});

  const ExecutionProfile& graph = run.profile(0, PathSamples::PerExecution);
  EXPECT_EQ(graph.executionTimes, (std::vector<double>{100, 200, 300}));
  EXPECT_EQ(graph.paths.size(), 14u);  // a..l, a / units, blob
  const PathProfile& a = run.path("a");
  EXPECT_EQ(a.executions, 3u);
  EXPECT_EQ(a.occurrences, 4u);
  EXPECT_EQ(a.perExecution, (std::vector<double>{1, 6, 1}));
  EXPECT_TRUE(a.samples.empty());
  EXPECT_EQ(run.path("l").perExecution, (std::vector<double>{12, 12, 12}));
  EXPECT_EQ(run.path("a / units").depth, 1u);
  EXPECT_EQ(run.path("a / units").kinds.size(), 2u);  // 3 and 1: ZEL, ZOR and ZEL
  EXPECT_EQ(run.path("blob").values, PathValues::None);
  EXPECT_EQ(run.path("blob").occurrences, 1u);
}

// Skipped warm-up executions leave no trace.
TEST(ExecutionProfileTest, BothBasesAreKeptAndValuesThatReadTheSameAreOne) {
  Profiled run;
  const Message warmUp = execution("ab", 900).event(us("warm-up only", 7));
  auto note = [](const std::string& text) { return Event::named("note").text(text); };
  Message first = execution("ab", 100).event(us("a", 3)).event(note(std::string("warm\0x", 6)));  // "a": 1 and 3
  (*first.events)[1].sub(units(1));
  Message second = execution("b", 50).event(note(std::string("warm\0y", 6))).event(note("cold")).event(note("warm"));
  (*second.events)[0].sub(units(9));  // bit 3 names no unit
  run.log.add({warmUp, first, second});

  EXPECT_EQ(run.profile(1, PathSamples::Both).executionTimes, (std::vector<double>{100, 50}));
  EXPECT_EQ(run.profiles[0].paths.size(), 4u);  // a, b, b / units, note
  EXPECT_EQ(run.path("a").samples, (std::vector<double>{1, 3}));
  EXPECT_EQ(run.path("a").perExecution, (std::vector<double>{4}));
  EXPECT_EQ(run.path("b").samples, (std::vector<double>{2, 2}));
  EXPECT_EQ(run.path("b").perExecution, (std::vector<double>{2, 2}));
  // Texts are shown up to their first NUL: "warm\0x", "warm\0y" and "warm" read the
  // same; so do unit sets whose bits differ only in bits that name no unit.
  std::string kinds;
  for (const char* path : {"note", "b / units"}) {
    for (const DistinctValue& kind : run.path(path).kinds) {
      kinds += kind.text + " x" + std::to_string(kind.count) + "; ";
    }
  }
  EXPECT_EQ(kinds, "warm x3; cold x1; ZEL x2; ");
}

// Self times summed over two executions of 100 and 30 us (130):
//   A 50 | 20 (total 70)
//     B 30 | 10 (total 40)
//       C 45 | - (total 45: longer than B; B's self is 0, not -5, and B is 45 wide)
//     D 5 cycles (not timed: nothing below it is taken off A)
//       E 8 us (timed, under an untimed parent: its own self is its total)
//   F 70 cycles | - (not timed: not taken off the graph)
//   G 10 | - (total 10, but 25 wide)
//     H 25 | -
// A: 70 - 45 (B's width) = 25. The graph: 130 - 70 (A) - 25 (G) = 35.
TEST(ExecutionProfileTest, SelfTimeIsTheTotalLessTheTimedSubPathsAndNeverBelowZero) {
  for (const PathSamples keep : {PathSamples::Occurrences, PathSamples::PerExecution, PathSamples::Both}) {
    SCOPED_TRACE(static_cast<int>(keep));
    Profiled run;
    const Event cycles = Event::named("D").u64(5).withUnit(3).sub(us("E", 8));
    run.log.add({execution("", 100)
                     .event(us("A", 50).sub(us("B", 30).sub(us("C", 45))).sub(cycles))
                     .event(Event::named("F").u64(70).withUnit(3))
                     .event(us("G", 10).sub(us("H", 25))),
                 execution("", 30).event(us("A", 20).sub(us("B", 10)))});
    const ExecutionProfile& graph = run.profile(0, keep);
    const SelfTimes times = selfTimes(graph);
    std::string got;
    for (std::uint32_t at = 0; at < graph.paths.size(); ++at) {
      got += pathText(run.log.model(), graph, at) + (times.timed[at] ? " " : " untimed ") +
             std::to_string(static_cast<int>(times.self[at])) + "\n";
    }
    EXPECT_EQ(got, "A 25\nA / B 0\nA / B / C 45\nA / D untimed 0\nA / D / E 8\nF untimed 0\nG 0\nG / H 25\n");
    EXPECT_EQ(times.graph, 35);
  }
}

}  // namespace
}  // namespace vyn::profiling
