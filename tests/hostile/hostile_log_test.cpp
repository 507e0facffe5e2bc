// Logs made to hurt the reader. Whatever the framing or the content, a load keeps
// every record before a bad one, says what was wrong, and never allocates for
// what is not in the file; the reports write nothing outside the working
// directory, and a CSV path that cannot be a file fails them before they print.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "hostile/allocation_probe.h"
#include "log/captured_log.h"
#include "profile_log_generated.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::testing {
namespace {

namespace fs = std::filesystem;
using profiling::ProfileEvent;
using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;
using profiling::VynProfileLogReaderXtu;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

constexpr int kExecute = 1;

// Everything written to descriptor 1, through std::cout or stdio, while body runs.
template <typename Body>
std::string capturedStdout(Body body) {
  TempDir dir;
  const auto flush = [] {
    std::cout.flush();
    std::fflush(stdout);
  };
  flush();
  const int saved = ::dup(STDOUT_FILENO);
  const int file = ::open(dir.file("stdout").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (saved < 0 || file < 0) throw std::runtime_error("cannot capture standard output");
  ::dup2(file, STDOUT_FILENO);
  ::close(file);
  body();
  flush();
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  return readFile(dir.file("stdout"));
}

// ROOT/input.log is the log under test; ROOT/work is the working directory.
class HostileLog : public ::testing::Test {
 protected:
  // A log whose first record holds one execution of graph g lasting 1500 us.
  static LogBuilder goodStart() {
    return LogBuilder().messages({Message::of(kExecute).named("g").at(7).lasting(1500)});
  }

  void expectGoodStartKept() {
    ASSERT_EQ(reader->executeSeries.size(), 1u);
    EXPECT_EQ(reader->executeSeries[0].graphName, "g");
    ASSERT_EQ(reader->executeSeries[0].stats.size(), 1u);
    EXPECT_EQ(reader->executeSeries[0].stats[0].value, 1500u);
    EXPECT_EQ(reader->executeSeries[0].stats[0].timestamp, 7u);
  }

  // Loads the log into a fresh reader, keeping the largest allocation made meanwhile.
  bool load(const LogBuilder& log, bool writeDataFiles) {
    log.writeTo(logPath);
    reader = std::make_unique<VynProfileLogReaderXtu>(logPath, VisibilityLevel::All);
    resetLargestAllocation();
    const bool loaded = reader->loadLog(writeDataFiles);
    largest = largestAllocation();
    return loaded;
  }

  // A log that starts with goodStart() must fail to load with this error, keep
  // that first record, and neither aggregate nor store the data-file flag.
  void expectRejected(const LogBuilder& log, const std::string& error) {
    diagnostics.clear();
    EXPECT_FALSE(load(log, true));
    EXPECT_THAT(diagnostics.errors(), ElementsAre(error));
    expectGoodStartKept();
    EXPECT_THAT(reader->executeAverage, IsEmpty());
    EXPECT_FALSE(reader->writeDataFiles);
  }

  // Runs both reports with their output thrown away; they must survive the data.
  void reportQuietly() {
    capturedStdout([this] { reader->writeReport("report.csv"); });
  }

  // A CSV path that cannot be opened as a file fails either report: the reader
  // names the path, prints nothing, and keeps what it loaded.
  template <typename Reader>
  void expectCsvRefused(const std::string& csvPath, const std::string& error) {
    SCOPED_TRACE(csvPath);
    diagnostics.clear();
    Reader csvReader(logPath, VisibilityLevel::All);
    ASSERT_TRUE(csvReader.loadLog(true));
    EXPECT_EQ(capturedStdout([&] { EXPECT_FALSE(csvReader.writeReport(csvPath)); }), "");
    EXPECT_THAT(diagnostics.errors(), ElementsAre(error));
    ASSERT_EQ(csvReader.applySectionSeries.size(), 1u);
    EXPECT_EQ(csvReader.applySectionSeries[0].stats.size(), 1u);
  }

  TempDir root;
  const std::string logPath = root.file("input.log");
  const bool workMade = fs::create_directory(root.file("work"));
  ScopedWorkingDirectory workingDirectory{root.file("work")};
  CapturedLog diagnostics;
  std::unique_ptr<VynProfileLogReaderXtu> reader;
  std::size_t largest = 0;
};

TEST_F(HostileLog, OneToThreeStrayBytesAfterTheLastRecordAreIgnored) {
  for (std::size_t stray = 1; stray <= 3; ++stray) {
    SCOPED_TRACE(stray);
    EXPECT_TRUE(load(goodStart().raw(Bytes(stray, 0xAB)), true));
    expectGoodStartKept();
    EXPECT_EQ(reader->executeAverage.size(), 1u) << "the aggregation runs after a clean end";
    EXPECT_TRUE(reader->writeDataFiles);
    EXPECT_THAT(diagnostics.errors(), IsEmpty());
  }
}

TEST_F(HostileLog, LengthPrefixPastTheEndIsATruncatedRecordAndAllocatesNothingForIt) {
  const Bytes next = buildRecord(Record{}.with(Message::of(kExecute).named("h").lasting(5)));
  const auto pastEnd = static_cast<std::uint32_t>(next.size() + 1);
  expectRejected(goodStart().lengthPrefix(0xFFFFFFFF).raw(Bytes(100, 0x5A)),
                 "Truncated record: 4294967295 bytes announced, 100 available");
  EXPECT_LT(largest, 4096u);
  expectRejected(goodStart().lengthPrefix(pastEnd).raw(next),
                 "Truncated record: " + std::to_string(pastEnd) + " bytes announced, " +
                     std::to_string(next.size()) + " available");
  EXPECT_LT(largest, 4096u);
}

// A chain of events, one below the other, `levels` deep; level k is named "level k".
Event eventChain(int levels) {
  Event chain = Event::named("level " + std::to_string(levels), 1).u64(levels);
  for (int level = levels - 1; level >= 1; --level)
    chain = std::move(
        Event::named("level " + std::to_string(level), 1).u64(level).sub(std::move(chain)));
  return chain;
}

TEST_F(HostileLog, EventsNestedToTheDepthLimitLoadAndOneLevelDeeperAreRejected) {
  // The record's root table and the message are two nested tables; with this
  // many levels of events below them the record reaches the verifier's limit of 64.
  constexpr int kDeepestEventLevel = 62;
  const auto deepLog = [](int levels) {
    return goodStart().messages(
        {Message::of(kExecute).named("deep").lasting(20).event(eventChain(levels))});
  };
  EXPECT_TRUE(load(deepLog(kDeepestEventLevel), true));
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  ASSERT_EQ(reader->executeSeries.size(), 2u);
  EXPECT_EQ(reader->executeSeries[1].graphName, "deep");
  ASSERT_EQ(reader->executeSeries[1].stats.size(), 1u);
  int depth = 0;
  for (const auto* level = &reader->executeSeries[1].stats[0].subEvents; !level->empty();
       level = &level->front().subEvents)
    ++depth;
  EXPECT_EQ(depth, kDeepestEventLevel);
  reportQuietly();

  expectRejected(deepLog(kDeepestEventLevel + 1), "Corrupted flatbuffer binary stream");
}

TEST_F(HostileLog, HundredThousandMessagesInOneRecordAreAllProcessed) {
  constexpr std::size_t kMessages = 100000;
  std::vector<Message> messages;
  for (std::size_t i = 0; i < kMessages; ++i) {
    const bool odd = i % 2 == 1;
    messages.push_back(Message::of(kExecute).named(odd ? "b" : "a").at(i).lasting(odd ? 20 : 10));
  }
  ASSERT_TRUE(load(LogBuilder().messages(std::move(messages)), false));
  ASSERT_EQ(reader->executeSeries.size(), 2u);
  EXPECT_EQ(reader->executeSeries[0].graphName, "a");
  EXPECT_EQ(reader->executeSeries[0].stats.size(), kMessages / 2);
  EXPECT_EQ(reader->executeSeries[1].stats.size(), kMessages / 2);
  EXPECT_EQ(reader->executeSeries[1].stats.back().timestamp, kMessages - 1);
  ASSERT_EQ(reader->executeAverage.size(), 2u);
  EXPECT_EQ(reader->executeAverage[0].stat.value, 10u);
  EXPECT_EQ(reader->executeAverage[1].stat.value, 20u);
  EXPECT_THAT(
      diagnostics.debugs(),
      Contains("profiling::FlatBufferReaderUtil no more messages! (Message Counter: 100000)"));
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  reportQuietly();
}

// Message and event names are C strings to the reader: an embedded NUL byte ends
// them. Header texts are kept with their full length.
TEST_F(HostileLog, EmbeddedNulBytesEndNamesButNotHeaderTexts) {
  const std::string updaterWithTail("zevir-talvo-updater\0x", 21);
  Record record;
  record.header = Header{};
  record.header->generatorName = updaterWithTail;
  record.header->generatorVersion = std::string("1\0.2", 4);
  const Event hidden = Event::named(std::string("ev\0hidden", 9), 7).u64(1);
  record.with(Message::of(kExecute).named(std::string("g\0one", 5)).lasting(10).event(hidden));
  record.with(Message::of(kExecute).named(std::string("g\0two", 5)).lasting(30));

  ASSERT_TRUE(load(LogBuilder().record(record), false));
  ASSERT_EQ(reader->executeSeries.size(), 1u) << "both names read as g";
  EXPECT_EQ(reader->executeSeries[0].graphName, "g");
  ASSERT_EQ(reader->executeSeries[0].stats.size(), 2u);
  const std::vector<ProfileEvent>& events = reader->executeSeries[0].stats[0].subEvents;
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].name, "ev");
  EXPECT_EQ(reader->generatorName, updaterWithTail);
  EXPECT_FALSE(reader->generatedByUpdater) << "a name with a hidden tail is not the updater's";
  EXPECT_EQ(reader->generatorVersion, std::string("1\0.2", 4));
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  reportQuietly();
}

