// Message dispatch: pulling messages from the cursor, routing by method type,
// the end of a record, the visibility filter in front of every handler, and the
// conversion of a message's events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>

#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader.h"
#include "support/log_builder.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using vyn::testing::Event;
using vyn::testing::Message;
using vyn::testing::Record;

VisibilityLevel levelOf(int level) { return static_cast<VisibilityLevel>(static_cast<std::int8_t>(level)); }

// Runs one record through the reader the way the loader does; the result of
// every processNextMessage call.
std::vector<bool> process(VynProfileLogReader& reader, const Record& record) {
  auto bytes = std::make_shared<std::vector<std::uint8_t>>(vyn::testing::buildRecord(record));
  if (!reader.recordCursor.initialize(bytes)) return {};
  std::vector<bool> results;
  reader.endOfRecord = false;
  while (!reader.endOfRecord && results.size() < 100) results.push_back(reader.processNextMessage());
  return results;
}

TEST(Dispatch, UnknownMethodTypesAreDroppedAndTheRecordGoesOn) {
  vyn::testing::CapturedLog log;
  VynProfileLogReader reader("", VisibilityLevel::All);
  Message untyped = Message::of(1).named("g");
  untyped.methodType.reset();
  Record record;
  for (const int type : {0, 18, -1, -128}) record.with(Message::of(type).named("g"));
  record.with(untyped).with(Message::of(1).named("g").lasting(4));
  EXPECT_THAT(process(reader, record), ElementsAre(false, false, false, false, false, true, false));
  EXPECT_EQ(log.errors(), std::vector<std::string>(5, "Unknown method type."));
  EXPECT_THAT(log.debugs(), ::testing::Contains("profiling::VynProfileLogReader reached EOF!"));
  EXPECT_TRUE(reader.endOfRecord);
  ASSERT_EQ(reader.executeSeries.size(), 1u);
  EXPECT_EQ(reader.executeSeries[0].stats.size(), 1u);
}

// Each method type, sent alone to a fresh reader, lands in its own statistic.
// Filtered out, it lands nowhere; only the values some handlers take before the
// filter are set.
TEST(Dispatch, EveryMethodTypeReachesItsHandlerBehindTheFilter) {
  using Check = std::function<bool(const VynProfileLogReader&)>;
  const std::vector<std::pair<int, Check>> routes = {
      {1, [](const auto& r) {
         return r.executeSeries.size() == 1 && r.executeSeries[0].stats[0].value == 10 && !r.hostRoundTrip;
       }},
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
      {15, [](const auto& r) { return r.contextSectionSeries.find("CONTEXT GET BINARY SECTION SIZE"); }},
      {16, [](const auto& r) { return r.hasFinalizeAfterTensorUpdates && r.tensorUpdateSeries.size() == 1; }},
      {17, [](const auto& r) { return r.hasUpdateBinarySection && r.updateSectionStats.size() == 1; }},
  };
  for (const auto& [type, check] : routes) {
    const Message message = Message::of(type).named("g").at(5).lasting(10)
                                .event(Event::named("e", 7).u64(1)).event(Event::named("i", 100).u64(1))
                                .event(Event::named("f", 300).u64(1));
    VynProfileLogReader reader("", VisibilityLevel::All);
    EXPECT_THAT(process(reader, Record{}.with(message)), ElementsAre(true, false)) << type;
    EXPECT_TRUE(check(reader)) << type;

    VynProfileLogReader filtered("", VisibilityLevel::Basic);
    EXPECT_THAT(process(filtered, Record{}.with(Message(message).withLevel(1))), ElementsAre(false, false))
        << type;
    EXPECT_FALSE(check(filtered)) << type;
    EXPECT_FALSE(filtered.hasInitStat || filtered.hasFinalize || filtered.hasFinalizeStats) << type;
    EXPECT_TRUE(filtered.initStat.subEvents.empty() && filtered.finalizeStats.empty() &&
                filtered.executeSeries.empty()) << type;
    EXPECT_EQ(filtered.hostRoundTrip, type == 3);
    EXPECT_EQ(filtered.initMessageTimestamp, type == 6 ? 5u : 0u);
    EXPECT_EQ(filtered.composeTimestamp, type == 7 ? 5u : 0u);
  }
}

TEST(Dispatch, MessagesPassOnlyBelowTheReadersLevel) {
  const std::tuple<int, std::optional<int>, bool> cases[] = {
      {3, 2, true},    {2, 2, false},     {2, 3, false},      {1, std::nullopt, true}, {0, std::nullopt, false},
      {0, -1, true},   {-1, -2, true},    {-1, -1, false},    {127, 126, true},        {127, 127, false},
      {-128, -128, false}, {-128, -1, false}};
  for (const auto& [readerLevel, messageLevel, processed] : cases) {
    VynProfileLogReader reader("", levelOf(readerLevel));
    Message message = Message::of(1).named("g").lasting(1);
    if (messageLevel) message.withLevel(static_cast<std::int8_t>(*messageLevel));
    EXPECT_THAT(process(reader, Record{}.with(message)), ElementsAre(processed, false))
        << "reader " << readerLevel << " message " << messageLevel.value_or(1000);
    EXPECT_EQ(reader.executeSeries.size(), processed ? 1u : 0u);
  }
}

// Events converted from a message outlive its record. The typed values are
// covered by the report golden files; here the defaults and the values those
// do not reach.
TEST(EventConversion, DefaultsAndValuesWithoutTheirFieldOrOfUnknownKind) {
  Event unknownKind = Event::named("x").kind(7);
  unknownKind.unsignedValue = 5;
  unknownKind.stringValue = "eight";
  unknownKind.bytesValue = std::vector<std::uint8_t>{9};
  Message message = Message::of(1).named("g");
  message.events = {Event{}, Event::named("x").kind(2), Event::named("x").kind(0), unknownKind,
                    Event::named("x").kind(4), Event::named("x").kind(6)};
  VynProfileLogReader reader("", VisibilityLevel::All);
  process(reader, Record{}.with(message));
  const std::vector<ProfileEvent>& events = reader.executeSeries.at(0).stats.at(0).subEvents;
  ASSERT_EQ(events.size(), 6u);
  const ProfileEvent& bare = events[0];
  EXPECT_EQ(std::tie(bare.identifier, bare.name, bare.detailText, bare.unit, bare.auxValue, bare.mergeCount),
            std::make_tuple(0u, "null", "", 0u, 0u, 1u));
  EXPECT_THAT(bare.subEvents, IsEmpty());
  const std::uint32_t dataTypes[] = {0x7FFFFFFF, 0x0164, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(events[i].value.dataType, dataTypes[i]) << i;
    EXPECT_EQ(events[i].value.payload, 0u) << i;
    EXPECT_THAT(events[i].bytes, IsEmpty()) << i;
  }
  // A text event without its text still points at one: an empty pooled text.
  EXPECT_EQ(events[5].value.dataType, 0x0608u);
  EXPECT_THAT(reader.eventStringPool, ElementsAre(""));
  EXPECT_EQ(reinterpret_cast<const char*>(events[5].value.payload), reader.eventStringPool.front().c_str());
}

}  // namespace
}  // namespace vyn::profiling
