// Handlers of the once-per-log phases: Init, ComposeGraph, DeInit, and the three
// that fill one statistic with its flag (InitEvents, ExecuteOverall,
// DynamicLibLoad). Also the duration, timestamp and name readings they share.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

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

class PhaseHandlerTest : public ::testing::Test {
 protected:
  VynProfileLogReader reader_{"", VisibilityLevel::All};
};

TEST_F(PhaseHandlerTest, InitKeepsTimestampDurationAndName) {
  EXPECT_TRUE(runHandler(handleInit, reader_,
                         Message::of(6).named("first").at(100).lasting(40).event(Event::named("e", 1))));
  EXPECT_EQ(reader_.initMessageTimestamp, 100u);
  EXPECT_EQ(reader_.initMessageTime, 40u);
  EXPECT_EQ(reader_.initName, "first");
  EXPECT_FALSE(reader_.hasInitStat);
  EXPECT_FALSE(reader_.hasInitAltStat);

  // A later message replaces them; one without a name keeps the name.
  EXPECT_TRUE(runHandler(handleInit, reader_, Message::of(6).at(200).lasting(7)));
  EXPECT_EQ(reader_.initMessageTimestamp, 200u);
  EXPECT_EQ(reader_.initMessageTime, 7u);
  EXPECT_EQ(reader_.initName, "first");
}

TEST_F(PhaseHandlerTest, FilteredInitStillTakesItsTimestamp) {
  VynProfileLogReader reader("", VisibilityLevel::Basic);
  reader.initMessageTime = 3;
  reader.initName = "earlier";
  EXPECT_FALSE(runHandler(handleInit, reader, Message::of(6).named("late").at(900).lasting(50).withLevel(1)));
  EXPECT_EQ(reader.initMessageTimestamp, 900u);
  EXPECT_EQ(reader.initMessageTime, 3u);
  EXPECT_EQ(reader.initName, "earlier");
}

TEST_F(PhaseHandlerTest, ComposeGraphTimesAddUpAndNamesJoin) {
  EXPECT_TRUE(runHandler(handleComposeGraph, reader_, Message::of(7).named("g1").at(0).lasting(100)));
  EXPECT_TRUE(runHandler(handleComposeGraph, reader_, Message::of(7).named("g2").at(5).lasting(250)));
  EXPECT_TRUE(runHandler(handleComposeGraph, reader_, Message::of(7).named("").at(9).lasting(1)));
  EXPECT_TRUE(runHandler(handleComposeGraph, reader_, Message::of(7).at(9).lasting(2)));
  EXPECT_EQ(reader_.composeTime, 353u);
  EXPECT_EQ(reader_.composeName, "g1; g2");
  // The first non-zero timestamp wins.
  EXPECT_EQ(reader_.composeTimestamp, 5u);
}

TEST_F(PhaseHandlerTest, ComposeGraphNamesStartWithoutSeparator) {
  EXPECT_TRUE(runHandler(handleComposeGraph, reader_, Message::of(7).named("").lasting(1)));
  EXPECT_TRUE(runHandler(handleComposeGraph, reader_, Message::of(7).named("g").lasting(1)));
  EXPECT_EQ(reader_.composeName, "g");
}

TEST_F(PhaseHandlerTest, FilteredComposeGraphOnlySetsTheFirstTimestamp) {
  VynProfileLogReader reader("", VisibilityLevel::Off);
  EXPECT_FALSE(runHandler(handleComposeGraph, reader, Message::of(7).named("g").at(4).lasting(10)));
  EXPECT_FALSE(runHandler(handleComposeGraph, reader, Message::of(7).named("h").at(8).lasting(10)));
  EXPECT_EQ(reader.composeTimestamp, 4u);
  EXPECT_EQ(reader.composeTime, 0u);
  EXPECT_EQ(reader.composeName, "");
}

TEST_F(PhaseHandlerTest, DeInitReplacesItsStatistic) {
  EXPECT_TRUE(runHandler(handleDeInit, reader_,
                         Message::of(5).named("teardown").at(10).lasting(30).event(Event::named("a", 1)).event(Event::named("b", 2))));
  EXPECT_EQ(reader_.deInitStat.value, 30u);
  EXPECT_EQ(reader_.deInitStat.timestamp, 10u);
  EXPECT_EQ(reader_.deInitStat.name, "teardown");
  EXPECT_THAT(identifiers(reader_.deInitStat.subEvents), ElementsAre(1u, 2u));

  // Without name and events: the name stays, the events are emptied.
  EXPECT_TRUE(runHandler(handleDeInit, reader_, Message::of(5).at(20).lasting(5)));
  EXPECT_EQ(reader_.deInitStat.value, 5u);
  EXPECT_EQ(reader_.deInitStat.timestamp, 20u);
  EXPECT_EQ(reader_.deInitStat.name, "teardown");
  EXPECT_THAT(reader_.deInitStat.subEvents, IsEmpty());
}

