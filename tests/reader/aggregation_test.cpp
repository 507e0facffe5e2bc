// The post-load aggregation: per-graph statistics of every series, queue-wait
// figures of host round-trip logs, and the Init total.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "capture/capture_fixture.h"
#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kMultiple =
    "Multiple queue-wait time events found per execution. Cannot calculate Host Round-Trip "
    "excluding queue wait\n";
constexpr const char* kNoSample = "No queue-wait time event found per execution.";
constexpr const char* kNoMax = "No max queue-wait time event found per execution.";
constexpr const char* kNoMin = "No min queue-wait time event found per execution.";

ProfileEvent plain(const std::string& name, std::vector<ProfileEvent> children = {}) {
  ProfileEvent e;
  e.name = name;
  e.identifier = 7;
  e.value = {0x0164, 1};
  e.subEvents = std::move(children);
  return e;
}
ProfileEvent queueWait(std::uint64_t time) {
  ProfileEvent e;
  e.name = "queue wait";
  e.identifier = 405;
  e.value = {0x0164, time};
  return e;
}
PhaseStat run(std::uint64_t value, std::vector<ProfileEvent> events = {}) {
  PhaseStat stat;
  stat.value = value;
  stat.timestamp = value * 100;
  stat.subEvents = std::move(events);
  return stat;
}
GraphPhaseSeries series(const std::string& graph, std::vector<PhaseStat> runs) {
  return {graph, std::move(runs)};
}

std::vector<std::pair<std::string, std::uint64_t>> valuesOf(const std::vector<GraphPhaseStat>& stats) {
  std::vector<std::pair<std::string, std::uint64_t>> list;
  for (const auto& entry : stats) list.emplace_back(entry.graphName, entry.stat.value);
  return list;
}
std::vector<std::pair<std::string, std::uint64_t>> valuesOf(const std::vector<QueueWaitValue>& values) {
  std::vector<std::pair<std::string, std::uint64_t>> list;
  for (const auto& entry : values) list.emplace_back(entry.graphName, entry.value);
  return list;
}
using Pair = std::pair<std::string, std::uint64_t>;

class AggregationTest : public ::testing::Test {
 protected:
  std::string aggregate() {
    std::ostringstream diagnosticText;
    reader_.aggregateStatistics(diagnosticText);
    return diagnosticText.str();
  }
  std::vector<std::string> queueWaitDebugs() const {
    std::vector<std::string> list;
    for (const std::string& text : log_.debugs())
      if (text.find("queue-wait") != std::string::npos) list.push_back(text);
    return list;
  }

  vyn::testing::CapturedLog log_;
  VynProfileLogReader reader_{"", VisibilityLevel::All};
};

TEST_F(AggregationTest, EverySeriesGetsAverageMaximumAndMinimumPerGraph) {
  reader_.executeSeries = {series("a", {run(10), run(30)}), series("b", {run(0), run(5)})};
  reader_.applySectionSeries = {series("s", {run(4)})};
  reader_.tensorUpdateSeries = {series("t", {run(6), run(2)}), series("u", {run(1)})};
  EXPECT_EQ(aggregate(), "");
  EXPECT_THAT(valuesOf(reader_.executeAverage), ElementsAre(Pair{"a", 20}, Pair{"b", 5}));
  EXPECT_THAT(valuesOf(reader_.executeMax), ElementsAre(Pair{"a", 30}, Pair{"b", 5}));
  EXPECT_THAT(valuesOf(reader_.executeMin), ElementsAre(Pair{"a", 10}, Pair{"b", 5}));
  EXPECT_THAT(valuesOf(reader_.applySectionAverage), ElementsAre(Pair{"s", 4}));
  EXPECT_THAT(valuesOf(reader_.applySectionMax), ElementsAre(Pair{"s", 4}));
  EXPECT_THAT(valuesOf(reader_.applySectionMin), ElementsAre(Pair{"s", 4}));
  EXPECT_THAT(valuesOf(reader_.tensorUpdateAverage), ElementsAre(Pair{"t", 4}, Pair{"u", 1}));
  EXPECT_THAT(valuesOf(reader_.tensorUpdateMax), ElementsAre(Pair{"t", 6}, Pair{"u", 1}));
  EXPECT_THAT(valuesOf(reader_.tensorUpdateMin), ElementsAre(Pair{"t", 2}, Pair{"u", 1}));
  EXPECT_EQ(reader_.executeMax[0].stat.timestamp, 3000u);
  // The series themselves stay as they were.
  EXPECT_EQ(reader_.executeSeries[0].stats.size(), 2u);
}

