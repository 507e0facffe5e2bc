// The record cursor: verification of one record with the reader's verifier
// limits, and handing out its messages.
#include "format/record_cursor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "log/captured_log.h"
#include "support/log_builder.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using vyn::testing::buildRecord;
using vyn::testing::Message;
using vyn::testing::Record;
using Bytes = std::vector<std::uint8_t>;

const std::string kNoMore = "profiling::FlatBufferReaderUtil no more messages! (Message Counter: ";

bool initialize(RecordCursor& cursor, const Bytes& bytes) {
  return cursor.initialize(bytes.data(), bytes.size());
}

// Messages come in order, then none until the next record; a refused record
// leaves the cursor where it was.
TEST(RecordCursor, HandsOutMessagesInOrderAndKeepsThemOverARefusedRecord) {
  const Bytes refused[] = {{}, Bytes(11), Bytes(16, 0xFF)};
  Record three = Record{}.with(Message::of(1).at(11)).with(Message::of(2).at(22)).with(Message::of(6).at(33));
  three.header.emplace().epochTimestamp = 77;
  const Bytes threeBytes = buildRecord(three);
  const Bytes empty = buildRecord(Record{std::nullopt, std::vector<Message>{}});

  vyn::testing::CapturedLog log;
  RecordCursor cursor;
  ASSERT_TRUE(initialize(cursor, empty));
  EXPECT_EQ(cursor.getNextMessage(), nullptr);
  ASSERT_TRUE(initialize(cursor, threeBytes));
  std::vector<std::uint64_t> timestamps{cursor.getNextMessage()->timestamp()->value()};
  for (const Bytes& bytes : refused) EXPECT_FALSE(initialize(cursor, bytes)) << bytes.size();
  EXPECT_FALSE(cursor.initialize(nullptr, 0));
  while (const fb::MethodMessage* next = cursor.getNextMessage())
    timestamps.push_back(next->timestamp()->value());
  EXPECT_THAT(timestamps, ElementsAre(11u, 22u, 33u));
  EXPECT_EQ(cursor.getNextMessage(), nullptr);
  ASSERT_NE(cursor.getHeader(), nullptr);
  EXPECT_EQ(cursor.getHeader()->epochTimestamp(), 77u);
  EXPECT_THAT(log.debugs(), ElementsAre(kNoMore + "0)", kNoMore + "3)", kNoMore + "3)"));
  EXPECT_EQ(log.errors(), std::vector<std::string>(4, "Corrupted flatbuffer binary stream"));
}

// Far more tables than the library's default limit of one million.
TEST(RecordCursor, RecordWithMoreThanAMillionTablesVerifies) {
  flatbuffers::FlatBufferBuilder fbb;
  std::vector<flatbuffers::Offset<fb::EventEntry>> events(1'000'000);
  for (auto& event : events) event = fb::CreateEventEntry(fbb);
  const auto message = fb::CreateMethodMessage(fbb, fb::CreateMessageTimestamp(fbb, 5), 1,
                                               fb::CreateMethodTiming(fbb), 0, fbb.CreateVector(events));
  fbb.Finish(fb::CreateProfileLogRecord(fbb, 0, fbb.CreateVector(&message, 1)));
  const Bytes bytes(fbb.GetBufferPointer(), fbb.GetBufferPointer() + fbb.GetSize());

  ASSERT_FALSE(flatbuffers::Verifier(bytes.data(), bytes.size()).VerifyBuffer<fb::ProfileLogRecord>());
  RecordCursor cursor;
  ASSERT_TRUE(initialize(cursor, bytes));
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
  put(0, std::uint32_t{12});   // root table at 12
  put(12, std::uint32_t{8});   // root table: vtable at 4
  put(16, std::uint32_t{16});  //   header table at 32
  put(32, std::uint32_t{12});  // header table: vtable at 20
  put(36, std::uint64_t{1234567});
  flatbuffers::Verifier::Options aligned;
  aligned.check_alignment = true;
  flatbuffers::Verifier alignedVerifier(bytes.data(), bytes.size(), aligned);
  ASSERT_FALSE(alignedVerifier.VerifyBuffer<fb::ProfileLogRecord>());

  RecordCursor cursor;
  ASSERT_TRUE(initialize(cursor, bytes));
  ASSERT_NE(cursor.getHeader(), nullptr);
  EXPECT_EQ(cursor.getHeader()->epochTimestamp(), 1234567u);
}

}  // namespace
}  // namespace vyn::profiling
