// Loading whole log files: framing, failures and what stays loaded after them,
// header capture across records, and loading the same reader twice.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <thread>

#include "capture/capture_fixture.h"
#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using vyn::testing::describe;
using vyn::testing::Event;
using vyn::testing::Header;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;

constexpr const char* kCorrupted = "Corrupted flatbuffer binary stream";

Message execution(const std::string& graph, std::uint64_t duration) {
  return Message::of(1).named(graph).lasting(duration);
}

Record headerRecord(const std::string& generatorName) {
  Record record;
  record.header = Header{};
  record.header->generatorName = generatorName;
  record.header->generatorVersion = "1.0";
  return record;
}

std::vector<std::uint64_t> executionValues(const VynProfileLogReader& reader, std::size_t entry = 0) {
  std::vector<std::uint64_t> values;
  if (entry >= reader.executeSeries.size()) return values;
  for (const PhaseStat& stat : reader.executeSeries[entry].stats) values.push_back(stat.value);
  return values;
}

class LogLoaderTest : public ::testing::Test {
 protected:
  std::string write(const LogBuilder& log, const std::string& name = "run.bin") {
    const std::string path = dir_.file(name);
    log.writeTo(path);
    return path;
  }

  vyn::testing::TempDir dir_;
  vyn::testing::CapturedLog log_;
};

TEST_F(LogLoaderTest, EmptyFileLoadsNothingAndSucceeds) {
  VynProfileLogReaderXtu reader(write(LogBuilder{}), VisibilityLevel::All);
  VynProfileLogReaderXtu fresh(reader.inputLogPath, VisibilityLevel::All);
  EXPECT_TRUE(reader.loadLog(true));
  EXPECT_FALSE(reader.headerCaptured);
  EXPECT_TRUE(reader.writeDataFiles);
  fresh.writeDataFiles = true;
  EXPECT_EQ(describe(reader), describe(fresh));
  EXPECT_THAT(log_.errors(), IsEmpty());
}

TEST_F(LogLoaderTest, OneToThreeStrayBytesAfterTheLastRecordAreIgnored) {
  for (std::size_t stray = 1; stray <= 3; ++stray) {
    LogBuilder log;
    log.messages({execution("g", 10)}).raw(std::vector<std::uint8_t>(stray, 0xFF));
    VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
    EXPECT_TRUE(reader.loadLog(false)) << stray;
    EXPECT_THAT(executionValues(reader), ElementsAre(10u)) << stray;
  }
  EXPECT_THAT(log_.errors(), IsEmpty());
}

TEST_F(LogLoaderTest, ZeroLengthRecordStopsTheLoad) {
  LogBuilder log;
  log.messages({execution("g", 10)}).lengthPrefix(0).messages({execution("g", 20)});
  VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
  EXPECT_FALSE(reader.loadLog(true));
  EXPECT_THAT(executionValues(reader), ElementsAre(10u));
  EXPECT_THAT(log_.errors(), ElementsAre(kCorrupted));
  // No aggregation, and the flag keeps its earlier value.
  EXPECT_THAT(reader.executeAverage, IsEmpty());
  EXPECT_FALSE(reader.writeDataFiles);
}

TEST_F(LogLoaderTest, RecordFailingVerificationKeepsEarlierRecords) {
  Message noTiming = execution("b", 5);
  noTiming.hasTiming = false;
  LogBuilder log;
  log.messages({execution("a", 10)})
      .messages({Message::of(7).named("compose").lasting(3)})
      .messages({execution("b", 1), noTiming})  // one bad message rejects the record
      .messages({execution("a", 30)});
  VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
  EXPECT_FALSE(reader.loadLog(false));
  ASSERT_EQ(reader.executeSeries.size(), 1u);
  EXPECT_THAT(executionValues(reader), ElementsAre(10u));
  EXPECT_EQ(reader.composeTime, 3u);
  EXPECT_THAT(log_.errors(), ElementsAre(kCorrupted));
  EXPECT_THAT(reader.executeAverage, IsEmpty());
}

