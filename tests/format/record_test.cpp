// The record cursor: verification of one record with the reader's verifier
// limits, and handing out its messages; why a record is refused.
#include "format/record_cursor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "log/captured_log.h"
#include "support/log_builder.h"
#include "support/shared_name_record.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using vyn::testing::buildRecord;
using vyn::testing::Message;
using vyn::testing::Record;
using Bytes = std::vector<std::uint8_t>;

const std::string kNoMore = "profiling::FlatBufferReaderUtil no more messages! (Message Counter: ";

// Puts the cursor on the record when it verifies, as a scanner hands it on.
bool initialize(RecordCursor& cursor, const Bytes& bytes) {
  if (bytes.empty() || !verifyRecord(bytes.data(), bytes.size())) return false;
  cursor.attach(bytes.data());
  return true;
}

// Messages come in order, then none until the next record; a refused record
// does not move the cursor, and its fault names the part that fails.
TEST(RecordCursor, HandsOutMessagesInOrderAndKeepsThemOverARefusedRecord) {
  Message untimed = Message::of(1).at(11);
  untimed.hasTiming = false;
  struct Refused {
    Bytes bytes;
    std::optional<std::size_t> message;
    std::string words;
  };
  const Refused refused[] = {
      {{}, std::nullopt, "empty record (length prefix 0)"},
      // A root offset, a vtable offset and two vtable sizes take 12 bytes.
      {Bytes(11), std::nullopt, "record of 11 bytes is too short to hold a record"},
      {Bytes(16, 0xFF), std::nullopt, "root offset 4294967295 points outside the record"},
      {buildRecord(Record{}.with(untimed)), 0, "message 0 has no timing (a required field)"},
  };
  Record three = Record{}.with(Message::of(1).at(11)).with(Message::of(2).at(22)).with(Message::of(6).at(33));
  three.header.emplace().epochTimestamp = 77;
  const Bytes threeBytes = buildRecord(three);
  const Bytes empty = buildRecord(Record{std::nullopt, std::vector<Message>{}});

  vyn::testing::CapturedLog log;
  RecordCursor cursor;
  ASSERT_TRUE(initialize(cursor, empty));
  EXPECT_EQ(cursor.getNextMessage(), nullptr);
  ASSERT_TRUE(initialize(cursor, threeBytes));
  EXPECT_EQ(findRecordFault(threeBytes.data(), threeBytes.size()), std::nullopt);
  std::vector<std::uint64_t> timestamps{cursor.getNextMessage()->timestamp()->value()};
  for (const Refused& record : refused) {
    EXPECT_FALSE(initialize(cursor, record.bytes)) << record.words;
    const auto fault = findRecordFault(record.bytes.data(), record.bytes.size());
    ASSERT_TRUE(fault) << record.words;
    EXPECT_EQ(fault->kind, RecordFaultKind::Malformed);
    EXPECT_EQ(fault->message, record.message);
    EXPECT_EQ(fault->words, record.words);
  }
  while (const fb::MethodMessage* next = cursor.getNextMessage()) timestamps.push_back(next->timestamp()->value());
  EXPECT_THAT(timestamps, ElementsAre(11u, 22u, 33u));
  EXPECT_EQ(cursor.getNextMessage(), nullptr);
  ASSERT_NE(cursor.getHeader(), nullptr);
  EXPECT_EQ(cursor.getHeader()->epochTimestamp(), 77u);
  EXPECT_THAT(log.debugs(), ElementsAre(kNoMore + "0)", kNoMore + "3)", kNoMore + "3)"));

  // Too large is told by the size alone, before any byte is read.
  const auto large = findRecordFault(threeBytes.data(), kMaxRecordSize);
  ASSERT_TRUE(large);
  EXPECT_EQ(large->kind, RecordFaultKind::TooLarge);
  EXPECT_EQ(large->words, "record of 2147483647 bytes is larger than the verifier accepts");
}

// Far more tables than the library's default limit of one million.
TEST(RecordCursor, RecordWithMoreThanAMillionTablesVerifies) {
  flatbuffers::FlatBufferBuilder fbb;
  std::vector<flatbuffers::Offset<fb::EventEntry>> events(1'000'000);
  for (auto& event : events) event = fb::CreateEventEntry(fbb);
  const auto message = fb::CreateMethodMessage(fbb, fb::CreateMessageTimestamp(fbb, 5), 1, fb::CreateMethodTiming(fbb),
                                               0, fbb.CreateVector(events));
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
  const std::pair<int, int> vtables[] = {{4, 8},  {6, 8},   {8, 4},  {10, 0},   // root: header at +4
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

// A record of 20 events sharing one name whose copy exceeds four times its size
// by exactly `excess` bytes (0: fills the budget exactly), found by growing the
// shared name and the message's own name byte by byte (padding makes the record
// grow in steps of four).
Bytes recordOverBudgetBy(std::int64_t excess) {
  for (std::size_t shared = 100; shared < 112; ++shared) {
    for (std::size_t own = 0; own < 1024; ++own) {
      const std::string bytes = vyn::testing::sharedNameRecord(20, shared, own);
      const auto copied = static_cast<std::int64_t>(20 * shared + own);
      if (copied - 4 * static_cast<std::int64_t>(bytes.size()) == excess) return Bytes(bytes.begin(), bytes.end());
    }
  }
  ADD_FAILURE() << "no record copies " << excess << " bytes more than its budget";
  return {};
}

// Events that share one name copy it once each: a record whose copies fill four
// times its size is read, one byte more is refused, and the fault says by how much.
TEST(RecordFault, CopiesUpToFourTimesTheRecordsSizeAreAllowed) {
  const Bytes exact = recordOverBudgetBy(0);
  const Bytes over = recordOverBudgetBy(1);
  ASSERT_FALSE(exact.empty());
  ASSERT_FALSE(over.empty());
  RecordCursor cursor;
  EXPECT_TRUE(initialize(cursor, exact));
  EXPECT_EQ(findRecordFault(exact.data(), exact.size()), std::nullopt);
  EXPECT_FALSE(initialize(cursor, over));
  const auto fault = findRecordFault(over.data(), over.size());
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->kind, RecordFaultKind::CopiesTooMuch);
  EXPECT_EQ(fault->words, vyn::testing::copyBudgetReason(4 * over.size() + 1, over.size()));
}

}  // namespace
}  // namespace vyn::profiling
