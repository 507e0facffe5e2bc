// The method handlers: what each family stores from a message, with the rules
// that the report golden files do not reach. Each message's bytes are gone when
// its handler returns, as after a record's iteration, so whatever a handler kept
// must be its own copy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <tuple>

#include "capture/handlers.h"
#include "format/record_format.h"
#include "support/log_builder.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using vyn::testing::Event;
using vyn::testing::Message;

constexpr std::uint32_t kInit = 100;
constexpr std::uint32_t kFinalize = 300;

class HandlerTest : public ::testing::Test {
 protected:
  template <typename Handler>
  bool run(Handler handler, const Message& message) {
    const std::vector<std::uint8_t> bytes = vyn::testing::buildRecord(vyn::testing::Record{}.with(message));
    if (!verifyRecord(bytes.data(), bytes.size())) throw std::runtime_error("test message does not verify");
    return handler(reader_, *flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes.data())->messages()->Get(0));
  }
  // Runs the messages in turn; each must be taken.
  template <typename Handler>
  void take(Handler handler, std::initializer_list<Message> messages) {
    for (const Message& message : messages) EXPECT_TRUE(run(handler, message)) << message.name.value_or("-");
  }
  const std::vector<PhaseStat>& runs(std::size_t entry) const { return reader_.executeSeries.at(entry).stats; }

  VynProfileLogReader reader_{"", VisibilityLevel::Basic};  // passes messages of level 0
};

// The names of events, and a statistic as "value@timestamp 'name' [events]".
std::string names(const std::vector<ProfileEvent>& events) {
  std::string text;
  for (const auto& event : events) text += (text.empty() ? "" : " ") + event.name;
  return text;
}
std::string show(const PhaseStat& stat) {
  return std::to_string(stat.value) + "@" + std::to_string(stat.timestamp) + " '" + stat.name + "' [" +
         names(stat.subEvents) + "]";
}

TEST_F(HandlerTest, InitTakesItsTimestampBeforeTheFilter) {
  take(handleInit, {Message::of(6).named("first").at(100).lasting(40)});
  EXPECT_FALSE(run(handleInit, Message::of(6).named("late").at(900).lasting(50).withLevel(1)));
  EXPECT_EQ(reader_.initMessageTimestamp, 900u);
  // A message without a name keeps the earlier one.
  take(handleInit, {Message::of(6).at(200).lasting(7)});
  EXPECT_EQ(reader_.initMessageTime, 7u);
  EXPECT_EQ(reader_.initName, "first");
}

// Times add up and non-empty names join; the first non-zero timestamp wins, even
// from a filtered message.
TEST_F(HandlerTest, ComposeGraphTimesAddUpAndNamesJoin) {
  take(handleComposeGraph, {Message::of(7).named("").at(0).lasting(1)});
  EXPECT_FALSE(run(handleComposeGraph, Message::of(7).named("x").at(4).lasting(9).withLevel(1)));
  take(handleComposeGraph, {Message::of(7).named("g1").at(5).lasting(100),
                            Message::of(7).named("g2").at(6).lasting(250), Message::of(7).lasting(2)});
  EXPECT_EQ(reader_.composeTime, 353u);
  EXPECT_EQ(reader_.composeName, "g1; g2");
  EXPECT_EQ(reader_.composeTimestamp, 4u);
}

// DeInit and the single-statistic phases (InitEvents, ExecuteOverall,
// DynamicLibLoad, which share one procedure) are replaced by the latest message,
// events too; only DeInit reads the name.
TEST_F(HandlerTest, PhaseStatisticsAreReplaced) {
  const auto libLoad = [](VynProfileLogReader& r, const fb::MethodMessage& m) {
    return handleSinglePhase(r, m, r.libLoadStat, r.hasLibLoadStat);
  };
  for (const auto& message : {Message::of(5).named("n").at(3).lasting(60).event(Event::named("a", 1)),
                              Message::of(5).at(4).lasting(2)}) {
    EXPECT_TRUE(run(handleDeInit, message));
    EXPECT_TRUE(run(libLoad, message));
  }
  EXPECT_EQ(show(reader_.deInitStat), "2@4 'n' []");
  EXPECT_EQ(show(reader_.libLoadStat), "2@4 '' []");
}

