// Conversion of a record's event tables into ProfileEvent trees that outlive the
// record: typed values, pooled texts, defaults of absent fields, nesting.
#include "capture/event_conversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <list>
#include <string>

#include "capture/capture_fixture.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using vyn::testing::Event;
using vyn::testing::Message;
using vyn::testing::MessageBuffer;

class EventConversionTest : public ::testing::Test {
 protected:
  // Converts the events of one message built from `events`.
  std::vector<ProfileEvent> convert(std::vector<Event> events) {
    Message message = Message::of(1);
    message.events = std::move(events);
    MessageBuffer buffer(message);
    EXPECT_TRUE(buffer.valid());
    std::vector<ProfileEvent> out;
    convertEvents(pool_, buffer[0].events(), out);
    return out;
  }
  ProfileEvent convertOne(Event event) {
    auto events = convert({std::move(event)});
    EXPECT_EQ(events.size(), 1u);
    return events.empty() ? ProfileEvent{} : events.front();
  }

  std::list<std::string> pool_;
};

std::uint64_t bitsOf(double number) {
  std::uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  return bits;
}
std::uint32_t bitsOf(float number) {
  std::uint32_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  return bits;
}

TEST_F(EventConversionTest, EntryWithoutFieldsGetsTheDefaults) {
  const ProfileEvent event = convertOne(Event{});
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
  EXPECT_THAT(pool_, IsEmpty());
}

TEST_F(EventConversionTest, PlainFieldsAreCopied) {
  const ProfileEvent event =
      convertOne(Event::named("dma", 405).withUnit(99).withAux(77).withDetail("out.bin"));
  EXPECT_EQ(event.identifier, 405u);
  EXPECT_EQ(event.name, "dma");
  EXPECT_EQ(event.unit, 99u);  // kept as it is, known or not
  EXPECT_EQ(event.auxValue, 77u);
  EXPECT_EQ(event.detailText, "out.bin");
}

TEST_F(EventConversionTest, TextsEndAtAnEmbeddedNul) {
  Event entry = Event::named(std::string("ab\0cd", 5));
  entry.withDetail(std::string("x\0y", 3));
  const ProfileEvent event = convertOne(entry);
  EXPECT_EQ(event.name, "ab");
  EXPECT_EQ(event.detailText, "x");
}

TEST_F(EventConversionTest, IntegerValues) {
  const ProfileEvent negative = convertOne(Event::named("s").i64(-5));
  EXPECT_EQ(negative.value.dataType, 0x0064u);
  EXPECT_EQ(negative.value.payload, static_cast<std::uint64_t>(-5));

  const ProfileEvent largest =
      convertOne(Event::named("u").u64(std::numeric_limits<std::uint64_t>::max()));
  EXPECT_EQ(largest.value.dataType, 0x0164u);
  EXPECT_EQ(largest.value.payload, std::numeric_limits<std::uint64_t>::max());

  Event kindOnly = Event::named("u");
  kindOnly.valueKind = 2;  // the value field itself is absent
  const ProfileEvent absent = convertOne(kindOnly);
  EXPECT_EQ(absent.value.dataType, 0x0164u);
  EXPECT_EQ(absent.value.payload, 0u);
}

TEST_F(EventConversionTest, FloatValuesKeepTheirBits) {
  const ProfileEvent single = convertOne(Event::named("f").f32(1.5f));
  EXPECT_EQ(single.value.dataType, 0x0232u);
  EXPECT_EQ(single.value.payload, 0x3FC00000u);

  // The sign bit of a single-precision value stays in the low 32 bits.
  const ProfileEvent negative = convertOne(Event::named("f").f32(-2.0f));
  EXPECT_EQ(negative.value.payload, std::uint64_t{bitsOf(-2.0f)});
  EXPECT_EQ(negative.value.payload >> 32, 0u);

  const ProfileEvent dbl = convertOne(Event::named("d").f64(-0.25));
  EXPECT_EQ(dbl.value.dataType, 0x0264u);
  EXPECT_EQ(dbl.value.payload, bitsOf(-0.25));
}

