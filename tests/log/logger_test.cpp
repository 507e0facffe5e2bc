// The diagnostic logger: level thresholds, the exact line form of the default
// sink, and what a custom sink receives. (Silence without a logger is checked
// through the loaded plug-in in the host test.)
#include "log/logger.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vyn::log {
namespace {

// What a custom sink was handed: a line of level, format and expanded text per call.
std::string sinkCalls;

void recordingSink(const char* format, std::uint32_t level, std::uint64_t, va_list args) {
  char text[256];
  std::vsnprintf(text, sizeof text, format, args);
  sinkCalls += std::to_string(level) + " " + format + "|" + text + "\n";
}

std::string formatLine(std::size_t size, std::uint32_t level, std::uint64_t elapsedNs, const char* format, ...) {
  std::vector<char> buffer(size, '#');
  va_list args;
  va_start(args, format);
  formatLogLine(buffer.data(), buffer.size(), format, level, elapsedNs, args);
  va_end(args);
  return buffer.data();
}

// Every test starts and ends without a current logger.
class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    destroyLogger();
    sinkCalls.clear();
  }
  void TearDown() override { destroyLogger(); }
};

// A line: elapsed milliseconds right-aligned in eight characters, the level's
// seven-character tag, the message; cut to the buffer. The default sink prints
// one such line per message.
TEST_F(LoggerTest, LinesAreElapsedMillisecondsTagAndMessageCutToFit) {
  const std::pair<std::uint32_t, const char*> tags[] = {{1, " ERROR "}, {2, "WARNING"}, {3, "  INFO "},
                                                        {4, "VERBOSE"}, {5, " DEBUG "}, {0x7fffffff, "UNKNOWN"},
                                                        {9, "       "}};  // unnamed levels: seven blanks
  for (const auto& [level, tag] : tags)
    EXPECT_EQ(formatLine(256, level, 1'234'567, "Invalid output file: [%s]", "/tmp/out.csv"),
              std::string("     1.2ms [") + tag + "] Invalid output file: [/tmp/out.csv]");
  // Eight characters are a minimum width, not a cut; the buffer size is.
  EXPECT_EQ(formatLine(256, 1, 98'765'432'100'000, "e"), "98765432.1ms [ ERROR ] e");
  EXPECT_EQ(formatLine(32, 1, 1'234'567, "%s", std::string(100, 'y').c_str()), "     1.2ms [ ERROR ] yyyyyyyyyy");

  ASSERT_TRUE(createLogger(nullptr, VYN_LOG_LEVEL_DEBUG));
  ::testing::internal::CaptureStdout();
  VYN_LOG_ERROR("Invalid output file: [%s]", "/tmp/out.csv");
  VYN_LOG_ERROR("%s", std::string(2000, 'x').c_str());
  const std::string out = ::testing::internal::GetCapturedStdout();
  // The prefix keeps its eight characters only while the time counts from the logger's creation.
  const std::size_t end = out.find('\n') + 1;
  EXPECT_EQ(out.substr(8, end - 8), "ms [ ERROR ] Invalid output file: [/tmp/out.csv]\n") << out;
  EXPECT_EQ(out.size() - end, 1024u);  // 1023 characters and the line end
  EXPECT_EQ(out.substr(out.size() - 11), "xxxxxxxxxx\n");
}

// A custom sink gets the unexpanded format, the level and the arguments; only
// statements within the level reach it. A logger refused for its level leaves none, not even the one before it.
TEST_F(LoggerTest, OnlyStatementsWithinTheLevelReachTheSink) {
  ASSERT_TRUE(createLogger(&recordingSink, VYN_LOG_LEVEL_INFO));
  VYN_LOG_DEBUG("debug");
  logMessage(VYN_LOG_LEVEL_VERBOSE, "verbose");
  VYN_LOG_ERROR("Truncated record: %u bytes announced, %llu available", 100u, 20ULL);
  VYN_LOG_WARN("warn");
  VYN_LOG_INFO("info");
  VYN_LOG_DEBUG("debug");
  for (const std::int32_t level : {0, 6, -1, LOG_LEVEL_UNKNOWN}) {
    ASSERT_TRUE(createLogger(&recordingSink, VYN_LOG_LEVEL_DEBUG));
    EXPECT_FALSE(createLogger(&recordingSink, level)) << level;
    VYN_LOG_ERROR("dropped");
  }
  EXPECT_EQ(sinkCalls,
            "1 Truncated record: %u bytes announced, %llu available|Truncated record: 100 bytes "
            "announced, 20 available\n2 warn|warn\n3 info|info\n");
}

}  // namespace
}  // namespace vyn::log
