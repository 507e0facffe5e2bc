// The post-load aggregation: per-graph statistics of every series, queue-wait
// figures of host round-trip logs, and the Init total.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Pair = std::pair<std::string, std::uint64_t>;
using Samples = std::pair<std::string, std::vector<std::uint64_t>>;

const std::string kMultiple =
    "Multiple queue-wait time events found per execution. Cannot calculate Host Round-Trip "
    "excluding queue wait\n";
constexpr const char* kNoSample = "No queue-wait time event found per execution.";
constexpr const char* kNoMax = "No max queue-wait time event found per execution.";
constexpr const char* kNoMin = "No min queue-wait time event found per execution.";

ProfileEvent plain(std::vector<ProfileEvent> children = {}) {
  ProfileEvent e;
  e.name = "stage";
  e.identifier = 7;
  e.value = {0x0164, 1};
  e.subEvents = std::move(children);
  return e;
}
ProfileEvent queueWait(std::uint64_t time, std::uint32_t dataType = 0x0164) {
  ProfileEvent e;
  e.name = "queue wait";
  e.identifier = 405;
  e.value = {dataType, time};
  return e;
}
PhaseStat run(std::uint64_t value, std::vector<ProfileEvent> events = {}) {
  return PhaseStat{value, value * 100, "", std::move(events)};
}

template <typename Entry>
std::vector<Pair> valuesOf(const std::vector<Entry>& entries) {
  std::vector<Pair> list;
  for (const auto& entry : entries) {
    if constexpr (std::is_same_v<Entry, GraphPhaseStat>) list.emplace_back(entry.graphName, entry.stat.value);
    else list.emplace_back(entry.graphName, entry.value);
  }
  return list;
}

TEST(Aggregation, EverySeriesGetsAverageMaximumAndMinimumPerGraph) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  reader.executeSeries = {{"a", {run(10), run(30)}}, {"b", {run(0), run(5)}}};
  reader.applySectionSeries = {{"s", {run(4)}}};
  reader.tensorUpdateSeries = {{"t", {run(6), run(2)}}, {"u", {run(1)}}};
  std::ostringstream diagnosticText;
  reader.aggregateStatistics(diagnosticText);
  EXPECT_EQ(diagnosticText.str(), "");
  EXPECT_THAT(valuesOf(reader.executeAverage), ElementsAre(Pair{"a", 20}, Pair{"b", 5}));
  EXPECT_THAT(valuesOf(reader.executeMax), ElementsAre(Pair{"a", 30}, Pair{"b", 5}));
  EXPECT_THAT(valuesOf(reader.executeMin), ElementsAre(Pair{"a", 10}, Pair{"b", 5}));
  EXPECT_THAT(valuesOf(reader.applySectionAverage), ElementsAre(Pair{"s", 4}));
  EXPECT_THAT(valuesOf(reader.applySectionMax), ElementsAre(Pair{"s", 4}));
  EXPECT_THAT(valuesOf(reader.applySectionMin), ElementsAre(Pair{"s", 4}));
  EXPECT_THAT(valuesOf(reader.tensorUpdateAverage), ElementsAre(Pair{"t", 4}, Pair{"u", 1}));
  EXPECT_THAT(valuesOf(reader.tensorUpdateMax), ElementsAre(Pair{"t", 6}, Pair{"u", 1}));
  EXPECT_THAT(valuesOf(reader.tensorUpdateMin), ElementsAre(Pair{"t", 2}, Pair{"u", 1}));
  EXPECT_EQ(reader.executeMax[0].stat.timestamp, 3000u);
}

