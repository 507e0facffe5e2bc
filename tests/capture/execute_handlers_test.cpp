// Execute, Finalize and ExecuteEvents: per-graph executions and finalizations,
// with events sorted into Init (100), Finalize (300) and execution events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "capture/capture_fixture.h"
#include "capture/handlers.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using vyn::testing::Event;
using vyn::testing::identifiers;
using vyn::testing::Message;
using vyn::testing::names;
using vyn::testing::runHandler;

constexpr std::uint32_t kInit = 100;
constexpr std::uint32_t kFinalize = 300;

Message execution(const std::string& graph, std::uint64_t duration, std::uint64_t timestamp = 0) {
  return Message::of(1).named(graph).lasting(duration).at(timestamp);
}
Message finalize(const std::string& graph, std::uint64_t duration, std::uint64_t timestamp = 0) {
  return Message::of(2).named(graph).lasting(duration).at(timestamp);
}
Message lateEvents(const std::string& graph) { return Message::of(9).named(graph).at(99).lasting(50); }

class ExecuteHandlerTest : public ::testing::Test {
 protected:
  bool execute(const Message& message) { return runHandler(handleExecute, reader_, message); }
  bool finalizeWith(const Message& message) { return runHandler(handleFinalize, reader_, message); }
  bool executeEvents(const Message& message) { return runHandler(handleExecuteEvents, reader_, message); }

  std::vector<std::uint64_t> values(std::size_t entry) const {
    std::vector<std::uint64_t> list;
    for (const PhaseStat& stat : reader_.executeSeries.at(entry).stats) list.push_back(stat.value);
    return list;
  }

  VynProfileLogReader reader_{"", VisibilityLevel::All};
};

TEST_F(ExecuteHandlerTest, ExecutionsAreGroupedPerGraphInArrivalOrder) {
  EXPECT_TRUE(execute(execution("a", 10, 1)));
  EXPECT_TRUE(execute(execution("b", 20, 2)));
  EXPECT_TRUE(execute(execution("a", 30, 3)));
  ASSERT_EQ(reader_.executeSeries.size(), 2u);
  EXPECT_EQ(reader_.executeSeries[0].graphName, "a");
  EXPECT_EQ(reader_.executeSeries[1].graphName, "b");
  EXPECT_THAT(values(0), ElementsAre(10u, 30u));
  EXPECT_THAT(values(1), ElementsAre(20u));
  const PhaseStat& second = reader_.executeSeries[0].stats[1];
  EXPECT_EQ(second.timestamp, 3u);
  EXPECT_EQ(second.name, "");
}

TEST_F(ExecuteHandlerTest, GraphNamesAreExactTextsUpToAnEmbeddedNul) {
  EXPECT_TRUE(execute(execution("", 1)));
  EXPECT_TRUE(execute(execution("", 2)));
  EXPECT_TRUE(execute(execution("G", 3)));
  EXPECT_TRUE(execute(execution("g", 4)));
  EXPECT_TRUE(execute(execution(std::string("g\0x", 3), 5)));
  ASSERT_EQ(reader_.executeSeries.size(), 3u);
  EXPECT_THAT(values(0), ElementsAre(1u, 2u));
  EXPECT_THAT(values(1), ElementsAre(3u));
  EXPECT_EQ(reader_.executeSeries[2].graphName, "g");
  EXPECT_THAT(values(2), ElementsAre(4u, 5u));
}

TEST_F(ExecuteHandlerTest, InitEventsAreSortedOutOfTheExecution) {
  EXPECT_TRUE(execute(execution("g", 10)
                          .event(Event::named("i1", kInit))
                          .event(Event::named("x", 7))
                          .event(Event::named("i2", kInit))));
  EXPECT_TRUE(reader_.hasInitStat);
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i1", "i2"));
  EXPECT_THAT(identifiers(reader_.executeSeries[0].stats[0].subEvents), ElementsAre(7u));
  // Only the sub-events of the Init statistic are written here.
  EXPECT_EQ(reader_.initStat.value, 0u);
  EXPECT_EQ(reader_.initStat.timestamp, 0u);
}