// A record cut short by the end of the file is corrupt even when its available
// bytes would verify, and they are not verified.
TEST_F(LogLoaderTest, TruncatedLastRecordFailsWithoutVerification) {
  const std::vector<std::uint8_t> complete = vyn::testing::buildRecord(Record{}.with(execution("g", 20)));
  LogBuilder log;
  log.messages({execution("g", 10)})
      .lengthPrefix(static_cast<std::uint32_t>(complete.size() + 8))
      .raw(complete);
  VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
  EXPECT_FALSE(reader.loadLog(false));
  EXPECT_THAT(executionValues(reader), ElementsAre(10u));
  const std::string expected = "Truncated record: " + std::to_string(complete.size() + 8) +
                               " bytes announced, " + std::to_string(complete.size()) + " available";
  EXPECT_THAT(log_.errors(), ElementsAre(expected));
  EXPECT_THAT(reader.executeAverage, IsEmpty());
}

TEST_F(LogLoaderTest, TruncatedRecordsReportWhatIsThere) {
  struct Case {
    std::uint32_t announced;
    std::size_t present;
  };
  for (const Case c : {Case{100, 20}, Case{4, 0}, Case{12, 11}}) {
    LogBuilder log;
    log.lengthPrefix(c.announced).raw(std::vector<std::uint8_t>(c.present, 0));
    VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
    log_.clear();
    EXPECT_FALSE(reader.loadLog(false)) << c.announced;
    EXPECT_THAT(log_.errors(), ElementsAre("Truncated record: " + std::to_string(c.announced) +
                                           " bytes announced, " + std::to_string(c.present) +
                                           " available"));
  }
}

std::uint64_t virtualMemoryBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Runs in a child process: loads the log with the address space capped (not
// possible under the address sanitizer, whose shadow memory is huge) and checks
// that the peak resident size stays put. Exits 0 and says "bounded" on success.
[[noreturn]] void loadWithBoundedMemory(const std::string& path) {
  if (!kAddressSanitizer) {
    const rlim_t cap = virtualMemoryBytes() + (rlim_t{1} << 30);
    const rlimit limit{cap, cap};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  vyn::testing::CapturedLog log;
  rusage before{};
  ::getrusage(RUSAGE_SELF, &before);
  bool loaded;
  {
    VynProfileLogReaderXtu reader(path, VisibilityLevel::All);
    loaded = reader.loadLog(false);
  }
  rusage after{};
  ::getrusage(RUSAGE_SELF, &after);
  const long grownKiB = after.ru_maxrss - before.ru_maxrss;
  if (loaded) {
    std::fprintf(stderr, "the load succeeded\n");
    std::_Exit(1);
  }
  if (grownKiB > 8 * 1024) {
    std::fprintf(stderr, "peak resident size grew by %ld KiB\n", grownKiB);
    std::_Exit(2);
  }
  if (log.errors() != std::vector<std::string>{"Truncated record: 4294967295 bytes announced, 96 available"}) {
    for (const std::string& text : log.errors()) std::fprintf(stderr, "logged: %s\n", text.c_str());
    std::_Exit(3);
  }
  std::fprintf(stderr, "bounded\n");
  std::_Exit(0);
}

TEST_F(LogLoaderTest, HugeLengthPrefixInASmallFileAllocatesLittle) {
  LogBuilder log;
  log.lengthPrefix(0xFFFFFFFFu).raw(std::vector<std::uint8_t>(96, 0x11));
  const std::string path = write(log);
  ASSERT_EQ(vyn::testing::readFile(path).size(), 100u);
  ::testing::FLAGS_gtest_death_test_style = "fast";
  EXPECT_EXIT(loadWithBoundedMemory(path), ::testing::ExitedWithCode(0), "bounded");
}

TEST_F(LogLoaderTest, MissingFileOrDirectoryFails) {
  for (const std::string& path : {dir_.file("absent.bin"), std::string(), dir_.path()}) {
    log_.clear();
    VynProfileLogReaderXtu reader(path, VisibilityLevel::All);
    VynProfileLogReaderXtu fresh(path, VisibilityLevel::All);
    EXPECT_FALSE(reader.loadLog(true));
    EXPECT_THAT(log_.errors(), ElementsAre("Invalid or nonexistent file: " + path));
    EXPECT_EQ(describe(reader), describe(fresh));
  }
}

TEST_F(LogLoaderTest, UnreadableFileFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not apply to root";
  LogBuilder log;
  log.messages({execution("g", 10)});
  const std::string path = write(log);
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  VynProfileLogReaderXtu reader(path, VisibilityLevel::All);
  EXPECT_FALSE(reader.loadLog(false));
  EXPECT_THAT(log_.errors(), ElementsAre("Invalid or nonexistent file: " + path));
  EXPECT_THAT(reader.executeSeries, IsEmpty());
}

// A log whose size is not known up front (a pipe) is read the same way, and a
// lying length prefix still costs no more than the bytes that arrive.
TEST_F(LogLoaderTest, LogFromAPipe) {
  struct Case {
    LogBuilder log;
    bool loads;
  };
  LogBuilder good;
  good.messages({execution("g", 10)}).messages({execution("g", 20)}).raw({1, 2});
  LogBuilder lying;
  lying.messages({execution("g", 10)}).lengthPrefix(0xFFFFFFFFu).raw(std::vector<std::uint8_t>(96, 0));
  for (const Case& c : {Case{good, true}, Case{lying, false}}) {
    const std::string path = dir_.file("pipe");
    ::unlink(path.c_str());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    std::thread writer([&] {
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(c.log.bytes().data()),
                static_cast<std::streamsize>(c.log.bytes().size()));
    });
    log_.clear();
    VynProfileLogReaderXtu reader(path, VisibilityLevel::All);
    const bool loaded = reader.loadLog(false);
    writer.join();
    EXPECT_EQ(loaded, c.loads);
    if (c.loads) {
      EXPECT_THAT(executionValues(reader), ElementsAre(10u, 20u));
      EXPECT_THAT(log_.errors(), IsEmpty());
    } else {
      EXPECT_THAT(executionValues(reader), ElementsAre(10u));
      EXPECT_THAT(log_.errors(),
                  ElementsAre("Truncated record: 4294967295 bytes announced, 96 available"));
    }
  }
}

// Records whose bytes go well past any read chunk load whole, one after another.
TEST_F(LogLoaderTest, LargeRecordsLoadCompletely) {
  const std::string longName(300'000, 'n');
  LogBuilder log;
  log.messages({execution(longName, 1), execution("g", 2)}).messages({execution(longName, 3)});
  VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));
  ASSERT_EQ(reader.executeSeries.size(), 2u);
  EXPECT_EQ(reader.executeSeries[0].graphName, longName);
  EXPECT_THAT(executionValues(reader, 0), ElementsAre(1u, 3u));
  EXPECT_THAT(executionValues(reader, 1), ElementsAre(2u));
}