// A duration needs both bounds, and an end before the start counts 0.
TEST_F(HandlerTest, DurationNeedsBothBoundsInOrder) {
  using Bound = std::optional<std::uint64_t>;
  const std::tuple<Bound, Bound, std::uint64_t> cases[] = {
      {0, 5, 5}, {std::nullopt, 5, 0}, {5, std::nullopt, 0}, {9, 4, 0}, {4, 4, 0}, {1, ~0ull, ~0ull - 1}};
  for (const auto& [start, end, duration] : cases) {
    Message message = Message::of(5);
    message.start = start;
    message.end = end;
    reader_.deInitStat.value = 12345;
    take(handleDeInit, {message});
    EXPECT_EQ(reader_.deInitStat.value, duration) << start.value_or(777) << ".." << end.value_or(777);
  }
}

Message execution(const std::string& graph, std::uint64_t duration, std::uint64_t timestamp = 0) {
  return Message::of(1).named(graph).lasting(duration).at(timestamp);
}
Message finalize(const std::string& graph, std::uint64_t duration, std::uint64_t timestamp = 0) {
  return Message::of(2).named(graph).lasting(duration).at(timestamp);
}
Message lateEvents(const std::string& graph) { return Message::of(9).named(graph).at(99).lasting(50); }

// Init events are sorted out of the execution, and stay until a message brings
// new ones.
TEST_F(HandlerTest, InitEventsSurviveMessagesWithoutThem) {
  take(handleExecute, {execution("g", 10).event(Event::named("i0", kInit)).event(Event::named("x", 7))
                           .event(Event::named("i1", kInit)),
                       execution("g", 11).event(Event::named("x", 7))});
  EXPECT_TRUE(reader_.hasInitStat);
  EXPECT_EQ(show(runs(0).at(0)), "10@0 '' [x]");
  take(handleFinalize, {finalize("g", 3).event(Event::named("f", 8))});
  take(handleExecuteEvents, {lateEvents("g").event(Event::named("y", 9))});
  EXPECT_EQ(names(reader_.initStat.subEvents), "i0 i1");

  take(handleExecute, {execution("g", 12).event(Event::named("i2", kInit))});
  EXPECT_EQ(names(reader_.initStat.subEvents), "i2");
  take(handleFinalize, {finalize("g", 3).event(Event::named("i3", kInit))});
  EXPECT_EQ(names(reader_.initStat.subEvents), "i3");
  take(handleExecuteEvents, {lateEvents("g").event(Event::named("i4", kInit))});
  EXPECT_EQ(names(reader_.initStat.subEvents), "i4");
}

TEST_F(HandlerTest, FinalizeOverwritesTheEntryOfItsGraph) {
  take(handleFinalize, {finalize("a", 10, 1)});
  EXPECT_TRUE(reader_.hasFinalize);
  EXPECT_FALSE(reader_.hasFinalizeStats);
  take(handleFinalize, {finalize("b", 20, 2).event(Event::named("f1", 5)),
                        finalize("a", 30, 3).event(Event::named("f2", 6)).event(Event::named("f3", 7))});
  ASSERT_EQ(reader_.finalizeStats.size(), 2u);
  EXPECT_EQ(reader_.finalizeStats[0].graphName, "a");
  EXPECT_EQ(show(reader_.finalizeStats[0].stat), "30@3 '' [f2 f3]");
  // Only Init events: the finalize events of the entry are emptied.
  take(handleFinalize, {finalize("a", 11).event(Event::named("init", kInit))});
  EXPECT_EQ(show(reader_.finalizeStats[0].stat), "11@0 '' []");
  EXPECT_EQ(names(reader_.initStat.subEvents), "init");
}

TEST_F(HandlerTest, LateEventsGoToTheOldestExecutionWithoutEvents) {
  take(handleExecute,
       {execution("g", 10, 1).event(Event::named("own", 4)), execution("g", 20, 2), execution("g", 30, 3)});
  take(handleExecuteEvents, {lateEvents("g").event(Event::named("e5", 5)).event(Event::named("e6", 6)),
                             lateEvents("g").event(Event::named("e7", 7)),
                             // Every execution has events now, or the graph is new: an untimed execution.
                             lateEvents("g").event(Event::named("e8", 8)),
                             lateEvents("h").event(Event::named("e9", 9))});
  // An execution after all those still takes the next late events.
  take(handleExecute, {execution("g", 40, 4)});
  take(handleExecuteEvents, {lateEvents("g").event(Event::named("e10", 10))});
  std::vector<std::string> shown;
  for (const PhaseStat& stat : runs(0)) shown.push_back(show(stat));
  EXPECT_THAT(shown, ElementsAre("10@1 '' [own]", "20@2 '' [e5 e6]", "30@3 '' [e7]", "0@0 '' [e8]",
                                 "40@4 '' [e10]"));
  EXPECT_EQ(reader_.executeSeries[1].graphName, "h");
  EXPECT_EQ(show(runs(1).at(0)), "0@0 '' [e9]");
}