// Init events stay until a message brings new ones.
TEST_F(ExecuteHandlerTest, InitEventsSurviveMessagesWithoutThem) {
  EXPECT_TRUE(execute(execution("g", 10).event(Event::named("i1", kInit))));
  EXPECT_TRUE(execute(execution("g", 11).event(Event::named("x", 7))));
  EXPECT_TRUE(finalizeWith(finalize("g", 3).event(Event::named("f", 8))));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("y", 9))));
  EXPECT_TRUE(reader_.hasInitStat);
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i1"));

  EXPECT_TRUE(execute(execution("g", 12).event(Event::named("i2", kInit))));
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i2"));
  EXPECT_TRUE(finalizeWith(finalize("g", 3).event(Event::named("i3", kInit))));
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i3"));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("i4", kInit))));
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i4"));
}

TEST_F(ExecuteHandlerTest, FinalizeKeepsTheLatestPerGraphInFirstOrder) {
  EXPECT_TRUE(finalizeWith(finalize("a", 10, 1).event(Event::named("f1", 5))));
  EXPECT_TRUE(finalizeWith(finalize("b", 20, 2)));
  EXPECT_TRUE(finalizeWith(finalize("a", 30, 3).event(Event::named("f2", 6)).event(Event::named("f3", 7))));
  EXPECT_TRUE(reader_.hasFinalize);
  EXPECT_TRUE(reader_.hasFinalizeStats);
  ASSERT_EQ(reader_.finalizeStats.size(), 2u);
  const GraphPhaseStat& a = reader_.finalizeStats[0];
  EXPECT_EQ(a.graphName, "a");
  EXPECT_EQ(a.stat.value, 30u);
  EXPECT_EQ(a.stat.timestamp, 3u);
  EXPECT_EQ(a.stat.name, "");
  EXPECT_THAT(names(a.stat.subEvents), ElementsAre("f2", "f3"));
  EXPECT_EQ(reader_.finalizeStats[1].graphName, "b");
  EXPECT_EQ(reader_.finalizeStats[1].stat.value, 20u);
}

TEST_F(ExecuteHandlerTest, FinalizeWithoutEventsLeavesFinalizeStatsUnset) {
  EXPECT_TRUE(finalizeWith(finalize("a", 10)));
  EXPECT_TRUE(reader_.hasFinalize);
  EXPECT_FALSE(reader_.hasFinalizeStats);
  EXPECT_FALSE(reader_.hasInitStat);
}

TEST_F(ExecuteHandlerTest, FinalizeWithOnlyInitEventsClearsEarlierFinalizeEvents) {
  EXPECT_TRUE(finalizeWith(finalize("a", 10).event(Event::named("f1", 5))));
  EXPECT_TRUE(finalizeWith(finalize("a", 11).event(Event::named("init", kInit))));
  EXPECT_THAT(reader_.finalizeStats.at(0).stat.subEvents, IsEmpty());
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("init"));
  EXPECT_TRUE(reader_.hasFinalizeStats);
}

TEST_F(ExecuteHandlerTest, LateEventsGoToTheOldestExecutionWithoutEvents) {
  EXPECT_TRUE(execute(execution("g", 10, 1).event(Event::named("own", 4))));
  EXPECT_TRUE(execute(execution("g", 20, 2)));
  EXPECT_TRUE(execute(execution("g", 30, 3)));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("e5", 5)).event(Event::named("e6", 6))));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("e7", 7))));
  const auto& stats = reader_.executeSeries.at(0).stats;
  ASSERT_EQ(stats.size(), 3u);
  EXPECT_THAT(names(stats[0].subEvents), ElementsAre("own"));
  EXPECT_THAT(names(stats[1].subEvents), ElementsAre("e5", "e6"));
  EXPECT_THAT(names(stats[2].subEvents), ElementsAre("e7"));
  EXPECT_EQ(stats[1].value, 20u);
  EXPECT_EQ(stats[1].timestamp, 2u);

  // Every execution has events now: the next ones form an untimed execution.
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("e8", 8))));
  ASSERT_EQ(stats.size(), 4u);
  EXPECT_EQ(stats[3].value, 0u);
  EXPECT_EQ(stats[3].timestamp, 0u);
  EXPECT_EQ(stats[3].name, "");
  EXPECT_THAT(names(stats[3].subEvents), ElementsAre("e8"));
}

TEST_F(ExecuteHandlerTest, LateEventsOfAnUnknownGraphStartItsSeries) {
  EXPECT_TRUE(execute(execution("a", 10)));
  EXPECT_TRUE(executeEvents(lateEvents("b").event(Event::named("e", 5))));
  ASSERT_EQ(reader_.executeSeries.size(), 2u);
  EXPECT_EQ(reader_.executeSeries[1].graphName, "b");
  ASSERT_EQ(reader_.executeSeries[1].stats.size(), 1u);
  EXPECT_EQ(reader_.executeSeries[1].stats[0].value, 0u);
  EXPECT_THAT(reader_.executeSeries[0].stats[0].subEvents, IsEmpty());
}

