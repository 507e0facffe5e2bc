// Handlers of the once-per-log phases: Init, ComposeGraph, DeInit, and the three
// that fill one statistic with its flag; also the duration they all read.
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
using vyn::testing::runHandler;

TEST(PhaseHandlers, InitTakesItsTimestampBeforeTheFilter) {
  VynProfileLogReader reader("", VisibilityLevel::Basic);
  EXPECT_TRUE(runHandler(handleInit, reader, Message::of(6).named("first").at(100).lasting(40)));
  EXPECT_FALSE(runHandler(handleInit, reader, Message::of(6).named("late").at(900).lasting(50).withLevel(1)));
  EXPECT_EQ(reader.initMessageTimestamp, 900u);
  EXPECT_EQ(reader.initMessageTime, 40u);
  EXPECT_EQ(reader.initName, "first");
  // A message without a name keeps the earlier one.
  EXPECT_TRUE(runHandler(handleInit, reader, Message::of(6).at(200).lasting(7)));
  EXPECT_EQ(reader.initMessageTime, 7u);
  EXPECT_EQ(reader.initName, "first");
}

TEST(PhaseHandlers, ComposeGraphTimesAddUpAndNamesJoin) {
  VynProfileLogReader reader("", VisibilityLevel::Basic);
  EXPECT_TRUE(runHandler(handleComposeGraph, reader, Message::of(7).named("").at(0).lasting(1)));
  EXPECT_FALSE(runHandler(handleComposeGraph, reader, Message::of(7).named("x").at(4).lasting(9).withLevel(1)));
  EXPECT_TRUE(runHandler(handleComposeGraph, reader, Message::of(7).named("g1").at(5).lasting(100)));
  EXPECT_TRUE(runHandler(handleComposeGraph, reader, Message::of(7).named("g2").at(6).lasting(250)));
  EXPECT_TRUE(runHandler(handleComposeGraph, reader, Message::of(7).lasting(2)));
  EXPECT_EQ(reader.composeTime, 353u);
  EXPECT_EQ(reader.composeName, "g1; g2");
  // The first non-zero timestamp wins, even from a filtered message.
  EXPECT_EQ(reader.composeTimestamp, 4u);
}

TEST(PhaseHandlers, DeInitReplacesItsStatistic) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  EXPECT_TRUE(runHandler(handleDeInit, reader,
                         Message::of(5).named("teardown").at(10).lasting(30).event(Event::named("a", 1))));
  EXPECT_THAT(identifiers(reader.deInitStat.subEvents), ElementsAre(1u));
  // Without name and events: the name stays, the events are emptied.
  EXPECT_TRUE(runHandler(handleDeInit, reader, Message::of(5).at(20).lasting(5)));
  EXPECT_EQ(reader.deInitStat.value, 5u);
  EXPECT_EQ(reader.deInitStat.timestamp, 20u);
  EXPECT_EQ(reader.deInitStat.name, "teardown");
  EXPECT_THAT(reader.deInitStat.subEvents, IsEmpty());
}

// InitEvents, ExecuteOverall and DynamicLibLoad share one procedure on their own
// statistic and flag.
TEST(PhaseHandlers, SinglePhaseStatisticsAreReplacedAndFlagged) {
  const std::pair<PhaseStat VynProfileLogReader::*, bool VynProfileLogReader::*> targets[] = {
      {&VynProfileLogReader::initAltStat, &VynProfileLogReader::hasInitAltStat},
      {&VynProfileLogReader::executeOverallStat, &VynProfileLogReader::hasExecuteOverallStat},
      {&VynProfileLogReader::libLoadStat, &VynProfileLogReader::hasLibLoadStat},
  };
  for (const auto& [statMember, flagMember] : targets) {
    const auto handler = [statMember = statMember, flagMember = flagMember](VynProfileLogReader& r, const fb::MethodMessage& m) {
      return handleSinglePhase(r, m, r.*statMember, r.*flagMember);
    };
    VynProfileLogReader filtered("", VisibilityLevel::Off);
    EXPECT_FALSE(runHandler(handler, filtered, Message::of(10).at(5).lasting(1)));
    EXPECT_FALSE(filtered.*flagMember);
    EXPECT_EQ((filtered.*statMember).timestamp, 0u);

    VynProfileLogReader reader("", VisibilityLevel::All);
    const PhaseStat& stat = reader.*statMember;
    EXPECT_TRUE(runHandler(handler, reader, Message::of(10).named("n").at(3).lasting(60).event(Event::named("a", 1))));
    EXPECT_TRUE(runHandler(handler, reader, Message::of(10).at(4).lasting(2).event(Event::named("b", 2))));
    EXPECT_TRUE(reader.*flagMember);
    EXPECT_EQ(stat.value, 2u);
    EXPECT_EQ(stat.timestamp, 4u);
    EXPECT_EQ(stat.name, "");
    EXPECT_THAT(identifiers(stat.subEvents), ElementsAre(2u));
    EXPECT_TRUE(runHandler(handler, reader, Message::of(10).at(5).lasting(1)));
    EXPECT_THAT(stat.subEvents, IsEmpty());
  }
}

// A duration needs both bounds, and an end before the start counts 0.
TEST(PhaseHandlers, DurationNeedsBothBoundsInOrder) {
  struct Case {
    std::optional<std::uint64_t> start, end;
    std::uint64_t duration;
  };
  const Case cases[] = {{0, 5, 5},          {std::nullopt, 5, 0}, {5, std::nullopt, 0},
                        {9, 4, 0},          {4, 4, 0},            {1, ~0ull, ~0ull - 1}};
  VynProfileLogReader reader("", VisibilityLevel::All);
  for (const Case& c : cases) {
    Message message = Message::of(5);
    message.start = c.start;
    message.end = c.end;
    reader.deInitStat.value = 12345;
    EXPECT_TRUE(runHandler(handleDeInit, reader, message));
    EXPECT_EQ(reader.deInitStat.value, c.duration) << c.start.value_or(777) << ".." << c.end.value_or(777);
  }
}

}  // namespace
}  // namespace vyn::profiling
