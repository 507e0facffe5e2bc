// Execution profiles: the same path met again in later executions, in another
// order or more than once, is one path; its samples are each occurrence's value
// or each execution's sum; kinds are counted by value and raw data only counted.
#include "stats/execution_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace vyn::profiling