// The log format promises UTF-8 but nothing checks it; bytes that are not UTF-8
// are names like any other and are kept exactly.
TEST_F(HostileLog, InvalidUtf8IsKeptByteForByte) {
  const Texts names = {
      "\xFF\xFE",      // never valid
      "\xC3\x28",      // a lead byte without its continuation
      "\xC0\xAF",      // an overlong '/'
      "\xED\xA0\x80",  // a surrogate
      "tail\xE2\x82",  // cut short at the end
  };
  Record record;
  record.header = Header{};
  record.header->backendVersion = names[0];
  for (const std::string& name : names)
    record.with(
        Message::of(kExecute).named(name).lasting(10).event(Event::named(name, 7).text(name)));

  ASSERT_TRUE(load(LogBuilder().record(record), true));
  ASSERT_EQ(reader->executeSeries.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(reader->executeSeries[i].graphName, names[i]);
    const std::vector<ProfileEvent>& events = reader->executeSeries[i].stats[0].subEvents;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].name, names[i]);
    EXPECT_EQ(reinterpret_cast<const char*>(events[0].value.payload), names[i]);
  }
  EXPECT_EQ(reader->backendVersion, names[0]);
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  reportQuietly();
}

namespace fb = profiling::fb;
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
    expectRejected(goodStart().frame(record), "Corrupted flatbuffer binary stream");
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

