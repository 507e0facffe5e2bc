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
#include "support/captured_model.h"
#include "support/log_builder.h"

namespace vyn::testing {

// The largest single allocation since it was last set to 0 (allocation_probe.cpp).
extern std::atomic<std::size_t> largestAllocation;

namespace {

namespace fs = std::filesystem;
namespace fb = profiling::fb;
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

// ROOT/input.log is the log under test; ROOT/work is the working directory.
class HostileLog : public ScratchWork {
 protected:
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
  expectRejected(log, "Truncated record: 4294967295 bytes announced, 100 available");
  EXPECT_LT(largest, 4096u);

  // From a pipe, whose size is not known up front: at most a read chunk, far
  // below the 4 GiB announced.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], log.bytes().data(), log.bytes().size()), 104);
  ::close(ends[1]);
  EXPECT_FALSE(loadFrom("/proc/self/fd/" + std::to_string(ends[0])));
  ::close(ends[0]);
  EXPECT_LT(largest, 64u << 20);
}

// More messages than a 16-bit count holds.
TEST_F(HostileLog, HundredThousandMessagesInOneRecordAreAllProcessed) {
  std::vector<Message> messages;
  for (std::uint64_t i = 0; i < 100000; ++i) messages.push_back(Message::of(kExecute).named("g").at(i).lasting(1));
  ASSERT_TRUE(load(LogBuilder().messages(std::move(messages))));
  const std::vector<Occurrence>& runs = reader->model().executions.at(0).occurrences;
  EXPECT_EQ(runs.size(), 100000u);
  EXPECT_EQ(runs.back().timestamp, 99999u);
  EXPECT_THAT(diagnostics.debugs(),
              Contains("profiling::FlatBufferReaderUtil no more messages! (Message Counter: 100000)"));
}

// Message and event names are C strings to the reader: an embedded NUL byte ends
// them. The log format promises UTF-8 but nothing checks it; bytes that are not
// UTF-8 are kept exactly, in names, text values and the header.
TEST_F(HostileLog, NamesEndAtANulByteAndInvalidUtf8IsKeptByteForByte) {
  const std::string invalid = "\xFF\xC3\x28tail\xE2\x82";  // lead bytes without continuations
  Record record;
  record.header = Header{};
  record.header->backendVersion = invalid;
  record.with(Message::of(kExecute)
                  .named(std::string("g\0one", 5))
                  .lasting(10)
                  .event(Event::named(std::string("ev\0hidden", 9), 7).u64(1)));
  record.with(Message::of(kExecute).named(std::string("g\0two", 5)).lasting(30));
  record.with(Message::of(kExecute).named(invalid).lasting(10).event(Event::named(invalid, 7).text(invalid)));

  ASSERT_TRUE(load(LogBuilder().record(record)));
  const LogModel& model = reader->model();
  EXPECT_EQ(modelText(model),
            "execute g: 10@0 '' [ev], 30@0 '' []; execute " + invalid + ": 10@0 '' [" + invalid + "]");
  const profiling::EventList events = model.list(model.executions.at(1).occurrences.at(0).events);
  EXPECT_EQ(reinterpret_cast<const char*>(events.item(*events.begin(), 0).value.payload), invalid);
  EXPECT_EQ(model.header.value().backendVersion, invalid);
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  report(*reader, "report.csv");
}

// Offsets may be shared in the format, so a few kilobytes can describe far more
// than they hold: here 1000 sub-events that are one event holding 64 KiB. Such
// a record is refused before it can take the host's memory.
TEST_F(HostileLog, RecordsThatShareOffsetsAreRefused) {
  using EventOffsets = std::vector<flatbuffers::Offset<fb::EventEntry>>;
  flatbuffers::FlatBufferBuilder builder;
  const auto blob = fb::CreateEventEntry(builder, 0, 0, 0, 0, 0, fb::EventValueKind_Bytes, 0, 0,
                                         builder.CreateVector(Bytes(64 * 1024, 0x42)));
  const auto parent = fb::CreateEventEntry(builder, 0, 0, 0, 0, builder.CreateVector(EventOffsets(1000, blob)));
  const auto message =
      fb::CreateMethodMessage(builder, fb::CreateMessageTimestamp(builder, 1), fb::MethodType_Execute,
                              fb::CreateMethodTiming(builder, 0, 10), 0, builder.CreateVector(EventOffsets{parent}));
  builder.Finish(fb::CreateProfileLogRecord(builder, 0, builder.CreateVector(&message, 1)));
  expectRejected(LogBuilder().frame({builder.GetBufferPointer(), builder.GetBufferPointer() + builder.GetSize()}),
                 "Corrupted flatbuffer binary stream");
}

// A binary-section call with an object event, whose bytes the back-end report saves.
LogBuilder sectionWith(const std::string& fileName) {
  return LogBuilder().messages(
      {Message::of(kApplyBinarySection)
           .named("g")
           .at(1)
           .lasting(100)
           .event(
               Event::named("holder", 8)
                   .u64(1)
                   .sub(
                       Event::named("data", 9).data({0x01, 0x00, 0x02}).withUnit(Unit::Object).withDetail(fileName)))});
}

// A data file's name ends at an embedded NUL byte, so what follows it cannot
// lead out of the working directory.
TEST_F(HostileLog, DataFileNamesEndAtANulByte) {
  ASSERT_TRUE(load(sectionWith(std::string("safe.bin\0/../../escape.bin", 26))));
  report(*reader, "");
  EXPECT_THAT(diagnostics.errors(), IsEmpty());
  EXPECT_EQ(entriesBelowRoot(), (Texts{"input.log", "work", "work/safe.bin"}));
  EXPECT_EQ(readFile("safe.bin"), std::string("\x01\x00\x02", 3));
}

// A CSV path that cannot be opened (a directory, or in a directory that does not
// exist), or that names the log itself by any spelling or link, fails both
// reports before they print or save anything, and the log stays as it was.
TEST_F(HostileLog, CsvPathThatCannotBeOpenedOrNamesTheLogFailsBothReportsBeforeTheySaveData) {
  fs::create_directory("reports");
  sectionWith("data.bin").writeTo(logPath);
  const std::string logBytes = readFile(logPath);
  fs::create_hard_link(logPath, "same.log");
  fs::create_symlink(logPath, "link.log");
  VynProfileLogReaderXtu xtu(logPath, VisibilityLevel::All);
  VynProfileLogReader generic(logPath, VisibilityLevel::All);
  ASSERT_TRUE(xtu.loadLog(true) && generic.loadLog(true));
  for (const std::string& path :
       {std::string("reports"), std::string("missing/report.csv"), logPath, std::string("../input.log"),
        std::string(".././work/../input.log"), std::string("same.log"), std::string("link.log")}) {
    EXPECT_EQ(report(xtu, path, false), "") << path;
    EXPECT_EQ(report(generic, path, false), "") << path;
    EXPECT_THAT(diagnostics.errors(),
                ElementsAre("Invalid output csvfile: [" + path + "]", "Invalid output file: [" + path + "]"));
    diagnostics.clear();
  }
  EXPECT_EQ(readFile(logPath), logBytes);
  fs::remove("same.log");
  fs::remove("link.log");
  EXPECT_EQ(entriesBelowRoot(), (Texts{"input.log", "work", "work/reports"}));
}

}  // namespace
}  // namespace vyn::testing