// What the reports read after loading: every execution holds its own events.
TEST_F(LogLoaderTest, LoadedExecutionsHoldTheirEvents) {
  LogBuilder log;
  log.messages({execution("g", 10).event(Event::named("dma", 5).sub(Event::named("burst", 6)))})
      .messages({execution("g", 20), Message::of(9).named("g").event(Event::named("late", 7))});
  VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));
  const auto& runs = reader.executeSeries.at(0).stats;
  ASSERT_EQ(runs.size(), 2u);
  ASSERT_EQ(runs[0].subEvents.size(), 1u);
  EXPECT_EQ(runs[0].subEvents[0].name, "dma");
  EXPECT_THAT(vyn::testing::names(runs[0].subEvents[0].subEvents), ElementsAre("burst"));
  EXPECT_THAT(vyn::testing::names(runs[1].subEvents), ElementsAre("late"));
}

TEST_F(LogLoaderTest, RejectedMessagesDoNotStopTheRecord) {
  LogBuilder log;
  log.messages({Message::of(0).named("g"), Message::of(1).lasting(4), execution("g", 10),
                Message::of(1).named("g").lasting(5).withLevel(127)})
      .messages({Message::of(7).named("c").lasting(3)});
  VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
  EXPECT_TRUE(reader.loadLog(false));
  EXPECT_THAT(executionValues(reader), ElementsAre(10u));
  EXPECT_EQ(reader.composeTime, 3u);
  EXPECT_THAT(log_.errors(), ElementsAre("Unknown method type."));
}

TEST_F(LogLoaderTest, LogOfHeadersOnlyLeavesEverythingElseEmpty) {
  Record withMessages = headerRecord("tool");
  withMessages.messages.emplace();
  LogBuilder log;
  log.record(headerRecord("tool")).record(withMessages).record(Record{});
  VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
  VynProfileLogReaderXtu expected(reader.inputLogPath, VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));
  expected.headerCaptured = true;
  expected.generatorName = "tool";
  expected.generatorVersion = "1.0";
  EXPECT_EQ(describe(reader), describe(expected));
}