TEST_F(AggregationTest, QueueWaitIsOnlyExtractedForRoundTrips) {
  reader_.executeSeries = {series("a", {run(10, {queueWait(3)})}), series("b", {run(5)})};
  EXPECT_EQ(aggregate(), "");
  EXPECT_THAT(reader_.queueWaitSamples, IsEmpty());
  EXPECT_THAT(reader_.queueWaitMax, IsEmpty());
  EXPECT_THAT(reader_.queueWaitMin, IsEmpty());
  EXPECT_THAT(queueWaitDebugs(), IsEmpty());
}

TEST_F(AggregationTest, QueueWaitSamplesAndTheExtremesQueueWait) {
  reader_.hostRoundTrip = true;
  reader_.executeSeries = {
      series("a", {run(10, {queueWait(3)}), run(30, {plain("x", {queueWait(5)})}),
                   run(20, {plain("y"), queueWait(4)})}),
      series("b", {run(7, {queueWait(1)})}),
  };
  EXPECT_EQ(aggregate(), "");
  ASSERT_EQ(reader_.queueWaitSamples.size(), 2u);
  EXPECT_EQ(reader_.queueWaitSamples[0].graphName, "a");
  EXPECT_THAT(reader_.queueWaitSamples[0].samples, ElementsAre(3u, 5u, 4u));
  EXPECT_EQ(reader_.queueWaitSamples[1].graphName, "b");
  EXPECT_THAT(reader_.queueWaitSamples[1].samples, ElementsAre(1u));
  EXPECT_THAT(valuesOf(reader_.queueWaitMax), ElementsAre(Pair{"a", 5}, Pair{"b", 1}));
  EXPECT_THAT(valuesOf(reader_.queueWaitMin), ElementsAre(Pair{"a", 3}, Pair{"b", 1}));
  EXPECT_THAT(queueWaitDebugs(), IsEmpty());
}

// A queue-wait time is the number its value holds.
TEST_F(AggregationTest, QueueWaitTimesAreTheNumbersTheValuesHold) {
  ProfileEvent floating = queueWait(0);
  const double time = 12.7;
  floating.value.dataType = 0x0264;
  std::memcpy(&floating.value.payload, &time, sizeof time);
  ProfileEvent text = queueWait(0);
  static const char kText[] = "12";
  text.value = {0x0608, reinterpret_cast<std::uint64_t>(kText)};
  reader_.hostRoundTrip = true;
  reader_.executeSeries = {series("g", {run(10, {floating}), run(20, {text})})};
  aggregate();
  ASSERT_EQ(reader_.queueWaitSamples.size(), 1u);
  EXPECT_THAT(reader_.queueWaitSamples[0].samples, ElementsAre(12u, 0u));
  EXPECT_THAT(valuesOf(reader_.queueWaitMax), ElementsAre(Pair{"g", 0}));
  EXPECT_THAT(valuesOf(reader_.queueWaitMin), ElementsAre(Pair{"g", 12}));
}

// The second graph has an execution with two queue-wait events: the samples
// are dropped, the third graph is not looked at, the extremes still work.
TEST_F(AggregationTest, SeveralQueueWaitEventsInOneExecutionDropTheSamples) {
  reader_.hostRoundTrip = true;
  reader_.executeSeries = {
      series("g1", {run(10, {queueWait(1)})}),
      series("g2", {run(10, {queueWait(2), plain("x", {queueWait(3)})}), run(20, {queueWait(4)}),
                    run(5, {queueWait(6)})}),
      series("g3", {run(50, {queueWait(9)}), run(0)}),
  };
  EXPECT_EQ(aggregate(), kMultiple);
  EXPECT_THAT(reader_.queueWaitSamples, IsEmpty());
  EXPECT_THAT(queueWaitDebugs(), IsEmpty());
  EXPECT_THAT(valuesOf(reader_.queueWaitMax), ElementsAre(Pair{"g1", 1}, Pair{"g2", 4}, Pair{"g3", 9}));
  EXPECT_THAT(valuesOf(reader_.queueWaitMin), ElementsAre(Pair{"g1", 1}, Pair{"g2", 6}, Pair{"g3", 9}));
}

TEST_F(AggregationTest, MissingQueueWaitEventsDropOnlyTheirPass) {
  reader_.hostRoundTrip = true;
  reader_.executeSeries = {
      series("z", {run(3, {queueWait(8)})}),
      series("a", {run(10, {queueWait(1)}), run(20)}),
  };
  EXPECT_EQ(aggregate(), "");
  EXPECT_THAT(reader_.queueWaitSamples, IsEmpty());
  EXPECT_THAT(reader_.queueWaitMax, IsEmpty());
  EXPECT_THAT(valuesOf(reader_.queueWaitMin), ElementsAre(Pair{"z", 8}, Pair{"a", 1}));
  EXPECT_THAT(queueWaitDebugs(), ElementsAre(kNoSample, kNoMax));
}