// Each pass stops at the first graph without exactly one queue-wait event (top
// level or one level down) and clears what it had; the next pass still runs.
TEST(Aggregation, QueueWaitPasses) {
  struct Case {
    const char* name;
    bool roundTrip;
    std::vector<GraphPhaseSeries> series;
    std::vector<Samples> samples;
    std::vector<Pair> max, min;
    std::string out;
    std::vector<std::string> debugs;
  };
  const double time = 12.7;
  std::uint64_t floatingBits;
  std::memcpy(&floatingBits, &time, sizeof time);
  static const char kText[] = "12";
  const Case cases[] = {
      {"no round trip", false, {{"a", {run(10, {queueWait(3)})}}}, {}, {}, {}, "", {}},
      {"found", true,
       {{"a", {run(10, {queueWait(3)}), run(30, {plain({queueWait(5)})}), run(20, {plain(), queueWait(4)})}},
        {"b", {run(7, {queueWait(1)})}}},
       {{"a", {3, 5, 4}}, {"b", {1}}}, {{"a", 5}, {"b", 1}}, {{"a", 3}, {"b", 1}}, "", {}},
      {"numbers the values hold", true,
       {{"g", {run(10, {queueWait(floatingBits, 0x0264)}),
               run(20, {queueWait(reinterpret_cast<std::uint64_t>(kText), 0x0608)})}}},
       {{"g", {12, 0}}}, {{"g", 0}}, {{"g", 12}}, "", {}},
      {"several in the second graph", true,
       {{"g1", {run(10, {queueWait(1)})}},
        {"g2", {run(10, {queueWait(2), plain({queueWait(3)})}), run(20, {queueWait(4)}), run(5, {queueWait(6)})}},
        {"g3", {run(50, {queueWait(9)}), run(0)}}},
       {}, {{"g1", 1}, {"g2", 4}, {"g3", 9}}, {{"g1", 1}, {"g2", 6}, {"g3", 9}}, kMultiple, {}},
      {"several everywhere", true, {{"g", {run(10, {queueWait(1), queueWait(2)})}}},
       {}, {}, {}, kMultiple + kMultiple + kMultiple, {}},
      {"missing", true, {{"z", {run(3, {queueWait(8)})}}, {"a", {run(10, {queueWait(1)}), run(20)}}},
       {}, {}, {{"z", 8}, {"a", 1}}, "", {kNoSample, kNoMax}},
      {"two levels deep", true, {{"g", {run(10, {plain({plain({queueWait(1)})})})}}},
       {}, {}, {}, "", {kNoSample, kNoMax, kNoMin}},
      {"zero executions have no minimum", true, {{"g", {run(0, {queueWait(4)})}}},
       {{"g", {4}}}, {{"g", 4}}, {}, "", {kNoMin}},
  };
  for (const Case& c : cases) {
    vyn::testing::CapturedLog log;
    VynProfileLogReader reader("", VisibilityLevel::All);
    reader.hostRoundTrip = c.roundTrip;
    reader.executeSeries = c.series;
    std::ostringstream diagnosticText;
    reader.aggregateStatistics(diagnosticText);
    std::vector<Samples> samples;
    for (const auto& entry : reader.queueWaitSamples) samples.emplace_back(entry.graphName, entry.samples);
    EXPECT_EQ(samples, c.samples) << c.name;
    EXPECT_EQ(valuesOf(reader.queueWaitMax), c.max) << c.name;
    EXPECT_EQ(valuesOf(reader.queueWaitMin), c.min) << c.name;
    EXPECT_EQ(diagnosticText.str(), c.out) << c.name;
    std::vector<std::string> debugs;
    for (const std::string& text : log.debugs())
      if (text.find("queue-wait") != std::string::npos) debugs.push_back(text);
    EXPECT_EQ(debugs, c.debugs) << c.name;
  }
}

TEST(Aggregation, InitTotal) {
  struct Case {
    bool hasInitAltStat, hasFinalize;
    std::uint64_t initTime, initTimestamp;
  };
  // The Init events message wins; else Compose + Init + every Finalize, when
  // there was a Finalize; else the values stay.
  for (const Case& c : {Case{true, true, 70, 7000}, Case{false, true, 180, 12}, Case{false, false, 3, 4}}) {
    VynProfileLogReader reader("", VisibilityLevel::All);
    reader.hasInitAltStat = c.hasInitAltStat;
    reader.initAltStat = run(70);
    reader.hasFinalize = c.hasFinalize;
    reader.composeTime = 100;
    reader.initMessageTime = 50;
    reader.initMessageTimestamp = 12;
    reader.finalizeStats = {{"a", run(10)}, {"b", run(20)}};
    reader.initTime = 3;
    reader.initTimestamp = 4;
    std::ostringstream diagnosticText;
    reader.aggregateStatistics(diagnosticText);
    EXPECT_EQ(reader.initTime, c.initTime);
    EXPECT_EQ(reader.initTimestamp, c.initTimestamp);
  }
}

// Through a whole load: the notices reach standard output once, at the end.
TEST(Aggregation, RoundTripLogGetsQueueWaitFiguresAndNotices) {
  using vyn::testing::Event;
  using vyn::testing::Message;
  const auto roundTrip = [](const std::string& graph, std::uint64_t duration) {
    return Message::of(3).named(graph).lasting(duration);
  };
  vyn::testing::TempDir dir;
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
  EXPECT_EQ(out, kMultiple + kMultiple + kMultiple);
  EXPECT_THAT(reader.queueWaitSamples, IsEmpty());
  EXPECT_THAT(valuesOf(reader.executeAverage), ElementsAre(Pair{"a", 200}, Pair{"b", 80}));
  EXPECT_EQ(reader.initTime, 125u);
  EXPECT_EQ(reader.initTimestamp, 9u);
}

}  // namespace
}  // namespace vyn::profiling
