// The record cursor (verification of one record with the reader's verifier
// limits, handing out its messages) and the capture and report of the header.
#include "format/flat_buffer_reader_util.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader.h"
#include "support/log_builder.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using vyn::testing::Header;
using vyn::testing::Message;
using vyn::testing::Record;
using Bytes = std::vector<std::uint8_t>;

const std::string kNoMore = "profiling::FlatBufferReaderUtil no more messages! (Message Counter: ";

std::shared_ptr<Bytes> share(Bytes bytes) { return std::make_shared<Bytes>(std::move(bytes)); }
std::shared_ptr<Bytes> recordOf(const Record& record) { return share(vyn::testing::buildRecord(record)); }

TEST(RecordCursor, HandsOutMessagesInOrderThenNone) {
  vyn::testing::CapturedLog log;
  FlatBufferReaderUtil cursor;
  const auto empty = recordOf(Record{std::nullopt, std::vector<Message>{}});  // kept alive while walked
  ASSERT_TRUE(cursor.initialize(empty));
  EXPECT_EQ(cursor.getNextMessage(), nullptr);

  const auto three =
      recordOf(Record{}.with(Message::of(1).at(11)).with(Message::of(2).at(22)).with(Message::of(6).at(33)));
  ASSERT_TRUE(cursor.initialize(three));
  std::vector<std::uint64_t> timestamps;
  while (const fb::MethodMessage* message = cursor.getNextMessage())
    timestamps.push_back(message->timestamp()->value());
  EXPECT_THAT(timestamps, ElementsAre(11u, 22u, 33u));
  EXPECT_EQ(cursor.getNextMessage(), nullptr);
  EXPECT_THAT(log.debugs(), ElementsAre(kNoMore + "0)", kNoMore + "3)", kNoMore + "3)"));
  EXPECT_THAT(log.errors(), ::testing::IsEmpty());
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
  put(0, std::uint32_t{12});   // root table at 12
  put(12, std::uint32_t{8});   // root table: vtable at 4
  put(16, std::uint32_t{16});  //   header table at 32
  put(32, std::uint32_t{12});  // header table: vtable at 20
  put(36, std::uint64_t{1234567});
  const auto shared = share(bytes);
  flatbuffers::Verifier::Options aligned;
  aligned.check_alignment = true;
  ASSERT_FALSE(flatbuffers::Verifier(shared->data(), shared->size(), aligned)
                   .VerifyBuffer<fb::ProfileLogRecord>(nullptr));

  FlatBufferReaderUtil cursor;
  ASSERT_TRUE(cursor.initialize(shared));
  ASSERT_NE(cursor.getHeader(), nullptr);
  EXPECT_EQ(cursor.getHeader()->epochTimestamp(), 1234567u);
}

// Positions the reader's cursor on a record with the header, as the loader
// does, and runs the header capture. The record's bytes must outlive the reader's
// use of the header, hence the returned buffer.
std::shared_ptr<Bytes> capture(VynProfileLogReader& reader, const Header& header) {
  auto bytes = recordOf(Record{header, std::nullopt});
  EXPECT_TRUE(reader.recordCursor.initialize(bytes));
  reader.captureHeader();
  return bytes;
}

TEST(LogHeader, OnlyTheExactUpdaterNameMarksAnUpdaterLog) {
  const std::pair<std::string, bool> cases[] = {
      {"zevir-talvo-updater", true},   {"Zevir-talvo-updater", false}, {"zevir-talvo-updater2", false},
      {"zevir-talvo-update", false},   {" zevir-talvo-updater", false},
      {std::string("zevir-talvo-updater\0x", 21), false},
  };
  for (const auto& [name, updater] : cases) {
    VynProfileLogReader reader("", VisibilityLevel::All);
    Header header;
    header.generatorName = name;
    capture(reader, header);
    EXPECT_TRUE(reader.headerCaptured);
    EXPECT_EQ(reader.generatorName, name);
    EXPECT_EQ(reader.generatedByUpdater, updater) << name;
  }
}

// The generator line needs both name and version; a creation time that does not
// fit the time text (the year 10000) leaves out only its own line. Rendered in
// UTC so that the creation time is fixed.
TEST(LogHeader, ReportLeavesOutWhatIsMissingOrUnprintable) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  const std::string head = "Input Log File Location: /logs/run.bin\n";
  const std::string viewer = "Generated using: \nvyn-profile-viewer: v2.51.0.260929181845\n";
  const std::string epoch = "Log File Created: Thu Jan  1 00:00:00 1970\nTime Scale: 2.5e-05\n"
                            "Epoch Timestamp: 0 Steady Clock Timestamp: 0\n";
  constexpr std::nullopt_t none = std::nullopt;
  // Time scale, epoch and steady clock, version table, generator version, back-end version, generator name.
  const std::pair<Header, std::string> cases[] = {
      {{{2.5e-05f, 0, none, none, none, "xtu-9", "tool"}, false}, head + epoch + viewer + "Backend: xtu-9\n"},
      {{{2.5e-05f, 0, none, none, "1.2.3", none, none}, false}, head + epoch + viewer},
      {{{0.5f, 253'402'300'800'000'000u, 42, none, "1.2.3", "xtu-9", "tool"}, false},
       head + "Time Scale: 0.5\nEpoch Timestamp: 253402300800000000 Steady Clock Timestamp: 42\n" + viewer +
           "tool: 1.2.3\nBackend: xtu-9\n"},
  };
  for (const auto& [header, expected] : cases) {
    VynProfileLogReader reader("/logs/run.bin", VisibilityLevel::All);
    const auto record = capture(reader, header);
    EXPECT_EQ(reader.getHeaderReport(), expected);
  }
}

}  // namespace
}  // namespace vyn::profiling
