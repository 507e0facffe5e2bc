// What each family of methods leaves in the model, with the rules that the
// report golden files do not reach. Each message comes in a record of its own
// whose bytes are gone once it was taken, so whatever the model keeps is its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

#include "support/captured_model.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using vyn::testing::Event;
using vyn::testing::Message;

constexpr std::uint32_t kInit = 100;
constexpr std::uint32_t kFinalize = 300;

class HandlerTest : public ::testing::Test {
 protected:
  void take(std::initializer_list<Message> messages) {
    for (const Message& message : messages)
      EXPECT_THAT(log_.add({message}), ElementsAre(true)) << message.name.value_or("-");
  }
  bool taken(const Message& message) { return log_.add({message}) == std::vector<bool>{true}; }
  const LogModel& model() const { return log_.model(); }
  std::string modelText() const { return vyn::testing::modelText(model()); }
  std::string initNames() const { return vyn::testing::eventNames(model(), model().initEvents.value_or(EventSpan{})); }

  vyn::testing::CapturedModel log_{1};  // takes messages of level 0
};

Message execution(const std::string& graph, std::uint64_t duration, std::uint64_t timestamp = 0) {
  return Message::of(1).named(graph).lasting(duration).at(timestamp);
}
Message finalize(const std::string& graph, std::uint64_t duration, std::uint64_t timestamp = 0) {
  return Message::of(2).named(graph).lasting(duration).at(timestamp);
}
Message lateEvents(const std::string& graph) { return Message::of(9).named(graph).at(99).lasting(50); }

// Init takes the timestamp of every message and Compose the first non-zero one,
// even from a filtered message. Compose times add up and non-empty names join;
// an Init message without a name keeps the earlier one.
TEST_F(HandlerTest, InitAndComposeTakeTheirTimestampsBeforeTheFilter) {
  take({Message::of(6).named("first").at(100).lasting(40), Message::of(7).named("").at(0).lasting(1)});
  EXPECT_FALSE(taken(Message::of(6).named("late").at(900).lasting(50).withLevel(1)));
  EXPECT_FALSE(taken(Message::of(7).named("x").at(4).lasting(9).withLevel(1)));
  EXPECT_EQ(modelText(), "init: 40@900 'first'; compose: 1@4 ''");
  take({Message::of(6).at(200).lasting(7), Message::of(7).named("g1").at(5).lasting(100),
        Message::of(7).named("g2").at(6).lasting(250), Message::of(7).lasting(2)});
  EXPECT_EQ(modelText(), "init: 7@200 'first'; compose: 353@4 'g1; g2'");
}

// DeInit and the single-occurrence phases (InitEvents, ExecuteOverall,
// DynamicLibLoad share one procedure) are replaced by the latest message,
// events too; only DeInit reads the name.
TEST_F(HandlerTest, PhaseOccurrencesAreReplaced) {
  for (const int type : {5, 10})
    take({Message::of(type).named("n").at(3).lasting(60).event(Event::named("a", 1)),
          Message::of(type).at(4).lasting(2)});
  EXPECT_EQ(modelText(), "library load: 2@4 '' []; deinit: 2@4 'n' []");
}

// A duration needs both bounds, and an end before the start counts 0.
TEST_F(HandlerTest, DurationNeedsBothBoundsInOrder) {
  using Bound = std::optional<std::uint64_t>;
  const std::pair<Bound, Bound> bounds[] = {{0, 5}, {std::nullopt, 5}, {5, std::nullopt}, {9, 4}, {4, 4}, {1, ~0ull}};
  for (const auto& [start, end] : bounds) {
    Message message = execution("g", 0);
    std::tie(message.start, message.end) = std::tie(start, end);
    take({message});
  }
  EXPECT_EQ(modelText(),
            "execute g: 5@0 '' [], 0@0 '' [], 0@0 '' [], 0@0 '' [], 0@0 '' [], "
            "18446744073709551614@0 '' []");
}

// Init events are sorted out of the execution, and stay until a message brings
// new ones.
TEST_F(HandlerTest, InitEventsSurviveMessagesWithoutThem) {
  take(
      {execution("g", 10).event(Event::named("i0", kInit)).event(Event::named("x", 7)).event(Event::named("i1", kInit)),
       execution("g", 11).event(Event::named("x", 7)), finalize("g", 3).event(Event::named("f", 8)),
       lateEvents("g").event(Event::named("y", 9))});
  EXPECT_EQ(modelText(),
            "init events: [i0 i1]; finalize g: 3@0 '' [f]; finalize message; finalize events; "
            "execute g: 10@0 '' [x], 11@0 '' [x], 0@0 '' [y]");
  take({finalize("g", 3).event(Event::named("i2", kInit))});
  EXPECT_EQ(initNames(), "i2");
}

TEST_F(HandlerTest, FinalizeOverwritesTheEntryOfItsGraph) {
  take({finalize("a", 10, 1)});
  EXPECT_EQ(modelText(), "finalize a: 10@1 '' []; finalize message");
  take({finalize("b", 20, 2).event(Event::named("f1", 5)),
        finalize("a", 30, 3).event(Event::named("f2", 6)).event(Event::named("f3", 7))});
  EXPECT_EQ(modelText(), "finalize a: 30@3 '' [f2 f3]; finalize b: 20@2 '' [f1]; finalize message; finalize events");
  // Only Init events: the finalize events of the entry are emptied.
  take({finalize("a", 11).event(Event::named("init", kInit))});
  EXPECT_EQ(modelText(),
            "init events: [init]; finalize a: 11@0 '' []; finalize b: 20@2 '' [f1]; "
            "finalize message; finalize events");
}

TEST_F(HandlerTest, LateEventsGoToTheOldestExecutionWithoutEvents) {
  take({execution("g", 10, 1).event(Event::named("own", 4)), execution("g", 20, 2), execution("g", 30, 3),
        lateEvents("g").event(Event::named("e5", 5)).event(Event::named("e6", 6)),
        lateEvents("g").event(Event::named("e7", 7)),
        // Every execution has events now, or the graph is new: an untimed execution.
        lateEvents("g").event(Event::named("e8", 8)), lateEvents("h").event(Event::named("e9", 9)),
        // An execution after all those still takes the next late events.
        execution("g", 40, 4), lateEvents("g").event(Event::named("e10", 10))});
  EXPECT_EQ(modelText(),
            "execute g: 10@1 '' [own], 20@2 '' [e5 e6], 30@3 '' [e7], 0@0 '' [e8], "
            "40@4 '' [e10]; execute h: 0@0 '' [e9]");
}

}  // namespace
}  // namespace vyn::profiling
