// The record cursor: verification of one record with the reader's verifier
// limits, and handing out its messages and its header.
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
using ::testing::IsEmpty;
using vyn::testing::Event;
using vyn::testing::Header;
using vyn::testing::Message;
using vyn::testing::Record;

using Bytes = std::vector<std::uint8_t>;
using SharedBytes = std::shared_ptr<Bytes>;

constexpr const char* kCorrupted = "Corrupted flatbuffer binary stream";

SharedBytes share(Bytes bytes) { return std::make_shared<Bytes>(std::move(bytes)); }
SharedBytes recordOf(const Record& record) { return share(vyn::testing::buildRecord(record)); }

Record threeMessages() {
  return Record{}
      .with(Message::of(1).at(11).named("a"))
      .with(Message::of(2).at(22).named("b"))
      .with(Message::of(6).at(33).named("c"));
}

Record withHeader(const std::string& generatorName) {
  Record record;
  record.header = Header{};
  record.header->generatorName = generatorName;
  return record.with(Message::of(1).at(1));
}

// A chain of events nested `levels` deep below one message.
Event chain(int levels) {
  Event event = Event::named("level", 1);
  if (levels > 1) event.sub(chain(levels - 1));
  return event;
}

class RecordCursorTest : public ::testing::Test {
 protected:
  vyn::testing::CapturedLog log_;
  FlatBufferReaderUtil cursor_;
};

TEST_F(RecordCursorTest, FreshCursorHasNoMessageAndNoHeader) {
  EXPECT_EQ(cursor_.getHeader(), nullptr);
  EXPECT_EQ(cursor_.getNextMessage(), nullptr);
  EXPECT_THAT(log_.debugs(),
              ElementsAre("profiling::FlatBufferReaderUtil no more messages! (Message Counter: 0)"));
}

TEST_F(RecordCursorTest, HandsOutMessagesInOrderThenStaysExhausted) {
  const SharedBytes record = recordOf(threeMessages());
  ASSERT_TRUE(cursor_.initialize(record));
  std::vector<std::uint64_t> timestamps;
  while (const fb::MethodMessage* message = cursor_.getNextMessage())
    timestamps.push_back(message->timestamp()->value());
  EXPECT_THAT(timestamps, ElementsAre(11u, 22u, 33u));
  EXPECT_EQ(cursor_.getNextMessage(), nullptr);
  EXPECT_THAT(log_.debugs(),
              ElementsAre("profiling::FlatBufferReaderUtil no more messages! (Message Counter: 3)",
                          "profiling::FlatBufferReaderUtil no more messages! (Message Counter: 3)"));
  EXPECT_THAT(log_.errors(), IsEmpty());

  // The next record starts counting again.
  const SharedBytes next = recordOf(Record{}.with(Message::of(5).at(44)));
  ASSERT_TRUE(cursor_.initialize(next));
  const fb::MethodMessage* message = cursor_.getNextMessage();
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->timestamp()->value(), 44u);
}

TEST_F(RecordCursorTest, RecordsWithoutMessagesAreValidAndEmpty) {
  Record emptyVector;
  emptyVector.messages.emplace();
  for (const Record& record : {Record{}, emptyVector}) {
    log_.clear();
    const SharedBytes bytes = recordOf(record);
    ASSERT_TRUE(cursor_.initialize(bytes));
    EXPECT_EQ(cursor_.getNextMessage(), nullptr);
    EXPECT_THAT(log_.debugs(), ElementsAre("profiling::FlatBufferReaderUtil no more messages! "
                                           "(Message Counter: 0)"));
  }
}

TEST_F(RecordCursorTest, ShortRecordsAreCorrupt) {
  const Bytes valid = vyn::testing::buildRecord(threeMessages());
  for (const std::size_t size : {std::size_t{0}, std::size_t{4}, std::size_t{11}}) {
    log_.clear();
    EXPECT_FALSE(cursor_.initialize(share(Bytes(valid.begin(), valid.begin() + size)))) << size;
    EXPECT_THAT(log_.errors(), ElementsAre(kCorrupted)) << size;
  }
}

TEST_F(RecordCursorTest, RootOffsetMustPointForwardInsideTheRecord) {
  const Bytes valid = vyn::testing::buildRecord(threeMessages());
  for (const std::uint32_t rootOffset :
       {0u, static_cast<std::uint32_t>(valid.size()), 0x80000000u, 0xFFFFFFFCu}) {
    Bytes bytes = valid;
    std::memcpy(bytes.data(), &rootOffset, sizeof rootOffset);
    log_.clear();
    EXPECT_FALSE(cursor_.initialize(share(bytes))) << rootOffset;
    EXPECT_THAT(log_.errors(), ElementsAre(kCorrupted)) << rootOffset;
  }
}

TEST_F(RecordCursorTest, OneMessageWithoutRequiredTableRejectsTheRecord) {
  Message noTimestamp = Message::of(1);
  noTimestamp.hasTimestamp = false;
  Message noTiming = Message::of(1);
  noTiming.hasTiming = false;
  for (const Message& bad : {noTimestamp, noTiming}) {
    const SharedBytes bytes = recordOf(Record{}.with(Message::of(1).at(1)).with(bad));
    EXPECT_FALSE(cursor_.initialize(bytes));
  }
  EXPECT_THAT(log_.errors(), ElementsAre(kCorrupted, kCorrupted));
}