TEST_F(ExecuteHandlerTest, LateEventsAreSortedByIdentifier) {
  EXPECT_TRUE(execute(execution("g", 10)));
  EXPECT_TRUE(executeEvents(lateEvents("g")
                                .event(Event::named("f1", kFinalize))
                                .event(Event::named("init", kInit))
                                .event(Event::named("x", 7))
                                .event(Event::named("f2", kFinalize))));
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("init"));
  EXPECT_TRUE(reader_.hasInitStat);
  ASSERT_EQ(reader_.finalizeStats.size(), 1u);
  EXPECT_EQ(reader_.finalizeStats[0].graphName, "g");
  EXPECT_THAT(names(reader_.finalizeStats[0].stat.subEvents), ElementsAre("f1", "f2"));
  EXPECT_THAT(names(reader_.executeSeries[0].stats[0].subEvents), ElementsAre("x"));
}

TEST_F(ExecuteHandlerTest, LateFinalizeEventsCreateAnUntimedFinalizeEntry) {
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("f", kFinalize))));
  EXPECT_TRUE(reader_.hasFinalizeStats);
  EXPECT_FALSE(reader_.hasFinalize);
  ASSERT_EQ(reader_.finalizeStats.size(), 1u);
  EXPECT_EQ(reader_.finalizeStats[0].stat.value, 0u);
  EXPECT_EQ(reader_.finalizeStats[0].stat.timestamp, 0u);
  EXPECT_THAT(names(reader_.finalizeStats[0].stat.subEvents), ElementsAre("f"));
  EXPECT_THAT(reader_.executeSeries, IsEmpty());
}

TEST_F(ExecuteHandlerTest, LateFinalizeEventsKeepTheTimedFinalizeValues) {
  EXPECT_TRUE(finalizeWith(finalize("g", 40, 4).event(Event::named("f1", 5))));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("f2", kFinalize))));
  ASSERT_EQ(reader_.finalizeStats.size(), 1u);
  EXPECT_EQ(reader_.finalizeStats[0].stat.value, 40u);
  EXPECT_EQ(reader_.finalizeStats[0].stat.timestamp, 4u);
  EXPECT_THAT(names(reader_.finalizeStats[0].stat.subEvents), ElementsAre("f2"));
}

// Late events without Finalize events neither create nor clear finalize entries.
TEST_F(ExecuteHandlerTest, LateEventsWithoutFinalizeEventsLeaveFinalizeEntriesAlone) {
  EXPECT_TRUE(finalizeWith(finalize("g", 40).event(Event::named("f1", 5))));
  ASSERT_TRUE(reader_.hasFinalizeStats);
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("x", 7))));
  EXPECT_TRUE(executeEvents(lateEvents("h").event(Event::named("y", 8))));
  EXPECT_TRUE(executeEvents(lateEvents("k")));
  ASSERT_EQ(reader_.finalizeStats.size(), 1u);
  EXPECT_THAT(names(reader_.finalizeStats[0].stat.subEvents), ElementsAre("f1"));
  EXPECT_TRUE(reader_.hasFinalizeStats);
  // An ExecuteEvents message without events attaches nothing.
  ASSERT_EQ(reader_.executeSeries.size(), 2u);
  EXPECT_EQ(reader_.executeSeries[0].graphName, "g");
  EXPECT_EQ(reader_.executeSeries[1].graphName, "h");
}

TEST_F(ExecuteHandlerTest, NamelessMessagesStoreNothing) {
  EXPECT_FALSE(execute(Message::of(1).lasting(5).event(Event::named("i", kInit))));
  EXPECT_FALSE(finalizeWith(Message::of(2).lasting(3).event(Event::named("f", 5))));
  EXPECT_FALSE(executeEvents(Message::of(9).event(Event::named("f", kFinalize)).event(Event::named("i", kInit))));
  VynProfileLogReader fresh("", VisibilityLevel::All);
  EXPECT_EQ(vyn::testing::describe(reader_), vyn::testing::describe(fresh));
}

}  // namespace
}  // namespace vyn::profiling
