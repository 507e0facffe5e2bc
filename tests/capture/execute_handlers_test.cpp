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
  const std::vector<PhaseStat>& runs(std::size_t entry) const { return reader_.executeSeries.at(entry).stats; }

  VynProfileLogReader reader_{"", VisibilityLevel::All};
};

TEST_F(ExecuteHandlerTest, ExecutionsAreGroupedPerGraphWithInitEventsSortedOut) {
  EXPECT_TRUE(execute(execution("a", 10, 1)
                          .event(Event::named("i1", kInit))
                          .event(Event::named("x", 7))
                          .event(Event::named("i2", kInit))));
  EXPECT_TRUE(execute(execution("b", 20, 2)));
  EXPECT_TRUE(execute(execution(std::string("a\0x", 3), 30, 3)));  // a name ends at a NUL byte
  EXPECT_TRUE(reader_.hasInitStat);
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i1", "i2"));
  ASSERT_EQ(reader_.executeSeries.size(), 2u);
  EXPECT_EQ(reader_.executeSeries[1].graphName, "b");
  ASSERT_EQ(runs(0).size(), 2u);
  EXPECT_THAT(names(runs(0)[0].subEvents), ElementsAre("x"));
  EXPECT_EQ(runs(0)[1].value, 30u);
  EXPECT_EQ(runs(0)[1].timestamp, 3u);
}

// Init events stay until a message brings new ones.
TEST_F(ExecuteHandlerTest, InitEventsSurviveMessagesWithoutThem) {
  EXPECT_TRUE(execute(execution("g", 10).event(Event::named("i1", kInit))));
  EXPECT_TRUE(execute(execution("g", 11).event(Event::named("x", 7))));
  EXPECT_TRUE(finalizeWith(finalize("g", 3).event(Event::named("f", 8))));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("y", 9))));
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i1"));

  EXPECT_TRUE(execute(execution("g", 12).event(Event::named("i2", kInit))));
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i2"));
  EXPECT_TRUE(finalizeWith(finalize("g", 3).event(Event::named("i3", kInit))));
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i3"));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("i4", kInit))));
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("i4"));
}

TEST_F(ExecuteHandlerTest, FinalizeOverwritesTheEntryOfItsGraph) {
  EXPECT_TRUE(finalizeWith(finalize("a", 10, 1)));
  EXPECT_TRUE(reader_.hasFinalize);
  EXPECT_FALSE(reader_.hasFinalizeStats);
  EXPECT_TRUE(finalizeWith(finalize("b", 20, 2).event(Event::named("f1", 5))));
  EXPECT_TRUE(finalizeWith(finalize("a", 30, 3).event(Event::named("f2", 6)).event(Event::named("f3", 7))));
  ASSERT_EQ(reader_.finalizeStats.size(), 2u);
  const GraphPhaseStat& a = reader_.finalizeStats[0];
  EXPECT_EQ(a.graphName, "a");
  EXPECT_EQ(a.stat.value, 30u);
  EXPECT_EQ(a.stat.timestamp, 3u);
  EXPECT_THAT(names(a.stat.subEvents), ElementsAre("f2", "f3"));
  // Only Init events: the finalize events of the entry are emptied.
  EXPECT_TRUE(finalizeWith(finalize("a", 11).event(Event::named("init", kInit))));
  EXPECT_THAT(a.stat.subEvents, IsEmpty());
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("init"));
}

