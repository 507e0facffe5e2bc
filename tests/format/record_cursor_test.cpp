// The record cursor: verification of one record with the reader's verifier
// limits, and handing out its messages.
#include "format/flat_buffer_reader_util.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "log/captured_log.h"
#include "support/log_builder.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using vyn::testing::Event;
using vyn::testing::Message;
using vyn::testing::Record;
using Bytes = std::vector<std::uint8_t>;

const std::string kCorrupted = "Corrupted flatbuffer binary stream";
const std::string kNoMore = "profiling::FlatBufferReaderUtil no more messages! (Message Counter: ";

std::shared_ptr<Bytes> share(Bytes bytes) { return std::make_shared<Bytes>(std::move(bytes)); }
std::shared_ptr<Bytes> recordOf(const Record& record) { return share(vyn::testing::buildRecord(record)); }

TEST(RecordCursor, HandsOutMessagesInOrderThenNone) {
  vyn::testing::CapturedLog log;
  FlatBufferReaderUtil cursor;
  Record emptyVector;
  emptyVector.messages.emplace();
  const auto empty = recordOf(emptyVector);
  ASSERT_TRUE(cursor.initialize(empty));
  EXPECT_EQ(cursor.getNextMessage(), nullptr);

  const auto three = recordOf(Record{}.with(Message::of(1).at(11)).with(Message::of(2).at(22)).with(Message::of(6).at(33)));
  ASSERT_TRUE(cursor.initialize(three));
  std::vector<std::uint64_t> timestamps;
  while (const fb::MethodMessage* message = cursor.getNextMessage()) timestamps.push_back(message->timestamp()->value());
  EXPECT_THAT(timestamps, ElementsAre(11u, 22u, 33u));
  EXPECT_EQ(cursor.getNextMessage(), nullptr);
  EXPECT_THAT(log.debugs(), ElementsAre(kNoMore + "0)", kNoMore + "3)", kNoMore + "3)"));
  EXPECT_THAT(log.errors(), ::testing::IsEmpty());
}

TEST(RecordCursor, ShortRecordsAreCorrupt) {
  const Bytes valid = vyn::testing::buildRecord(Record{}.with(Message::of(1)));
  for (const std::size_t size : {0, 4, 11}) {
    vyn::testing::CapturedLog log;
    EXPECT_FALSE(FlatBufferReaderUtil().initialize(share(Bytes(valid.begin(), valid.begin() + size)))) << size;
    EXPECT_THAT(log.errors(), ElementsAre(kCorrupted)) << size;
  }
}

// Root, message and the nested events: 64 tables deep verify, 65 do not.
TEST(RecordCursor, TablesNestUpTo64Deep) {
  for (const int depth : {64, 65}) {
    Event event = Event::named("level", 1);
    for (int level = 4; level <= depth; ++level) event = Event::named("level", 1).sub(event);
    vyn::testing::CapturedLog log;
    FlatBufferReaderUtil cursor;
    EXPECT_EQ(cursor.initialize(recordOf(Record{}.with(Message::of(1).event(event)))), depth == 64);
    EXPECT_EQ(log.errors(), depth == 64 ? std::vector<std::string>{} : std::vector<std::string>{kCorrupted});
  }
}

// Far more tables than the library's default limit of one million.
TEST(RecordCursor, RecordWithMoreThanAMillionTablesVerifies) {
  flatbuffers::FlatBufferBuilder fbb;
  std::vector<flatbuffers::Offset<fb::EventEntry>> events(1'000'000);
  for (auto& event : events) event = fb::CreateEventEntry(fbb);
  const auto eventVector = fbb.CreateVector(events);
  const auto timestamp = fb::CreateMessageTimestamp(fbb, 5);
  const auto timing = fb::CreateMethodTiming(fbb);
  fb::MethodMessageBuilder message(fbb);
  message.add_timestamp(timestamp);
  message.add_timing(timing);
  message.add_events(eventVector);
  const auto messageOffset = message.Finish();
  fbb.Finish(fb::CreateProfileLogRecord(fbb, 0, fbb.CreateVector(&messageOffset, 1)));
  const auto bytes = share(Bytes(fbb.GetBufferPointer(), fbb.GetBufferPointer() + fbb.GetSize()));

  flatbuffers::Verifier defaultLimits(bytes->data(), bytes->size());
  ASSERT_FALSE(defaultLimits.VerifyBuffer<fb::ProfileLogRecord>(nullptr));
  FlatBufferReaderUtil cursor;
  ASSERT_TRUE(cursor.initialize(bytes));
  const fb::MethodMessage* first = cursor.getNextMessage();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->events()->size(), 1'000'000u);
}

// A hand-made record whose header holds its 8-byte epoch timestamp at an offset
// that is a multiple of four but not of eight: scalars need no alignment.
TEST(RecordCursor, UnalignedScalarsAreAccepted) {
  Bytes bytes(44, 0);
  const auto put = [&](std::size_t at, auto value) { std::memcpy(&bytes[at], &value, sizeof value); };
  const std::pair<int, int> vtables[] = {{4, 8}, {6, 8}, {8, 4}, {10, 0},     // root: header at +4
                                          {20, 8}, {22, 12}, {24, 0}, {26, 4}};  // header: epoch at +4
  for (const auto& [at, value] : vtables) put(at, static_cast<std::uint16_t>(value));
  put(0, std::uint32_t{12});       // root table at 12
  put(12, std::uint32_t{8});       // root table: vtable at 4
  put(16, std::uint32_t{16});      //   header table at 32
  put(32, std::uint32_t{12});      // header table: vtable at 20
  put(36, std::uint64_t{1234567});
  const auto shared = share(bytes);
  flatbuffers::Verifier::Options aligned;
  aligned.check_alignment = true;
  ASSERT_FALSE(flatbuffers::Verifier(shared->data(), shared->size(), aligned).VerifyBuffer<fb::ProfileLogRecord>(nullptr));

  FlatBufferReaderUtil cursor;
  ASSERT_TRUE(cursor.initialize(shared));
  ASSERT_NE(cursor.getHeader(), nullptr);
  EXPECT_EQ(cursor.getHeader()->epochTimestamp(), 1234567u);
}

}  // namespace
}  // namespace vyn::profiling