// Late events replace the finalize events of their graph, making its entry if
// need be, only when they bring Finalize events; a message without events
// attaches nothing.
TEST_F(HandlerTest, LateEventsTouchFinalizeEntriesOnlyWithFinalizeEvents) {
  take(handleExecuteEvents, {lateEvents("g").event(Event::named("f1", kFinalize)).event(Event::named("init", kInit))
                                 .event(Event::named("x", 7)).event(Event::named("f2", kFinalize))});
  EXPECT_TRUE(reader_.hasFinalizeStats);
  EXPECT_FALSE(reader_.hasFinalize);
  EXPECT_EQ(names(reader_.initStat.subEvents), "init");
  EXPECT_EQ(show(runs(0).at(0)), "0@0 '' [x]");

  take(handleExecuteEvents,
       {lateEvents("g").event(Event::named("y", 8)), lateEvents("h").event(Event::named("z", 9)), lateEvents("k")});
  EXPECT_EQ(reader_.executeSeries.size(), 2u);
  ASSERT_EQ(reader_.finalizeStats.size(), 1u);
  EXPECT_EQ(show(reader_.finalizeStats[0].stat), "0@0 '' [f1 f2]");

  take(handleFinalize, {finalize("h", 40, 4).event(Event::named("f3", 5))});
  take(handleExecuteEvents, {lateEvents("h").event(Event::named("f4", kFinalize))});
  EXPECT_EQ(show(reader_.finalizeStats.at(1).stat), "40@4 '' [f4]");
}

TEST_F(HandlerTest, NamelessMessagesStoreNothing) {
  EXPECT_FALSE(run(handleExecute, Message::of(1).lasting(5).event(Event::named("i", kInit))));
  EXPECT_FALSE(run(handleFinalize, Message::of(2).lasting(3).event(Event::named("f", 5))));
  EXPECT_FALSE(run(handleExecuteEvents,
                   Message::of(9).event(Event::named("f", kFinalize)).event(Event::named("i", kInit))));
  EXPECT_FALSE(run(handleApplyBinarySection, Message::of(11).lasting(1)));
  EXPECT_FALSE(run(handleFinalizeAfterTensorUpdates, Message::of(16).lasting(1)));
  EXPECT_FALSE(reader_.hasInitStat || reader_.hasFinalize || reader_.hasFinalizeStats ||
               reader_.hasApplyBinarySection || reader_.hasFinalizeAfterTensorUpdates);
  EXPECT_TRUE(reader_.executeSeries.empty() && reader_.finalizeStats.empty() &&
              reader_.initStat.subEvents.empty());
}

// Apply calls keep every event unsorted.
TEST_F(HandlerTest, ApplyCallsKeepEveryEvent) {
  take(handleApplyBinarySection, {Message::of(12).named("g").lasting(1).event(Event::named("init", kInit))
                                      .event(Event::named("fin", kFinalize)).event(Event::named("x", 7))});
  EXPECT_EQ(names(reader_.applySectionSeries.at(0).stats.at(0).subEvents), "init fin x");
  EXPECT_FALSE(reader_.hasInitStat || reader_.hasFinalizeStats);
}

TEST_F(HandlerTest, TensorUpdateCallsAreGroupedByTheTextBeforeTheFirstBracket) {
  for (const char* name :
       {"g [pass 1]", "g [pass 2]", "g", "g[1]", "h [a] [b]", " [x]", "[", "a [", "", "g x [y]"})
    take(handleFinalizeAfterTensorUpdates, {Message::of(16).named(name).lasting(1)});
  std::vector<std::string> entries;
  for (const GraphPhaseSeries& entry : reader_.tensorUpdateSeries) {
    entries.push_back("'" + entry.graphName + "':");
    for (const PhaseStat& stat : entry.stats) entries.back() += " " + stat.name;
  }
  EXPECT_THAT(entries, ElementsAre("'g': g [pass 1] g [pass 2] g", "'g[1]': g[1]", "'h': h [a] [b]",
                                   "'':  [x] ", "'[': [", "'a': a [", "'g x': g x [y]"));
}

}  // namespace
}  // namespace vyn::profiling