// Sees, for every message pulled, whether the header was captured by then.
class HeaderProbeReader : public VynProfileLogReader {
 public:
  using VynProfileLogReader::VynProfileLogReader;
  bool processNextMessage() override {
    headerCapturedAtPull.push_back(headerCaptured);
    return VynProfileLogReader::processNextMessage();
  }
  std::vector<bool> headerCapturedAtPull;
};

TEST_F(LogLoaderTest, HeaderOfALaterRecordIsCapturedBeforeItsMessages) {
  LogBuilder log;
  log.messages({execution("g", 1)}).record(headerRecord("second").with(execution("g", 2)));
  HeaderProbeReader reader(write(log), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));
  // Record 1: one message and the end; record 2: the same.
  EXPECT_THAT(reader.headerCapturedAtPull, ElementsAre(false, false, true, true));
  EXPECT_EQ(reader.generatorName, "second");
  EXPECT_EQ(log_.count("hdr is nullptr"), 1u);
}

TEST_F(LogLoaderTest, OnlyTheFirstHeaderCounts) {
  Record later = headerRecord("later");
  later.header->backendVersion = "xtu-2";
  LogBuilder log;
  log.record(headerRecord("first").with(execution("g", 1))).record(later.with(execution("g", 2)));
  VynProfileLogReaderXtu reader(write(log), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));
  EXPECT_EQ(reader.generatorName, "first");
  EXPECT_EQ(reader.backendVersion, "");
  const std::string report = reader.getHeaderReport();
  EXPECT_NE(report.find("first: 1.0\n"), std::string::npos) << report;
  EXPECT_EQ(report.find("later"), std::string::npos) << report;
}

TEST_F(LogLoaderTest, LoadingAgainAppendsAndKeepsTheFirstHeader) {
  LogBuilder first;
  first.record(headerRecord("first").with(execution("g", 10)).with(Message::of(7).named("c").lasting(5)));
  VynProfileLogReaderXtu reader(write(first), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));

  LogBuilder second;
  second.record(headerRecord("second").with(execution("g", 30)).with(Message::of(7).named("d").lasting(7)));
  write(second);
  ASSERT_TRUE(reader.loadLog(true));

  EXPECT_THAT(executionValues(reader), ElementsAre(10u, 30u));
  EXPECT_EQ(reader.composeTime, 12u);
  EXPECT_EQ(reader.composeName, "c; d");
  EXPECT_EQ(reader.generatorName, "first");
  EXPECT_TRUE(reader.writeDataFiles);
  // The aggregation appends a second set computed over both loads.
  ASSERT_EQ(reader.executeAverage.size(), 2u);
  EXPECT_EQ(reader.executeAverage[0].stat.value, 10u);
  EXPECT_EQ(reader.executeAverage[1].stat.value, 20u);
  ASSERT_EQ(reader.executeMax.size(), 2u);
  EXPECT_EQ(reader.executeMax[1].stat.value, 30u);
  ASSERT_EQ(reader.executeMin.size(), 2u);
  EXPECT_EQ(reader.executeMin[1].stat.value, 10u);
}

TEST_F(LogLoaderTest, FailedLoadKeepsTheEarlierDataFileFlag) {
  LogBuilder good;
  good.messages({execution("g", 1)});
  VynProfileLogReaderXtu reader(write(good), VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(true));
  LogBuilder bad;
  bad.messages({execution("g", 2)}).lengthPrefix(0);
  write(bad);
  EXPECT_FALSE(reader.loadLog(false));
  EXPECT_TRUE(reader.writeDataFiles);
  EXPECT_THAT(executionValues(reader), ElementsAre(1u, 2u));
}

TEST_F(LogLoaderTest, VisibilityLevelOfTheReaderFiltersLoadedMessages) {
  LogBuilder log;
  log.messages({execution("g", 1).withLevel(0), execution("g", 2).withLevel(1),
                execution("g", 3).withLevel(-5)});
  VynProfileLogReaderXtu basic(write(log), VisibilityLevel::Basic);
  ASSERT_TRUE(basic.loadLog(false));
  EXPECT_THAT(executionValues(basic), ElementsAre(1u, 3u));
  VynProfileLogReaderXtu off(basic.inputLogPath, VisibilityLevel::Off);
  ASSERT_TRUE(off.loadLog(false));
  EXPECT_THAT(executionValues(off), ElementsAre(3u));
}

}  // namespace
}  // namespace vyn::profiling
