// Figures brought up to date as a log grows: percentiles of samples added in
// batches equal those of summarize over all of them, and figures advanced
// record by record are those of the whole log, also when events come after the
// execution they belong to.
#include "stats/live_figures.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "stats/ordered_samples.h"
#include "stats/sample_summary.h"
#include "support/captured_model.h"

namespace vyn::profiling {
namespace {

using testing::Event;
using testing::Message;

TEST(OrderedSamples, PercentilesEqualThoseOfSummarizeOnRandomBatches) {
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    std::mt19937_64 random(seed);
    // Whole microseconds from a narrow range (many ties), or fractions.
    const auto draw = [&random, seed] {
      return seed % 2 == 1 ? static_cast<double>(random() % 7) : std::uniform_real_distribution<double>(0, 1e6)(random);
    };
    OrderedSamples ordered;
    std::vector<double> all;
    for (int batch = 0; batch < 12; ++batch) {
      // Batches from empty to a few thousand, so that blocks split.
      std::vector<double> samples(random() % 3 == 0 ? 0 : random() % 4000);
      for (double& sample : samples) sample = draw();
      all.insert(all.end(), samples.begin(), samples.end());
      ordered.add(samples);
      std::vector<double> copy = all;
      const SampleSummary summary = summarize(copy);
      const std::string where = "seed " + std::to_string(seed) + " batch " + std::to_string(batch);
      ASSERT_EQ(ordered.size(), all.size()) << where;
      ASSERT_EQ(ordered.percentile(50), summary.p50) << where;
      ASSERT_EQ(ordered.percentile(90), summary.p90) << where;
      ASSERT_EQ(ordered.percentile(99), summary.p99) << where;
    }
  }
}

constexpr int kExecute = 1, kExecuteEvents = 9;
Event us(const std::string& name, std::uint64_t value) { return Event::named(name).u64(value).withUnit(1); }
Event cycles(const std::string& name, std::uint64_t value) { return Event::named(name).u64(value).withUnit(3); }

TEST(LiveFigures, AdvancedRecordByRecordEqualTheWholeLogsProfile) {
  // Records as a runtime writes them: executions with their events, executions
  // whose events follow in a later record, and one run of late events with no
  // execution left to take them.
  const std::vector<std::vector<Message>> records = {
      {Message::of(kExecute).named("g").lasting(100).event(us("conv", 40).sub(cycles("Compute", 9000))),
       Message::of(kExecute).named("h").lasting(5)},
      {Message::of(kExecute).named("g").lasting(120), Message::of(kExecute).named("g").lasting(90)},
      {Message::of(kExecuteEvents).named("g").event(us("conv", 50)).event(us("fc", 30))},
      {Message::of(kExecuteEvents).named("g").event(us("conv", 45).sub(cycles("Compute", 8000)))},
      {Message::of(kExecuteEvents).named("g").event(us("fc", 7)),
       Message::of(kExecute).named("g").lasting(300).event(us("fc", 200))},
      {Message::of(kExecute).named("h").lasting(6).event(us("x", 1))},
  };
  testing::CapturedModel log;
  LiveFigures live;
  std::vector<std::uint64_t> executions;
  std::vector<std::uint64_t> intervalCounts;
  for (const auto& record : records) {
    log.add(record);
    live.advance(log.model());
    const auto figures = live.figures(log.model(), 10);
    executions.push_back(figures.at(0).executions);
    intervalCounts.push_back(figures.at(0).interval.count);
  }
  // The last run of late events found no execution of g without events: it
  // made an untimed one of its own.
  EXPECT_EQ(executions, (std::vector<std::uint64_t>{1, 3, 3, 3, 5, 5}));
  EXPECT_EQ(intervalCounts, (std::vector<std::uint64_t>{1, 2, 0, 0, 2, 0}));

  const auto figures = live.figures(log.model(), 10);
  ASSERT_EQ(figures.size(), 2u);
  const LiveGraphFigures& g = figures[0];
  // g's times: 100, 120, 90, 0 (the late events' own), 300.
  EXPECT_EQ(g.lastUs, 300u);
  EXPECT_EQ(g.p50Us, 100);
  EXPECT_DOUBLE_EQ(g.p99Us, 120 + 0.96 * 180);
  // Microsecond paths first by total, then the cycles.
  std::vector<std::string> order;
  std::map<std::string, double> totals;
  for (const LiveEventTotal& event : g.topEvents) {
    order.push_back(event.path);
    totals[event.path] = event.total;
  }
  EXPECT_EQ(order, (std::vector<std::string>{"fc", "conv", "conv / Compute"}));
  // fc 30 + 7 + 200; conv 40 + 50 + 45; Compute 9000 + 8000.
  EXPECT_EQ(totals, (std::map<std::string, double>{{"fc", 237}, {"conv", 135}, {"conv / Compute", 17000}}));
  EXPECT_EQ(g.topEvents[2].occurrences, 2u);

  EXPECT_EQ(live.figures(log.model(), 1)[0].topEvents.size(), 1u);
  EXPECT_EQ(figures[1].executions, 2u);
  EXPECT_EQ(figures[1].lastUs, 6u);
}

}  // namespace
}  // namespace vyn::profiling
