// Logs made to hurt the reader. Whatever the framing or the content, a load says
// what was wrong and never allocates for what is not in the file; the reports
// write nothing outside the working directory, and a CSV path that cannot be a
// file fails them before they print or save anything.
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "log/captured_log.h"
#include "plugin/vyn_profile_log_reader_xtu.h"
#include "profile_log_generated.h"
#include "report/report_test_util.h"
#include "support/log_builder.h"

namespace vyn::testing {

// The largest single allocation since it was last set to 0 (allocation_probe.cpp).
extern std::atomic<std::size_t> largestAllocation;

namespace {

namespace fs = std::filesystem;
namespace fb = profiling::fb;
using profiling::EventItem;
using profiling::LogModel;
using profiling::Occurrence;
using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;
using profiling::VynProfileLogReaderXtu;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

constexpr int kExecute = 1;

// The first event of an occurrence.
EventItem firstEvent(const LogModel& model, const Occurrence& occurrence) {
  const profiling::EventList events = model.list(occurrence.events);
  return events.item(*events.begin(), 0);
}

// ROOT/input.log is the log under test; ROOT/work is the working directory.
class HostileLog : public ScratchWork {
 protected:
  // Loads the log into a fresh reader, keeping the largest allocation made meanwhile.
  bool load(const LogBuilder& log) {
    log.writeTo(logPath);
    return loadFrom(logPath);
  }
  bool loadFrom(const std::string& path) {
    reader = std::make_unique<VynProfileLogReaderXtu>(path, VisibilityLevel::All);
    largestAllocation = 0;
    const bool loaded = reader->loadLog(true);
    largest = largestAllocation;
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
  const LogBuilder log = LogBuilder().lengthPrefix(0xFFFFFFFF).raw(Bytes(100, 0x5A));
  const std::string truncated = "Truncated record: 4294967295 bytes announced, 100 available";
  expectRejected(log, truncated);
  EXPECT_LT(largest, 4096u);

  // From a pipe, whose size is not known up front: at most a read chunk, far
  // below the 4 GiB announced.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], log.bytes().data(), log.bytes().size()), 104);
  ::close(ends[1]);
  diagnostics.clear();
  EXPECT_FALSE(loadFrom("/proc/self/fd/" + std::to_string(ends[0])));
  ::close(ends[0]);
  EXPECT_THAT(diagnostics.errors(), ElementsAre(truncated));
  EXPECT_LT(largest, 64u << 20);
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
  const LogModel& model = reader->model();
  const profiling::EventList events = model.list(model.executions.at(0).occurrences.at(0).events);
  ASSERT_EQ(events.rowCount(), std::size_t{kDeepestEventLevel});
  EXPECT_EQ((events.end() - 1)->depth, kDeepestEventLevel - 1);
  report(*reader, "report.csv");

  expectRejected(deepLog(kDeepestEventLevel + 1), "Corrupted flatbuffer binary stream");
}

TEST_F(HostileLog, HundredThousandMessagesInOneRecordAreAllProcessed) {
  constexpr std::size_t kMessages = 100000;
  std::vector<Message> messages;
  for (std::size_t i = 0; i < kMessages; ++i)
    messages.push_back(Message::of(kExecute).named(i % 2 == 1 ? "b" : "a").at(i).lasting(10));
  ASSERT_TRUE(load(LogBuilder().messages(std::move(messages))));
  const auto& executions = reader->model().executions;
  ASSERT_EQ(executions.size(), 2u);
  EXPECT_EQ(executions[0].occurrences.size(), kMessages / 2);
  EXPECT_EQ(executions[1].occurrences.back().timestamp, kMessages - 1);
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
  const LogModel& model = reader->model();
  ASSERT_EQ(model.executions.size(), 2u) << "both names with a NUL byte read as g";
  EXPECT_EQ(model.text(model.executions[0].graph), "g");
  ASSERT_EQ(model.executions[0].occurrences.size(), 2u);
  EXPECT_EQ(firstEvent(model, model.executions[0].occurrences[0]).name, "ev");
  EXPECT_EQ(model.text(model.executions[1].graph), invalid);
  const EventItem text = firstEvent(model, model.executions[1].occurrences.at(0));
  EXPECT_EQ(text.name, invalid);
  EXPECT_EQ(reinterpret_cast<const char*>(text.value.payload), invalid);
  EXPECT_EQ(model.header.value().backendVersion, invalid);
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
// than they hold. Such a record is refused before it can take the host's memory;
// the records before it stay loaded.
TEST_F(HostileLog, RecordsThatShareOffsetsAreRefused) {
  // Every event lists the same child twice: 2^40 events.
  flatbuffers::FlatBufferBuilder doubling;
  const auto twin = doubling.CreateString("twin");
  auto child = fb::CreateEventEntry(doubling, twin, 1, 5);
  for (int level = 0; level < 40; ++level)
    child = fb::CreateEventEntry(doubling, twin, 0, 0, 0,
                                 doubling.CreateVector(EventOffsets{child, child}));
  // 4000 events, or 1000 sub-events of one event, that all point at one 64 KiB byte value.
  const auto blobEvents = [](flatbuffers::FlatBufferBuilder& builder, int count) {
    const auto blob = builder.CreateVector(Bytes(64 * 1024, 0x42));
    EventOffsets events;
    for (int i = 0; i < count; ++i)
      events.push_back(fb::CreateEventEntry(builder, 0, 0, 0, 0, 0, fb::EventValueKind_Bytes, 0, 0, blob));
    return events;
  };
  flatbuffers::FlatBufferBuilder sharing;
  flatbuffers::FlatBufferBuilder nested;
  const EventOffsets entries = blobEvents(sharing, 4000);
  const auto parent = fb::CreateEventEntry(nested, 0, 0, 0, 0, nested.CreateVector(blobEvents(nested, 1000)));

  const Bytes records[] = {finishExecutionRecord(doubling, {child}), finishExecutionRecord(sharing, entries),
                           finishExecutionRecord(nested, {parent})};
  for (const Bytes& record : records) {
    SCOPED_TRACE(record.size());
    expectRejected(LogBuilder().messages({Message::of(kExecute).named("before").lasting(5)}).frame(record),
                   "Corrupted flatbuffer binary stream");
    const auto& executions = reader->model().executions;
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(reader->model().text(executions[0].graph), "before");
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
