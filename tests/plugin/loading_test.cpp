// Loading whole log files through the reader: framing, failures and what stays
// loaded after them.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <thread>

#include "log/captured_log.h"
#include "plugin/vyn_profile_log_reader_xtu.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;
using Bytes = std::vector<std::uint8_t>;
using Values = std::vector<std::uint64_t>;

const std::string kCorrupted = "Corrupted flatbuffer binary stream";

Message execution(const std::string& graph, std::uint64_t duration) {
  return Message::of(1).named(graph).lasting(duration);
}
std::string truncated(std::uint64_t announced, std::uint64_t available) {
  return "Truncated record: " + std::to_string(announced) + " bytes announced, " + std::to_string(available) +
         " available";
}
Values executionValues(const VynProfileLogReader& reader) {
  Values values;
  for (const GraphSeries& series : reader.model().executions)
    for (const Occurrence& run : series.occurrences) values.push_back(run.value);
  return values;
}

class LogLoaderTest : public ::testing::Test {
 protected:
  std::string write(const LogBuilder& log) {
    log.writeTo(dir_.file("run.bin"));
    return dir_.file("run.bin");
  }
  vyn::testing::TempDir dir_;
  vyn::testing::CapturedLog log_;
};

// Records before a failing one stay loaded; a failed load computes no statistics.
TEST_F(LogLoaderTest, Framing) {
  const Bytes complete = vyn::testing::buildRecord(Record{}.with(execution("g", 20)));
  const auto size = static_cast<std::uint32_t>(complete.size());
  Message noTiming = execution("b", 5);
  noTiming.hasTiming = false;
  const std::string longName(3 << 19, 'n');  // records beyond the 1 MiB read chunk
  struct Case {
    const char* name;
    LogBuilder log;
    bool loads;
    Values values;
    std::vector<std::string> errors;
  };
  const auto good = [] { return LogBuilder{}.messages({execution("g", 10)}); };
  const Case cases[] = {
      {"empty", LogBuilder{}, true, {}, {}},
      {"stray bytes", good().raw({0xFF, 0xFF, 0xFF}), true, {10}, {}},
      {"large records",
       LogBuilder{}.messages({execution(longName, 1)}).messages({execution(longName, 3)}),
       true,
       {1, 3},
       {}},
      {"corrupt record",
       good().messages({execution("g", 1), noTiming}).messages({execution("g", 30)}),
       false,
       {10},
       {kCorrupted}},
      // Cut short by the end of the file: corrupt even when the bytes present would verify.
      {"truncated", good().lengthPrefix(size + 8).raw(complete), false, {10}, {truncated(size + 8, size)}},
  };
  // Each case also from a pipe, whose size is not known up front.
  std::signal(SIGPIPE, SIG_IGN);
  for (const bool fromPipe : {false, true}) {
    for (const Case& c : cases) {
      const std::string path = fromPipe ? dir_.file("pipe") : write(c.log);
      std::thread writer;
      if (fromPipe) {
        ::unlink(path.c_str());
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        writer = std::thread(
            [&] { std::ofstream(path, std::ios::binary) << std::string(c.log.bytes().begin(), c.log.bytes().end()); });
      }
      const std::string label = std::string(c.name) + (fromPipe ? " (pipe)" : "");
      log_.clear();
      VynProfileLogReaderXtu reader(path, VisibilityLevel::All);
      EXPECT_EQ(reader.loadLog(true), c.loads) << label;
      if (writer.joinable()) writer.join();
      EXPECT_EQ(executionValues(reader), c.values) << label;
      EXPECT_EQ(log_.errors(), c.errors) << label;
      EXPECT_EQ(reader.statistics().executions.maximum.size(), c.loads && !c.values.empty() ? 1u : 0u) << label;
    }
  }
}

// A missing file or a directory is refused when opened. The process's own
// memory file opens, but reading it at offset 0 fails.
TEST_F(LogLoaderTest, UnreadableInputsFail) {
  const std::string unreadable = "/proc/self/mem";
  for (const std::string& path : {dir_.file("absent.bin"), dir_.path(), unreadable}) {
    log_.clear();
    EXPECT_FALSE(VynProfileLogReaderXtu(path, VisibilityLevel::All).loadLog(true)) << path;
    if (path != unreadable) {
      EXPECT_THAT(log_.errors(), ElementsAre("Invalid or nonexistent file: " + path));
    }
  }
  EXPECT_THAT(log_.errors(), Not(IsEmpty()));
}

}  // namespace
}  // namespace vyn::profiling
