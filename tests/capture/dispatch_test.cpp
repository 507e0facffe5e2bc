// Message dispatch: pulling messages from the cursor, routing by method type,
// the end of a record, and the visibility filter in front of every handler.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "capture/capture_fixture.h"
#include "capture/handlers.h"
#include "log/captured_log.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using vyn::testing::describe;
using vyn::testing::Event;
using vyn::testing::Message;
using vyn::testing::Record;

VisibilityLevel levelOf(int level) { return static_cast<VisibilityLevel>(static_cast<std::int8_t>(level)); }

// Runs one record through the reader the way the loader does, and returns the
// result of every processNextMessage call.
std::vector<bool> process(VynProfileLogReader& reader, const Record& record) {
  auto bytes = std::make_shared<std::vector<std::uint8_t>>(vyn::testing::buildRecord(record));
  if (!reader.recordCursor.initialize(bytes)) return {};
  std::vector<bool> results;
  reader.endOfRecord = false;
  while (!reader.endOfRecord && results.size() < 100) results.push_back(reader.processNextMessage());
  return results;
}

std::vector<bool> process(VynProfileLogReader& reader, const Message& message) {
  return process(reader, Record{}.with(message));
}

class DispatchTest : public ::testing::Test {
 protected:
  vyn::testing::CapturedLog log_;
};

TEST_F(DispatchTest, PullsEveryMessageThenMarksTheEndOfTheRecord) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  const auto results = process(reader, Record{}
                                           .with(Message::of(1).named("g").lasting(1))
                                           .with(Message::of(1).named("g").lasting(2))
                                           .with(Message::of(1).named("g").lasting(3)));
  EXPECT_THAT(results, ElementsAre(true, true, true, false));
  EXPECT_TRUE(reader.endOfRecord);
  ASSERT_EQ(reader.executeSeries.size(), 1u);
  EXPECT_EQ(reader.executeSeries[0].stats.size(), 3u);
  EXPECT_EQ(log_.count("profiling::VynProfileLogReader reached EOF!"), 1u);
}

TEST_F(DispatchTest, UnknownMethodTypesAreDroppedAndTheRecordGoesOn) {
  VynProfileLogReader reader("", VisibilityLevel::All);
  Message untyped = Message::of(1).named("g");
  untyped.methodType.reset();
  const auto results = process(reader, Record{}
                                           .with(Message::of(0).named("g"))
                                           .with(Message::of(18).named("g"))
                                           .with(Message::of(-1).named("g"))
                                           .with(Message::of(-128).named("g"))
                                           .with(untyped)
                                           .with(Message::of(1).named("g").lasting(4)));
  EXPECT_THAT(results, ElementsAre(false, false, false, false, false, true, false));
  EXPECT_THAT(log_.errors(), ElementsAre("Unknown method type.", "Unknown method type.",
                                         "Unknown method type.", "Unknown method type.",
                                         "Unknown method type."));
  ASSERT_EQ(reader.executeSeries.size(), 1u);
  EXPECT_EQ(reader.executeSeries[0].stats.size(), 1u);
}