TEST_F(EventConversionTest, ByteValuesGoToTheByteVector) {
  Event entry = Event::named("blob").data({1, 2, 3});
  entry.unsignedValue = 9;  // not the valid field for this kind
  const ProfileEvent event = convertOne(entry);
  EXPECT_EQ(event.value.dataType, 0x7FFFFFFFu);
  EXPECT_EQ(event.value.payload, 0u);
  EXPECT_THAT(event.bytes, ElementsAre(1, 2, 3));

  Event kindOnly = Event::named("blob");
  kindOnly.valueKind = 4;
  EXPECT_THAT(convertOne(kindOnly).bytes, IsEmpty());
}

TEST_F(EventConversionTest, EachTextValueGetsItsOwnPooledCopy) {
  const auto events = convert({Event::named("a").text("same"), Event::named("b").text("same")});
  ASSERT_EQ(events.size(), 2u);
  ASSERT_EQ(pool_.size(), 2u);
  for (const ProfileEvent& event : events) EXPECT_EQ(event.value.dataType, 0x0608u);
  const char* first = reinterpret_cast<const char*>(events[0].value.payload);
  const char* second = reinterpret_cast<const char*>(events[1].value.payload);
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, "same");
  EXPECT_STREQ(second, "same");
  EXPECT_EQ(first, pool_.front().c_str());
  EXPECT_EQ(second, pool_.back().c_str());

  // Without a text the event still points at one: an empty text.
  Event kindOnly = Event::named("t");
  kindOnly.valueKind = 6;
  const ProfileEvent empty = convertOne(kindOnly);
  EXPECT_EQ(empty.value.dataType, 0x0608u);
  ASSERT_NE(empty.value.payload, 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(empty.value.payload), "");
}

TEST_F(EventConversionTest, UnknownKindsCarryNoValue) {
  for (const std::uint32_t kind : {0u, 7u, 0xFFFFFFFFu}) {
    Event entry = Event::named("x");
    entry.valueKind = kind;
    entry.unsignedValue = 5;
    entry.signedValue = 6;
    entry.doubleValue = 7.0;
    entry.stringValue = "eight";
    entry.bytesValue = std::vector<std::uint8_t>{9};
    const ProfileEvent event = convertOne(entry);
    EXPECT_EQ(event.value.dataType, 0x7FFFFFFFu) << kind;
    EXPECT_EQ(event.value.payload, 0u) << kind;
    EXPECT_THAT(event.bytes, IsEmpty()) << kind;
  }
  EXPECT_THAT(pool_, IsEmpty());
}

TEST_F(EventConversionTest, NestedEventsKeepTheirShapeAndOrder) {
  const auto events = convert({
      Event::named("top", 1)
          .sub(Event::named("child1", 2).sub(Event::named("grandchild", 3).sub(Event::named("leaf", 4))))
          .sub(Event::named("child2", 5)),
      Event::named("next", 6),
  });
  ASSERT_THAT(vyn::testing::names(events), ElementsAre("top", "next"));
  const ProfileEvent& top = events[0];
  ASSERT_THAT(vyn::testing::names(top.subEvents), ElementsAre("child1", "child2"));
  const ProfileEvent& grandchild = top.subEvents[0].subEvents.at(0);
  EXPECT_EQ(grandchild.identifier, 3u);
  ASSERT_THAT(vyn::testing::names(grandchild.subEvents), ElementsAre("leaf"));
  EXPECT_EQ(grandchild.subEvents[0].mergeCount, 1u);
  EXPECT_EQ(grandchild.mergeCount, 1u);
  EXPECT_THAT(grandchild.subEvents[0].subEvents, IsEmpty());
}

TEST_F(EventConversionTest, ChildTextsArePooledBeforeTheirParents) {
  convert({Event::named("parent").text("P").sub(Event::named("child").text("C")),
           Event::named("sibling").text("Q")});
  EXPECT_THAT(pool_, ElementsAre("C", "P", "Q"));
}

TEST_F(EventConversionTest, AppendsToTheOutputAndIgnoresAMissingList) {
  std::vector<ProfileEvent> out(1);
  out[0].name = "existing";
  convertEvents(pool_, nullptr, out);
  EXPECT_EQ(out.size(), 1u);

  MessageBuffer buffer(Message::of(1).event(Event::named("new")));
  convertEvents(pool_, buffer[0].events(), out);
  EXPECT_THAT(vyn::testing::names(out), ElementsAre("existing", "new"));
}

}  // namespace
}  // namespace vyn::profiling
