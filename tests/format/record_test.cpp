// The record cursor: verification of one record, handing out its messages,
// and why a record is refused.
#include "format/record_cursor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    RecordFaultKind kind;
    std::optional<std::size_t> message;
    std::string words;
  };
  // Events that share one name copy it once each: 20 copies of 1000 bytes.
  const std::string sharing = vyn::testing::sharedNameRecord(20, 1000);
  const Refused refused[] = {
      {{}, RecordFaultKind::Malformed, std::nullopt, "empty record (length prefix 0)"},
      // A root offset, a vtable offset and two vtable sizes take 12 bytes.
      {Bytes(11), RecordFaultKind::Malformed, std::nullopt, "record of 11 bytes is too short to hold a record"},
      {Bytes(16, 0xFF), RecordFaultKind::Malformed, std::nullopt, "root offset 4294967295 points outside the record"},
      {buildRecord(Record{}.with(untimed)), RecordFaultKind::Malformed, 0,
       "message 0 has no timing (a required field)"},
      {Bytes(sharing.begin(), sharing.end()), RecordFaultKind::CopiesTooMuch, std::nullopt,
       vyn::testing::copyBudgetReason(20'000, sharing.size())},
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
    EXPECT_EQ(fault->kind, record.kind);
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

}  // namespace
}  // namespace vyn::profiling