// InitEvents, ExecuteOverall and DynamicLibLoad share one procedure on their own
// statistic and flag.
TEST_F(PhaseHandlerTest, SinglePhaseStatisticsAreReplacedAndFlagged) {
  const std::vector<std::pair<PhaseStat VynProfileLogReader::*, bool VynProfileLogReader::*>> targets = {
      {&VynProfileLogReader::initAltStat, &VynProfileLogReader::hasInitAltStat},
      {&VynProfileLogReader::executeOverallStat, &VynProfileLogReader::hasExecuteOverallStat},
      {&VynProfileLogReader::libLoadStat, &VynProfileLogReader::hasLibLoadStat},
  };
  for (const auto& [statMember, flagMember] : targets) {
    VynProfileLogReader reader("", VisibilityLevel::All);
    const auto handler = [&](VynProfileLogReader& r, const fb::MethodMessage& m) {
      return handleSinglePhase(r, m, r.*statMember, r.*flagMember);
    };
    EXPECT_TRUE(runHandler(handler, reader,
                           Message::of(10).named("ignored").at(3).lasting(60).event(Event::named("a", 1))));
    const PhaseStat& stat = reader.*statMember;
    EXPECT_TRUE(reader.*flagMember);
    EXPECT_EQ(stat.value, 60u);
    EXPECT_EQ(stat.timestamp, 3u);
    EXPECT_EQ(stat.name, "");
    EXPECT_THAT(identifiers(stat.subEvents), ElementsAre(1u));

    EXPECT_TRUE(runHandler(handler, reader, Message::of(10).at(4).lasting(2).event(Event::named("b", 2))));
    EXPECT_TRUE(reader.*flagMember);
    EXPECT_EQ(stat.value, 2u);
    EXPECT_EQ(stat.timestamp, 4u);
    EXPECT_THAT(identifiers(stat.subEvents), ElementsAre(2u));

    EXPECT_TRUE(runHandler(handler, reader, Message::of(10).at(5).lasting(1)));
    EXPECT_THAT(stat.subEvents, IsEmpty());

    VynProfileLogReader filtered("", VisibilityLevel::Off);
    EXPECT_FALSE(runHandler([&](VynProfileLogReader& r, const fb::MethodMessage& m) {
      return handleSinglePhase(r, m, r.*statMember, r.*flagMember);
    }, filtered, Message::of(10).at(5).lasting(1)));
    EXPECT_FALSE(filtered.*flagMember);
    EXPECT_EQ((filtered.*statMember).timestamp, 0u);
  }
}

// A duration needs both bounds, and an end before the start counts 0.
TEST_F(PhaseHandlerTest, DurationNeedsBothBoundsInOrder) {
  const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
  struct Case {
    std::optional<std::uint64_t> start, end;
    std::uint64_t duration;
  };
  const std::vector<Case> cases = {
      {0, 5, 5},  {std::nullopt, 5, 0}, {5, std::nullopt, 0}, {std::nullopt, std::nullopt, 0},
      {9, 4, 0},  {4, 4, 0},            {1, max, max - 1},
  };
  for (const Case& c : cases) {
    Message message = Message::of(5).at(1);
    message.start = c.start;
    message.end = c.end;
    reader_.deInitStat.value = 12345;
    EXPECT_TRUE(runHandler(handleDeInit, reader_, message));
    EXPECT_EQ(reader_.deInitStat.value, c.duration)
        << c.start.value_or(777) << ".." << c.end.value_or(777);
  }
}

TEST_F(PhaseHandlerTest, AbsentTimestampReadsAsZeroAndNamesEndAtNul) {
  Message message = Message::of(5).lasting(1).named(std::string("de\0init", 7));
  reader_.deInitStat.timestamp = 99;
  EXPECT_TRUE(runHandler(handleDeInit, reader_, message));
  EXPECT_EQ(reader_.deInitStat.timestamp, 0u);
  EXPECT_EQ(reader_.deInitStat.name, "de");
}

}  // namespace
}  // namespace vyn::profiling
