// Logs made to hurt the reader. Whatever the framing or the content, a load says
// what was wrong and never allocates for what is not in the file; the reports
// write nothing outside the working directory, and a CSV path that cannot be a
// file fails them before they print or save anything.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hostile/allocation_probe.h"
#include "profile_log_generated.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "report/report_test_util.h"
#include "support/log_builder.h"

namespace vyn::testing {
namespace {

namespace fs = std::filesystem;
namespace fb = profiling::fb;
using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;
using profiling::VynProfileLogReaderXtu;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

constexpr int kExecute = 1;

// ROOT/input.log is the log under test; ROOT/work is the working directory.
class HostileLog : public ScratchWork {
 protected:
  // Loads the log into a fresh reader, keeping the largest allocation made meanwhile.
  bool load(const LogBuilder& log) {
    log.writeTo(logPath);
    reader = std::make_unique<VynProfileLogReaderXtu>(logPath, VisibilityLevel::All);
    resetLargestAllocation();
    const bool loaded = reader->loadLog(true);
    largest = largestAllocation();
    return loaded;
  }

  void expectRejected(const LogBuilder& log, const std::string& error) {
    diagnostics.clear();
    EXPECT_FALSE(load(log));
    EXPECT_THAT(diagnostics.errors(), ElementsAre(error));
  }

