// Taking a log into the model: routing each message by its method
// type behind the visibility filter, and the conversion of a message's events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "log/captured_log.h"
#include "support/captured_model.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using vyn::testing::CapturedModel;
using vyn::testing::Event;
using vyn::testing::Message;
using vyn::testing::modelText;
using vyn::testing::Record;

TEST(Dispatch, UnknownMethodTypesAreDroppedAndTheRecordGoesOn) {
  vyn::testing::CapturedLog diagnostics;
  Message untyped = Message::of(1).named("g");
  untyped.methodType.reset();
  Record record;
  for (const int type : {0, 18, -1, -128}) record.with(Message::of(type).named("g"));
  record.with(untyped).with(Message::of(1).named("g").lasting(4));
  CapturedModel log;
  EXPECT_THAT(log.add(record), ElementsAre(false, false, false, false, false, true));
  EXPECT_EQ(diagnostics.errors(), std::vector<std::string>(5, "Unknown method type."));
  EXPECT_EQ(modelText(log.model()), "execute g: 4@0 '' []");
}

// Each method type, sent alone to a fresh model, lands in its own place.
// Filtered out, it lands nowhere and keeps none of its texts or events; only the
// values some phases take before the filter are set.
TEST(Dispatch, EveryMethodTypeReachesItsHandlerBehindTheFilter) {
  const std::tuple<int, const char*, const char*> routes[] = {
      {1, "init events: [i]; execute g: 10@5 '' [e f]", ""},
      {2, "init events: [i]; finalize g: 10@5 '' [e f]; finalize message; finalize events", ""},
      {3, "init events: [i]; execute g: 10@5 '' [e f]; round trip", "round trip"},
      {4, "context creation: 10@5 '' [e i f]", ""},
      {5, "deinit: 10@5 'g' [e i f]", ""},
      {6, "init: 10@5 'g'", "init: 0@5 ''"},
      {7, "compose: 10@5 'g'", "compose: 0@5 ''"},
      {8, "execute overall: 10@5 '' [e i f]", ""},
      {9, "init events: [i]; finalize g: 0@0 '' [f]; finalize events; execute g: 0@0 '' [e]", ""},
      {10, "library load: 10@5 '' [e i f]", ""},
      {11, "apply g: 10@5 '' [e i f]", ""},
      {12, "apply g: 10@5 '' [e i f]", ""},
      {13, "CONTEXT GET BINARY SIZE: 10@5 'g' []", ""},
      {14, "CONTEXT GET BINARY: 10@5 'g' []", ""},
      {15, "section size: 10@5 'g' []", ""},
      {16, "tensor update g: 10@5 'g' [e i f]", ""},
      {17, "section update: 10@5 '' [e i f]", ""},
  };
  const std::size_t freshTexts = CapturedModel().model().texts.size();
  for (const auto& [type, taken, filteredOut] : routes) {
    const Message message = Message::of(type)
                                .named("g")
                                .at(5)
                                .lasting(10)
                                .event(Event::named("e", 7).u64(1))
                                .event(Event::named("i", 100).u64(1))
                                .event(Event::named("f", 300).u64(1));
    CapturedModel log;
    EXPECT_THAT(log.add({message}), ElementsAre(true)) << type;
    EXPECT_EQ(modelText(log.model()), taken) << type;

    CapturedModel filtered(1);
    EXPECT_THAT(filtered.add({Message(message).withLevel(1)}), ElementsAre(false)) << type;
    EXPECT_EQ(modelText(filtered.model()), filteredOut) << type;
    EXPECT_EQ(filtered.model().texts.size(), freshTexts) << type;
    EXPECT_EQ(filtered.model().events.rowCount(), 0u) << type;
  }
}

TEST(Dispatch, MessagesPassOnlyBelowTheCapturesLevel) {
  const std::tuple<int, std::optional<int>, bool> cases[] = {
      {3, 2, true},  {2, 2, false},   {1, std::nullopt, true}, {0, std::nullopt, false},
      {0, -1, true}, {-1, -1, false}, {-128, -128, false},     {127, 126, true}};
  for (const auto& [captureLevel, messageLevel, taken] : cases) {
    CapturedModel log(static_cast<std::int8_t>(captureLevel));
    Message message = Message::of(1).named("g").lasting(1);
    if (messageLevel) message.withLevel(static_cast<std::int8_t>(*messageLevel));
    EXPECT_THAT(log.add({message}), ElementsAre(taken)) << captureLevel << " " << messageLevel.value_or(1000);
  }
}

// The typed values are covered by the report golden files; here the defaults
// and the values those do not reach.
TEST(EventConversion, DefaultsAndValuesWithoutTheirField) {
  Message message = Message::of(1).named("g");
  message.events = {Event{},
                    Event::named("x").kind(2),
                    Event::named("x").kind(0),
                    Event::named("x").u64(5).text("eight").data({9}).kind(7),
                    Event::named("x").kind(4),
                    Event::named("x").withUnit(258),
                    Event::named("x").kind(6)};
  CapturedModel log;
  log.add({message});
  std::vector<EventItem> items;
  walkEvents(log.model().list(log.model().executions.at(0).occurrences.at(0).events), [&](const EventItem& item) {
    items.push_back(item);
    return true;
  });
  ASSERT_EQ(items.size(), 7u);
  const EventItem& bare = items[0];
  EXPECT_EQ(std::tie(bare.identifier, bare.name, bare.detailText, bare.unit), std::make_tuple(0u, "null", "", 0u));
  const std::uint32_t dataTypes[] = {0x7FFFFFFF, 0x0164, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(items[i].value.dataType, dataTypes[i]) << i;
    EXPECT_EQ(items[i].value.payload, 0u) << i;
    EXPECT_EQ(items[i].bytes.size, 0u) << i;
  }
  // Every unit beyond the named ones is one unit, never a named one.
  EXPECT_EQ(items[5].unit, kOtherUnit);
  // A text event without its text still points at one: an empty text.
  EXPECT_EQ(items[6].value.dataType, 0x0608u);
  EXPECT_STREQ(reinterpret_cast<const char*>(items[6].value.payload), "");
}

}  // namespace
}  // namespace vyn::profiling
