// Loading whole log files: framing, failures and what stays loaded after them,
// header capture across records, and loading the same reader twice.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <thread>

#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;
using Bytes = std::vector<std::uint8_t>;
using Values = std::vector<std::uint64_t>;

const std::string kCorrupted = "Corrupted flatbuffer binary stream";

Message execution(const std::string& graph, std::uint64_t duration) {
  return Message::of(1).named(graph).lasting(duration);
}
Record headerRecord(const std::string& generatorName) {
  Record record;
  record.header.emplace();
  record.header->generatorName = generatorName;
  record.header->generatorVersion = "1.0";
  return record;
}
std::string truncated(std::uint64_t announced, std::uint64_t available) {
  return "Truncated record: " + std::to_string(announced) + " bytes announced, " +
         std::to_string(available) + " available";
}
Values executionValues(const VynProfileLogReader& reader) {
  Values values;
  if (!reader.executeSeries.empty())
    for (const PhaseStat& stat : reader.executeSeries[0].stats) values.push_back(stat.value);
  return values;
}

class LogLoaderTest : public ::testing::Test {
 protected:
  std::string write(const LogBuilder& log, const std::string& name = "run.bin") {
    log.writeTo(dir_.file(name));
    return dir_.file(name);
  }
  vyn::testing::TempDir dir_;
  vyn::testing::CapturedLog log_;
};

// Records before a failing one stay loaded; a failed load runs no aggregation
// and leaves the data-file flag alone.
TEST_F(LogLoaderTest, Framing) {
  const Bytes complete = vyn::testing::buildRecord(Record{}.with(execution("g", 20)));
  const auto size = static_cast<std::uint32_t>(complete.size());
  Message noTiming = execution("b", 5);
  noTiming.hasTiming = false;
  const std::string longName(300'000, 'n');  // records far beyond any read chunk
  struct Case {
    const char* name;
    LogBuilder log;
    bool loads;
    Values values;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {"empty", LogBuilder{}, true, {}, {}},
      {"1 stray byte", LogBuilder{}.messages({execution("g", 10)}).raw({0xFF}), true, {10}, {}},
      {"3 stray bytes", LogBuilder{}.messages({execution("g", 10)}).raw({0xFF, 0xFF, 0xFF}), true, {10}, {}},
      {"large records", LogBuilder{}.messages({execution(longName, 1)}).messages({execution(longName, 3)}),
       true, {1, 3}, {}},
      {"zero length", LogBuilder{}.messages({execution("g", 10)}).lengthPrefix(0).messages({execution("g", 2)}),
       false, {10}, {kCorrupted}},
      {"corrupt record", LogBuilder{}.messages({execution("g", 10)}).messages({execution("g", 1), noTiming})
           .messages({execution("g", 30)}), false, {10}, {kCorrupted}},
      // Cut short by the end of the file: corrupt even when the bytes present would verify.
      {"truncated", LogBuilder{}.messages({execution("g", 10)}).lengthPrefix(size + 8).raw(complete),
       false, {10}, {truncated(size + 8, size)}},
      {"huge prefix", LogBuilder{}.messages({execution("g", 10)}).lengthPrefix(0xFFFFFFFFu).raw(Bytes(96)),
       false, {10}, {truncated(0xFFFFFFFF, 96)}},
      {"truncated 100/20", LogBuilder{}.lengthPrefix(100).raw(Bytes(20)), false, {}, {truncated(100, 20)}},
      {"truncated 4/0", LogBuilder{}.lengthPrefix(4), false, {}, {truncated(4, 0)}},
      {"truncated 12/11", LogBuilder{}.lengthPrefix(12).raw(Bytes(11)), false, {}, {truncated(12, 11)}},
  };
  // Each case also from a pipe, whose size is not known up front.
  std::signal(SIGPIPE, SIG_IGN);
  for (const bool fromPipe : {false, true}) {
    for (const Case& c : cases) {
      std::string path = dir_.file("pipe");
      std::thread writer;
      if (fromPipe) {
        ::unlink(path.c_str());
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        writer = std::thread([&] {
          std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.log.bytes().data()),
                                                      static_cast<std::streamsize>(c.log.bytes().size()));
        });
      } else {
        path = write(c.log);
      }
      const std::string label = std::string(c.name) + (fromPipe ? " (pipe)" : "");
      log_.clear();
      VynProfileLogReaderXtu reader(path, VisibilityLevel::All);
      EXPECT_EQ(reader.loadLog(true), c.loads) << label;
      if (writer.joinable()) writer.join();
      EXPECT_EQ(executionValues(reader), c.values) << label;
      EXPECT_EQ(log_.errors(), c.errors) << label;
      EXPECT_EQ(reader.executeAverage.size(), c.loads && !c.values.empty() ? 1u : 0u) << label;
      EXPECT_EQ(reader.writeDataFiles, c.loads) << label;
      EXPECT_FALSE(reader.headerCaptured) << label;
    }
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define VYN_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYN_ADDRESS_SANITIZER
#endif
#endif

// Runs in a child process: loads with the address space capped (not possible
// under the address sanitizer, whose shadow memory is huge) and checks that the
// peak resident size stays put. Exits 0 and says "bounded" on success.
[[noreturn]] void loadWithBoundedMemory(const std::string& path) {
#ifndef VYN_ADDRESS_SANITIZER
  std::ifstream statm("/proc/self/statm");
  rlim_t pages = 0;
  statm >> pages;
  const rlim_t cap = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{1} << 30);
  const rlimit limit{cap, cap};
  ::setrlimit(RLIMIT_AS, &limit);
#endif
  vyn::testing::CapturedLog log;
  rusage before{}, after{};
  ::getrusage(RUSAGE_SELF, &before);
  const bool loaded = VynProfileLogReaderXtu(path, VisibilityLevel::All).loadLog(false);
  ::getrusage(RUSAGE_SELF, &after);
  const long grownKiB = after.ru_maxrss - before.ru_maxrss;
  if (loaded || grownKiB > 8 * 1024 || log.errors() != std::vector<std::string>{truncated(0xFFFFFFFF, 96)}) {
    std::fprintf(stderr, "loaded %d, peak resident size grew by %ld KiB\n", loaded, grownKiB);
    for (const std::string& text : log.errors()) std::fprintf(stderr, "logged: %s\n", text.c_str());
    std::_Exit(1);
  }
  std::fprintf(stderr, "bounded\n");
  std::_Exit(0);
}