TEST_F(ExecuteHandlerTest, LateEventsGoToTheOldestExecutionWithoutEvents) {
  EXPECT_TRUE(execute(execution("g", 10, 1).event(Event::named("own", 4))));
  EXPECT_TRUE(execute(execution("g", 20, 2)));
  EXPECT_TRUE(execute(execution("g", 30, 3)));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("e5", 5)).event(Event::named("e6", 6))));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("e7", 7))));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("e8", 8))));
  EXPECT_TRUE(executeEvents(lateEvents("h").event(Event::named("e9", 9))));
  ASSERT_EQ(runs(0).size(), 4u);
  EXPECT_THAT(names(runs(0)[0].subEvents), ElementsAre("own"));
  EXPECT_THAT(names(runs(0)[1].subEvents), ElementsAre("e5", "e6"));
  EXPECT_EQ(runs(0)[1].value, 20u);
  EXPECT_EQ(runs(0)[1].timestamp, 2u);
  EXPECT_THAT(names(runs(0)[2].subEvents), ElementsAre("e7"));
  // Every execution has events now, or the graph is new: an untimed execution.
  for (const PhaseStat& untimed : {runs(0)[3], runs(1).at(0)}) {
    EXPECT_EQ(untimed.value, 0u);
    EXPECT_EQ(untimed.timestamp, 0u);
    EXPECT_EQ(untimed.name, "");
  }
  EXPECT_THAT(names(runs(0)[3].subEvents), ElementsAre("e8"));
  EXPECT_EQ(reader_.executeSeries[1].graphName, "h");
}

TEST_F(ExecuteHandlerTest, LateFinalizeEventsReplaceOnlyTheFinalizeEvents) {
  EXPECT_TRUE(executeEvents(lateEvents("g")
                                .event(Event::named("f1", kFinalize))
                                .event(Event::named("init", kInit))
                                .event(Event::named("x", 7))
                                .event(Event::named("f2", kFinalize))));
  EXPECT_TRUE(reader_.hasFinalizeStats);
  EXPECT_FALSE(reader_.hasFinalize);
  EXPECT_THAT(names(reader_.initStat.subEvents), ElementsAre("init"));
  EXPECT_THAT(names(runs(0).at(0).subEvents), ElementsAre("x"));
  ASSERT_EQ(reader_.finalizeStats.size(), 1u);
  EXPECT_EQ(reader_.finalizeStats[0].stat.value, 0u);
  EXPECT_EQ(reader_.finalizeStats[0].stat.timestamp, 0u);
  EXPECT_THAT(names(reader_.finalizeStats[0].stat.subEvents), ElementsAre("f1", "f2"));

  EXPECT_TRUE(finalizeWith(finalize("h", 40, 4).event(Event::named("f3", 5))));
  EXPECT_TRUE(executeEvents(lateEvents("h").event(Event::named("f4", kFinalize))));
  const PhaseStat& h = reader_.finalizeStats.at(1).stat;
  EXPECT_EQ(h.value, 40u);
  EXPECT_EQ(h.timestamp, 4u);
  EXPECT_THAT(names(h.subEvents), ElementsAre("f4"));
}

// Late events without Finalize events neither create nor clear finalize entries,
// and a message without events attaches nothing.
TEST_F(ExecuteHandlerTest, LateEventsWithoutFinalizeEventsLeaveFinalizeEntriesAlone) {
  EXPECT_TRUE(finalizeWith(finalize("g", 40).event(Event::named("f1", 5))));
  EXPECT_TRUE(executeEvents(lateEvents("g").event(Event::named("x", 7))));
  EXPECT_TRUE(executeEvents(lateEvents("h").event(Event::named("y", 8))));
  EXPECT_TRUE(executeEvents(lateEvents("k")));
  ASSERT_EQ(reader_.finalizeStats.size(), 1u);
  EXPECT_THAT(names(reader_.finalizeStats[0].stat.subEvents), ElementsAre("f1"));
  EXPECT_TRUE(reader_.hasFinalizeStats);
  EXPECT_EQ(reader_.executeSeries.size(), 2u);
}

TEST_F(ExecuteHandlerTest, NamelessMessagesStoreNothing) {
  EXPECT_FALSE(execute(Message::of(1).lasting(5).event(Event::named("i", kInit))));
  EXPECT_FALSE(finalizeWith(Message::of(2).lasting(3).event(Event::named("f", 5))));
  EXPECT_FALSE(executeEvents(Message::of(9).event(Event::named("f", kFinalize)).event(Event::named("i", kInit))));
  EXPECT_FALSE(reader_.hasInitStat || reader_.hasFinalize || reader_.hasFinalizeStats);
  EXPECT_TRUE(reader_.executeSeries.empty() && reader_.finalizeStats.empty() && reader_.initStat.subEvents.empty());
}

}  // namespace
}  // namespace vyn::profiling