TEST_F(AggregationTest, EveryPassReportsSeveralQueueWaitEvents) {
  reader_.hostRoundTrip = true;
  reader_.executeSeries = {series("g", {run(10, {queueWait(1), queueWait(2)})})};
  EXPECT_EQ(aggregate(), std::string(kMultiple) + kMultiple + kMultiple);
  EXPECT_THAT(reader_.queueWaitSamples, IsEmpty());
  EXPECT_THAT(reader_.queueWaitMax, IsEmpty());
  EXPECT_THAT(reader_.queueWaitMin, IsEmpty());
}

TEST_F(AggregationTest, QueueWaitEventsAreLookedForOneLevelDeepOnly) {
  reader_.hostRoundTrip = true;
  reader_.executeSeries = {series("g", {run(10, {plain("x", {plain("y", {queueWait(1)})})})})};
  EXPECT_EQ(aggregate(), "");
  EXPECT_THAT(reader_.queueWaitSamples, IsEmpty());
  EXPECT_THAT(queueWaitDebugs(), ElementsAre(kNoSample, kNoMax, kNoMin));
}

// With only zero executions the minimum is empty and carries no queue wait.
TEST_F(AggregationTest, ZeroExecutionsHaveNoMinimumQueueWait) {
  reader_.hostRoundTrip = true;
  reader_.executeSeries = {series("g", {run(0, {queueWait(4)})})};
  aggregate();
  EXPECT_THAT(valuesOf(reader_.executeMin), ElementsAre(Pair{"g", 0}));
  EXPECT_THAT(valuesOf(reader_.queueWaitMax), ElementsAre(Pair{"g", 4}));
  EXPECT_THAT(reader_.queueWaitMin, IsEmpty());
  EXPECT_THAT(queueWaitDebugs(), ElementsAre(kNoMin));
}

TEST_F(AggregationTest, InitTotalFromInitEventsMessage) {
  reader_.hasInitAltStat = true;
  reader_.initAltStat = run(70);
  reader_.hasFinalize = true;
  reader_.composeTime = 100;
  aggregate();
  EXPECT_EQ(reader_.initTime, 70u);
  EXPECT_EQ(reader_.initTimestamp, 7000u);
}

TEST_F(AggregationTest, InitTotalAddsComposeInitAndFinalizeTimes) {
  reader_.hasFinalize = true;
  reader_.composeTime = 100;
  reader_.initMessageTime = 50;
  reader_.initMessageTimestamp = 12;
  reader_.finalizeStats = {{"a", run(10)}, {"b", run(20)}};
  aggregate();
  EXPECT_EQ(reader_.initTime, 180u);
  EXPECT_EQ(reader_.initTimestamp, 12u);
}

TEST_F(AggregationTest, InitTotalStaysWithoutInitEventsOrFinalize) {
  reader_.composeTime = 100;
  reader_.initMessageTime = 50;
  reader_.initTime = 3;
  reader_.initTimestamp = 4;
  aggregate();
  EXPECT_EQ(reader_.initTime, 3u);
  EXPECT_EQ(reader_.initTimestamp, 4u);
}

// Through a whole load: the notices reach standard output once, at the end.
TEST(AggregationAfterLoading, RoundTripLogGetsQueueWaitFiguresAndNotices) {
  using vyn::testing::Event;
  using vyn::testing::Message;
  vyn::testing::TempDir dir;
  const auto roundTrip = [](const std::string& graph, std::uint64_t duration) {
    return Message::of(3).named(graph).lasting(duration);
  };
  vyn::testing::LogBuilder log;
  log.messages({roundTrip("a", 100).event(Event::named("queue", 405).u64(30)),
                roundTrip("a", 300).event(Event::named("stage", 1).sub(Event::named("queue", 405).u64(50)))})
      .messages({roundTrip("b", 80).event(Event::named("queue", 405).u64(5)).event(Event::named("queue", 405).u64(6)),
                 Message::of(6).named("init").at(9).lasting(40), Message::of(7).named("c").lasting(60),
                 Message::of(2).named("a").lasting(25)});
  log.writeTo(dir.file("log.bin"));

  VynProfileLogReaderXtu reader(dir.file("log.bin"), VisibilityLevel::All);
  ::testing::internal::CaptureStdout();
  const bool loaded = reader.loadLog(false);
  const std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(reader.hostRoundTrip);
  EXPECT_EQ(out, std::string(kMultiple) + kMultiple + kMultiple);
  EXPECT_THAT(reader.queueWaitSamples, IsEmpty());
  EXPECT_THAT(valuesOf(reader.executeAverage), ElementsAre(Pair{"a", 200}, Pair{"b", 80}));
  EXPECT_EQ(reader.initTime, 125u);
  EXPECT_EQ(reader.initTimestamp, 9u);
}

}  // namespace
}  // namespace vyn::profiling