// Every path below the scratch root, relative to it, sorted.
Texts entriesBelow(const std::string& root) {
  Texts paths;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    paths.push_back(fs::relative(entry.path(), root).string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

// Names that lead out of the working directory are refused, and a name ends at
// an embedded NUL byte, so what follows it cannot lead anywhere.
TEST_F(HostileLog, DataFilesNamedByTheLogStayInTheWorkingDirectory) {
  const std::string absolute = root.file("absolute.bin");
  ASSERT_TRUE(
      load(sectionWith({absolute, "../escape.bin", std::string("safe.bin\0/../../escape.bin", 26)}),
           true));
  capturedStdout([this] { EXPECT_TRUE(reader->writeReport("")); });

  EXPECT_THAT(diagnostics.errors(), ElementsAre("Invalid output fileName: [" + absolute + "]",
                                                "Invalid output fileName: [../escape.bin]"));
  EXPECT_EQ(entriesBelow(root.path()), (Texts{"input.log", "work", "work/safe.bin"}));
  EXPECT_EQ(readFile("safe.bin"), std::string("\x01\x00\x02", 3));
}

TEST_F(HostileLog, CsvPathThatIsADirectoryOrInAMissingDirectoryFailsBothReports) {
  fs::create_directory("reports");
  sectionWith({"data.bin"}).writeTo(logPath);
  for (const std::string& path :
       {root.file("work/reports"), root.file("work/missing/report.csv")}) {
    expectCsvRefused<VynProfileLogReaderXtu>(path, "Invalid output csvfile: [" + path + "]");
    expectCsvRefused<VynProfileLogReader>(path, "Invalid output file: [" + path + "]");
  }
  EXPECT_EQ(entriesBelow(root.path()), (Texts{"input.log", "work", "work/reports"}))
      << "no CSV file, no data file, no directory made";
}

}  // namespace
}  // namespace vyn::testing