TEST_F(RecordCursorTest, FailedInitializeKeepsThePreviousRecord) {
  const SharedBytes first = recordOf(withHeader("first").with(Message::of(1).at(2)));
  ASSERT_TRUE(cursor_.initialize(first));
  ASSERT_NE(cursor_.getNextMessage(), nullptr);
  const fb::LogHeader* header = cursor_.getHeader();

  EXPECT_FALSE(cursor_.initialize(share(Bytes(8, 0))));
  EXPECT_EQ(cursor_.getHeader(), header);
  const fb::MethodMessage* message = cursor_.getNextMessage();
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->timestamp()->value(), 2u);
}

TEST_F(RecordCursorTest, HeaderComesFromTheFirstRecordThatCarriesOne) {
  const SharedBytes noHeader = recordOf(threeMessages());
  ASSERT_TRUE(cursor_.initialize(noHeader));
  EXPECT_EQ(cursor_.getHeader(), nullptr);

  const SharedBytes second = recordOf(withHeader("second"));
  ASSERT_TRUE(cursor_.initialize(second));
  ASSERT_NE(cursor_.getHeader(), nullptr);
  EXPECT_STREQ(cursor_.getHeader()->generatorName()->c_str(), "second");

  const SharedBytes third = recordOf(withHeader("third"));
  ASSERT_TRUE(cursor_.initialize(third));
  ASSERT_NE(cursor_.getHeader(), nullptr);
  EXPECT_STREQ(cursor_.getHeader()->generatorName()->c_str(), "second");
}

// Root, message and 62 nested events: 64 tables deep.
TEST_F(RecordCursorTest, TablesNested64DeepVerify) {
  const SharedBytes bytes = recordOf(Record{}.with(Message::of(1).event(chain(62))));
  ASSERT_TRUE(cursor_.initialize(bytes));
  const fb::MethodMessage* message = cursor_.getNextMessage();
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->events()->size(), 1u);
}

TEST_F(RecordCursorTest, TablesNested65DeepAreRejected) {
  const SharedBytes bytes = recordOf(Record{}.with(Message::of(1).event(chain(63))));
  EXPECT_FALSE(cursor_.initialize(bytes));
  EXPECT_THAT(log_.errors(), ElementsAre(kCorrupted));
}

// Far more tables than the library's default limit of one million.
TEST_F(RecordCursorTest, RecordWithMoreThanAMillionTablesVerifies) {
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
  const auto messages = fbb.CreateVector(&messageOffset, 1);
  fbb.Finish(fb::CreateProfileLogRecord(fbb, 0, messages));
  const SharedBytes bytes =
      share(Bytes(fbb.GetBufferPointer(), fbb.GetBufferPointer() + fbb.GetSize()));

  flatbuffers::Verifier defaultLimits(bytes->data(), bytes->size());
  ASSERT_FALSE(defaultLimits.VerifyBuffer<fb::ProfileLogRecord>(nullptr));
  ASSERT_TRUE(cursor_.initialize(bytes));
  const fb::MethodMessage* first = cursor_.getNextMessage();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->events()->size(), 1'000'000u);
}

// A hand-made record whose header holds its epoch timestamp at an offset that is
// a multiple of four but not of eight.
Bytes recordWithUnalignedTimestamp() {
  Bytes bytes(44, 0);
  auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&bytes[at], &v, 2); };
  auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
  put32(0, 12);                 // root table at 12
  put16(4, 8);                  // root vtable: 8 bytes,
  put16(6, 8);                  //   table of 8 bytes,
  put16(8, 4);                  //   header at table + 4,
  put16(10, 0);                 //   no messages
  put32(12, 12 - 4);            // root table: its vtable is at 4
  put32(16, 32 - 16);           //   header table at 32
  put16(20, 8);                 // header vtable: 8 bytes,
  put16(22, 12);                //   table of 12 bytes,
  put16(24, 0);                 //   no time scale,
  put16(26, 4);                 //   epoch timestamp at table + 4
  put32(32, 32 - 20);           // header table: its vtable is at 20
  const std::uint64_t epoch = 1234567;
  std::memcpy(&bytes[36], &epoch, 8);
  return bytes;
}

TEST_F(RecordCursorTest, UnalignedScalarsAreAccepted) {
  const SharedBytes bytes = share(recordWithUnalignedTimestamp());
  flatbuffers::Verifier::Options aligned;
  aligned.check_alignment = true;
  flatbuffers::Verifier strict(bytes->data(), bytes->size(), aligned);
  ASSERT_FALSE(strict.VerifyBuffer<fb::ProfileLogRecord>(nullptr));

  ASSERT_TRUE(cursor_.initialize(bytes));
  ASSERT_NE(cursor_.getHeader(), nullptr);
  EXPECT_EQ(cursor_.getHeader()->epochTimestamp(), 1234567u);
  EXPECT_EQ(cursor_.getNextMessage(), nullptr);
}

}  // namespace
}  // namespace vyn::profiling