TEST_F(LogLoaderTest, HugeLengthPrefixInASmallFileAllocatesLittle) {
  LogBuilder log;
  log.lengthPrefix(0xFFFFFFFFu).raw(Bytes(96, 0x11));
  const std::string path = write(log);
  ASSERT_EQ(vyn::testing::readFile(path).size(), 100u);
  ::testing::FLAGS_gtest_death_test_style = "fast";
  EXPECT_EXIT(loadWithBoundedMemory(path), ::testing::ExitedWithCode(0), "bounded");
}

TEST_F(LogLoaderTest, MissingOrUnreadableFileFails) {
  LogBuilder log;
  log.messages({execution("g", 10)});
  std::vector<std::string> paths = {dir_.file("absent.bin"), std::string(), dir_.path()};
  if (::geteuid() != 0) {  // permissions do not apply to root
    paths.push_back(write(log));
    ASSERT_EQ(::chmod(paths.back().c_str(), 0), 0);
  }
  for (const std::string& path : paths) {
    log_.clear();
    VynProfileLogReaderXtu reader(path, VisibilityLevel::All);
    EXPECT_FALSE(reader.loadLog(true));
    EXPECT_THAT(log_.errors(), ElementsAre("Invalid or nonexistent file: " + path));
    EXPECT_THAT(reader.executeSeries, IsEmpty());
    EXPECT_FALSE(reader.writeDataFiles);
  }
}

// The header comes from the first record that carries one, here the second.
TEST_F(LogLoaderTest, LoadingAgainAppendsAndKeepsTheFirstHeader) {
  VynProfileLogReaderXtu reader(write(LogBuilder{}.messages({execution("g", 10)}).record(
                                    headerRecord("first").with(Message::of(7).named("c").lasting(5)))),
                                VisibilityLevel::All);
  ASSERT_TRUE(reader.loadLog(false));
  write(LogBuilder{}.record(
      headerRecord("second").with(execution("g", 30)).with(Message::of(7).named("d").lasting(7))));
  ASSERT_TRUE(reader.loadLog(true));

  EXPECT_EQ(executionValues(reader), (Values{10, 30}));
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

}  // namespace
}  // namespace vyn::profiling