// Each method type, sent alone to a fresh reader, lands in its own statistic.
TEST_F(DispatchTest, EveryMethodTypeReachesItsHandler) {
  using Check = std::function<bool(const VynProfileLogReader&)>;
  const std::vector<std::pair<int, Check>> routes = {
      {1, [](const auto& r) { return r.executeSeries.size() == 1 && r.executeSeries[0].stats[0].value == 10 && !r.hostRoundTrip; }},
      {2, [](const auto& r) { return r.finalizeStats.size() == 1 && r.hasFinalize; }},
      {3, [](const auto& r) { return r.executeSeries.size() == 1 && r.hostRoundTrip; }},
      {4, [](const auto& r) { return r.hasInitAltStat && r.initAltStat.value == 10; }},
      {5, [](const auto& r) { return r.deInitStat.value == 10 && r.deInitStat.name == "g"; }},
      {6, [](const auto& r) { return r.initMessageTime == 10 && r.initName == "g"; }},
      {7, [](const auto& r) { return r.composeTime == 10 && r.composeName == "g"; }},
      {8, [](const auto& r) { return r.hasExecuteOverallStat && r.executeOverallStat.value == 10; }},
      {9, [](const auto& r) { return r.executeSeries.size() == 1 && r.executeSeries[0].stats[0].value == 0; }},
      {10, [](const auto& r) { return r.hasLibLoadStat && r.libLoadStat.value == 10; }},
      {11, [](const auto& r) { return r.hasApplyBinarySection && r.applySectionSeries.size() == 1; }},
      {12, [](const auto& r) { return r.hasApplyBinarySection && r.applySectionSeries.size() == 1; }},
      {13, [](const auto& r) { return r.contextBinaryStats.find("CONTEXT GET BINARY SIZE") != nullptr; }},
      {14, [](const auto& r) { return r.contextBinaryStats.find("CONTEXT GET BINARY") != nullptr; }},
      {15, [](const auto& r) { return r.contextSectionSeries.find("CONTEXT GET BINARY SECTION SIZE") != nullptr; }},
      {16, [](const auto& r) { return r.hasFinalizeAfterTensorUpdates && r.tensorUpdateSeries.size() == 1; }},
      {17, [](const auto& r) { return r.hasUpdateBinarySection && r.updateSectionStats.size() == 1; }},
  };
  for (const auto& [type, check] : routes) {
    VynProfileLogReader reader("", VisibilityLevel::All);
    const auto results =
        process(reader, Message::of(type).named("g").at(5).lasting(10).event(Event::named("e", 7).u64(1)));
    EXPECT_THAT(results, ElementsAre(true, false)) << "method type " << type;
    EXPECT_TRUE(check(reader)) << "method type " << type << "\n" << describe(reader);
  }
}

TEST_F(DispatchTest, MessagesPassOnlyBelowTheReadersLevel) {
  struct Case {
    int reader;
    std::optional<int> message;
    bool processed;
  };
  const std::vector<Case> cases = {
      {3, 2, true},     {2, 2, false},   {2, 3, false},      {1, std::nullopt, true},
      {0, std::nullopt, false},          {0, -1, true},      {-1, -2, true},
      {-1, -1, false},  {127, 126, true}, {127, 127, false}, {-128, -128, false},
      {-128, -1, false},
  };
  for (const Case& c : cases) {
    VynProfileLogReader reader("", levelOf(c.reader));
    Message message = Message::of(1).named("g").lasting(1);
    if (c.message) message.withLevel(static_cast<std::int8_t>(*c.message));
    const auto results = process(reader, message);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], c.processed) << "reader " << c.reader << " message "
                                       << c.message.value_or(1000);
    EXPECT_EQ(reader.executeSeries.size(), c.processed ? 1u : 0u);
  }
}

// A filtered message changes nothing, except the values some handlers take
// before they apply the filter.
TEST_F(DispatchTest, FilteredMessagesLeaveTheStateAlone) {
  for (int type = 1; type <= 17; ++type) {
    VynProfileLogReader reader("", VisibilityLevel::Basic);
    VynProfileLogReader expected("", VisibilityLevel::Basic);
    const auto results = process(reader, Message::of(type)
                                             .named("g")
                                             .at(5)
                                             .lasting(10)
                                             .withLevel(1)
                                             .event(Event::named("e", 100).u64(1))
                                             .event(Event::named("f", 300).u64(1)));
    EXPECT_THAT(results, ElementsAre(false, false)) << "method type " << type;
    if (type == 3) expected.hostRoundTrip = true;
    if (type == 6) expected.initMessageTimestamp = 5;
    if (type == 7) expected.composeTimestamp = 5;
    EXPECT_EQ(describe(reader), describe(expected)) << "method type " << type;
  }
}

TEST_F(DispatchTest, RoundTripExecutionRecordsWhatAnExecutionRecords) {
  const auto execution = [](int type) {
    return Message::of(type)
        .named("g")
        .at(7)
        .lasting(1500)
        .event(Event::named("init", 100).u64(3))
        .event(Event::named("dma", 405).u64(4).sub(Event::named("inner", 9).i64(-1)));
  };
  VynProfileLogReader plain("", VisibilityLevel::All);
  VynProfileLogReader roundTrip("", VisibilityLevel::All);
  process(plain, Record{}.with(execution(1)).with(execution(1)));
  process(roundTrip, Record{}.with(execution(3)).with(execution(3)));
  EXPECT_TRUE(roundTrip.hostRoundTrip);
  plain.hostRoundTrip = true;
  EXPECT_EQ(describe(roundTrip), describe(plain));
}

}  // namespace
}  // namespace vyn::profiling