  const std::string logPath = root.file("input.log");
  CapturedLog diagnostics;
  std::unique_ptr<VynProfileLogReaderXtu> reader;
  std::size_t largest = 0;
};

TEST_F(HostileLog, LengthPrefixPastTheEndIsATruncatedRecordAndAllocatesNothingForIt) {
  expectRejected(LogBuilder().lengthPrefix(0xFFFFFFFF).raw(Bytes(100, 0x5A)),
                 "Truncated record: 4294967295 bytes announced, 100 available");
  EXPECT_LT(largest, 4096u);
}

TEST_F(HostileLog, EventsNestedToTheDepthLimitLoadAndOneLevelDeeperAreRejected) {
  // The record's root table and the message are two nested tables; with this
  // many levels of events below them the record reaches the verifier's limit of 64.
  constexpr int kDeepestEventLevel = 62;
  const auto deepLog = [](int levels) {
    Event chain = Event::named("level", 1);
    for (int level = 1; level < levels; ++level) chain = Event::named("level", 1).sub(chain);
    return LogBuilder().messages({Message::of(kExecute).named("deep").lasting(20).event(chain)});
  };
  ASSERT_TRUE(load(deepLog(kDeepestEventLevel)));
  int depth = 0;
  for (const auto* level = &reader->executeSeries.at(0).stats.at(0).subEvents; !level->empty();
       level = &level->front().subEvents)
    ++depth;
  EXPECT_EQ(depth, kDeepestEventLevel);
  report(*reader, "report.csv");

  expectRejected(deepLog(kDeepestEventLevel + 1), "Corrupted flatbuffer binary stream");
}

TEST_F(HostileLog, HundredThousandMessagesInOneRecordAreAllProcessed) {
  constexpr std::size_t kMessages = 100000;
  std::vector<Message> messages;
  for (std::size_t i = 0; i < kMessages; ++i)
    messages.push_back(Message::of(kExecute).named(i % 2 == 1 ? "b" : "a").at(i).lasting(10));
  ASSERT_TRUE(load(LogBuilder().messages(std::move(messages))));
  ASSERT_EQ(reader->executeSeries.size(), 2u);
  EXPECT_EQ(reader->executeSeries[0].stats.size(), kMessages / 2);
  EXPECT_EQ(reader->executeSeries[1].stats.back().timestamp, kMessages - 1);
  EXPECT_THAT(
      diagnostics.debugs(),
      Contains("profiling::FlatBufferReaderUtil no more messages! (Message Counter: 100000)"));
  report(*reader, "report.csv");
}

// Message and event names are C strings to the reader: an embedded NUL byte ends
// them. The log format promises UTF-8 but nothing checks it; bytes that are not
// UTF-8 are kept exactly, in names, text values and the header.
TEST_F(HostileLog, NamesEndAtANulByteAndInvalidUtf8IsKeptByteForByte) {
  const std::string invalid = "\xFF\xC3\x28tail\xE2\x82";  // lead bytes without continuations
  Record record;
  record.header = Header{};
  record.header->backendVersion = invalid;
  record.with(Message::of(kExecute).named(std::string("g\0one", 5)).lasting(10).event(
      Event::named(std::string("ev\0hidden", 9), 7).u64(1)));
  record.with(Message::of(kExecute).named(std::string("g\0two", 5)).lasting(30));
  record.with(Message::of(kExecute).named(invalid).lasting(10).event(Event::named(invalid, 7).text(invalid)));

  ASSERT_TRUE(load(LogBuilder().record(record)));
  ASSERT_EQ(reader->executeSeries.size(), 2u) << "both names with a NUL byte read as g";
  EXPECT_EQ(reader->executeSeries[0].graphName, "g");
  EXPECT_EQ(reader->executeSeries[0].stats.size(), 2u);
  EXPECT_EQ(reader->executeSeries[0].stats.at(0).subEvents.at(0).name, "ev");
  EXPECT_EQ(reader->executeSeries[1].graphName, invalid);
  const ProfileEvent& text = reader->executeSeries[1].stats.at(0).subEvents.at(0);
  EXPECT_EQ(text.name, invalid);
  EXPECT_EQ(reinterpret_cast<const char*>(text.value.payload), invalid);
  EXPECT_EQ(reader->backendVersion, invalid);
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  report(*reader, "report.csv");
}

using EventOffsets = std::vector<flatbuffers::Offset<fb::EventEntry>>;

// Finishes a record holding one execution of graph "shared" with these events.
Bytes finishExecutionRecord(flatbuffers::FlatBufferBuilder& builder, const EventOffsets& events) {
  const auto message =
      fb::CreateMethodMessage(builder, fb::CreateMessageTimestamp(builder, 1), kExecute,
                              fb::CreateMethodTiming(builder, 0, 10), 0,
                              builder.CreateVector(events), builder.CreateString("shared"));
  builder.Finish(
      fb::CreateProfileLogRecord(builder, 0, builder.CreateVector(std::vector{message})));
  return {builder.GetBufferPointer(), builder.GetBufferPointer() + builder.GetSize()};
}

// Offsets may be shared in the format, so a few kilobytes can describe far more
// than they hold. Such a record is refused before it can take the host's memory.
TEST_F(HostileLog, RecordsThatShareOffsetsAreRefused) {
  // Every event lists the same child twice: 2^40 events.
  flatbuffers::FlatBufferBuilder doubling;
  const auto twin = doubling.CreateString("twin");
  auto child = fb::CreateEventEntry(doubling, twin, 1, 5);
  for (int level = 0; level < 40; ++level)
    child = fb::CreateEventEntry(doubling, twin, 0, 0, 0,
                                 doubling.CreateVector(EventOffsets{child, child}));
  // 4000 events that all point at one 64 KiB byte value.
  flatbuffers::FlatBufferBuilder sharing;
  const auto blob = sharing.CreateVector(Bytes(64 * 1024, 0x42));
  EventOffsets entries;
  for (int i = 0; i < 4000; ++i)
    entries.push_back(
        fb::CreateEventEntry(sharing, 0, 0, 0, 0, 0, fb::EventValueKind_Bytes, 0, 0, blob));

  for (const Bytes& record :
       {finishExecutionRecord(doubling, {child}), finishExecutionRecord(sharing, entries)}) {
    SCOPED_TRACE(record.size());
    expectRejected(LogBuilder().frame(record), "Corrupted flatbuffer binary stream");
  }
}

// A binary-section call whose measured event holds object events with these
// names; the back-end report saves their bytes through the call's event tree.
LogBuilder sectionWith(const Texts& fileNames) {
  constexpr int kApplyBinarySection = 11;
  constexpr std::uint32_t kObject = 5;
  Event holder = Event::named("holder", 8).u64(1);
  for (const std::string& name : fileNames)
    holder.sub(Event::named("data", 9).data({0x01, 0x00, 0x02}).withUnit(kObject).withDetail(name));
  return LogBuilder().messages(
      {Message::of(kApplyBinarySection).named("g").at(1).lasting(100).event(holder)});
}

// Names that lead out of the working directory are refused, and a name ends at
// an embedded NUL byte, so what follows it cannot lead anywhere.
TEST_F(HostileLog, DataFilesNamedByTheLogStayInTheWorkingDirectory) {
  ASSERT_TRUE(load(sectionWith({"../escape.bin", std::string("safe.bin\0/../../escape.bin", 26)})));
  report(*reader, "");
  EXPECT_THAT(diagnostics.errors(), ElementsAre("Invalid output fileName: [../escape.bin]"));
  EXPECT_EQ(entriesBelowRoot(), (Texts{"input.log", "work", "work/safe.bin"}));
  EXPECT_EQ(readFile("safe.bin"), std::string("\x01\x00\x02", 3));
}

// A CSV path that cannot be opened (a directory, or in a directory that does not
// exist) fails both reports before they print or save anything.
TEST_F(HostileLog, UnopenableCsvPathFailsBothReportsBeforeTheySaveData) {
  fs::create_directory("reports");
  sectionWith({"data.bin"}).writeTo(logPath);
  VynProfileLogReaderXtu xtu(logPath, VisibilityLevel::All);
  VynProfileLogReader generic(logPath, VisibilityLevel::All);
  ASSERT_TRUE(xtu.loadLog(true) && generic.loadLog(true));
  for (const std::string path : {"reports", "missing/report.csv"}) {
    EXPECT_EQ(report(xtu, path, false), "");
    EXPECT_EQ(report(generic, path, false), "");
    EXPECT_THAT(diagnostics.errors(), ElementsAre("Invalid output csvfile: [" + path + "]",
                                                  "Invalid output file: [" + path + "]"));
    diagnostics.clear();
  }
  EXPECT_EQ(entriesBelowRoot(), (Texts{"input.log", "work", "work/reports"}));
}

}  // namespace
}  // namespace vyn::testing
