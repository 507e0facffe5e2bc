// Conversion of a record's event tables into ProfileEvent trees that outlive the
// record: typed values, pooled texts, defaults of absent fields, nesting.
#include "capture/event_conversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <list>
#include <string>

#include "capture/capture_fixture.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using vyn::testing::Event;
using vyn::testing::names;

// Converts the events of one message; the record's bytes are gone afterwards.
std::vector<ProfileEvent> convert(std::list<std::string>& pool, std::vector<Event> events) {
  vyn::testing::Record record;
  record.with(vyn::testing::Message::of(1)).messages->front().events = std::move(events);
  const std::vector<std::uint8_t> bytes = vyn::testing::buildRecord(record);
  std::vector<ProfileEvent> out;
  convertEvents(pool, flatbuffers::GetRoot<fb::ProfileLogRecord>(bytes.data())->messages()->Get(0)->events(), out);
  return out;
}

Event ofKind(std::uint32_t kind) {
  Event event = Event::named("x");
  event.valueKind = kind;
  return event;
}

TEST(EventConversion, EntryWithoutFieldsGetsTheDefaults) {
  std::list<std::string> pool;
  const auto events = convert(pool, {Event{}});
  ASSERT_EQ(events.size(), 1u);
  const ProfileEvent& event = events[0];
  EXPECT_EQ(event.identifier, 0u);
  EXPECT_EQ(event.name, "null");
  EXPECT_EQ(event.detailText, "");
  EXPECT_EQ(event.unit, 0u);
  EXPECT_EQ(event.auxValue, 0u);
  EXPECT_EQ(event.mergeCount, 1u);
  EXPECT_EQ(event.value.dataType, 0x7FFFFFFFu);
  EXPECT_EQ(event.value.payload, 0u);
  EXPECT_THAT(event.bytes, IsEmpty());
  EXPECT_THAT(event.subEvents, IsEmpty());
  EXPECT_THAT(pool, IsEmpty());
}

TEST(EventConversion, TypedValues) {
  struct Case {
    Event entry;
    std::uint32_t dataType;
    std::uint64_t payload;
  };
  Event unknownKind = ofKind(7);
  unknownKind.unsignedValue = 5;
  unknownKind.stringValue = "eight";
  unknownKind.bytesValue = std::vector<std::uint8_t>{9};
  const Case cases[] = {
      {Event::named("s").i64(-5), 0x0064, static_cast<std::uint64_t>(-5)},
      {Event::named("u").u64(~0ull), 0x0164, ~0ull},
      {ofKind(2), 0x0164, 0},                       // kind without its value field
      {Event::named("f").f32(1.5f), 0x0232, 0x3FC00000},
      {Event::named("f").f32(-2.0f), 0x0232, 0xC0000000},  // sign stays in the low half
      {Event::named("d").f64(-0.25), 0x0264, 0xBFD0000000000000},
      {ofKind(0), 0x7FFFFFFF, 0},
      {unknownKind, 0x7FFFFFFF, 0},
  };
  for (const Case& c : cases) {
    std::list<std::string> pool;
    const auto events = convert(pool, {c.entry});
    EXPECT_EQ(events.at(0).value.dataType, c.dataType) << c.entry.name.value_or("");
    EXPECT_EQ(events.at(0).value.payload, c.payload) << c.entry.name.value_or("");
    EXPECT_THAT(events.at(0).bytes, IsEmpty()) << c.entry.name.value_or("");
    EXPECT_THAT(pool, IsEmpty());
  }
}

TEST(EventConversion, ByteValuesGoToTheByteVector) {
  std::list<std::string> pool;
  const auto events = convert(pool, {Event::named("blob").data({1, 2, 3})});
  EXPECT_EQ(events.at(0).value.dataType, 0x7FFFFFFFu);
  EXPECT_EQ(events.at(0).value.payload, 0u);
  EXPECT_THAT(events.at(0).bytes, ElementsAre(1, 2, 3));
}

TEST(EventConversion, EachTextValueGetsItsOwnPooledCopy) {
  std::list<std::string> pool;
  const auto events = convert(pool, {Event::named("a").text("same"), Event::named("b").text("same"), ofKind(6)});
  ASSERT_EQ(events.size(), 3u);
  EXPECT_THAT(pool, ElementsAre("same", "same", ""));
  for (const ProfileEvent& event : events) EXPECT_EQ(event.value.dataType, 0x0608u);
  auto it = pool.begin();
  for (const ProfileEvent& event : events)
    EXPECT_EQ(reinterpret_cast<const char*>(event.value.payload), (it++)->c_str());
}

TEST(EventConversion, NestedEventsKeepTheirShapeAndOrder) {
  std::list<std::string> pool;
  const auto events = convert(pool, {
      Event::named("top", 1)
          .sub(Event::named("child1", 2).sub(Event::named("grandchild", 3).sub(Event::named("leaf", 4))))
          .sub(Event::named("child2", 5)),
      Event::named("next", 6),
  });
  ASSERT_THAT(names(events), ElementsAre("top", "next"));
  ASSERT_THAT(names(events[0].subEvents), ElementsAre("child1", "child2"));
  const ProfileEvent& grandchild = events[0].subEvents[0].subEvents.at(0);
  EXPECT_EQ(grandchild.identifier, 3u);
  EXPECT_EQ(grandchild.mergeCount, 1u);
  ASSERT_THAT(names(grandchild.subEvents), ElementsAre("leaf"));
  EXPECT_EQ(grandchild.subEvents[0].mergeCount, 1u);
}

}  // namespace
}  // namespace vyn::profiling
