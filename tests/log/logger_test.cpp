// The diagnostic logger: silent without a logger, level thresholds, the exact
// line form of the default sink, and what a custom sink receives.
#include "log/logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "log/captured_log.h"

namespace vyn::log {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// What a custom sink was handed, before any expansion.
struct SinkCall {
  std::string format;
  std::uint32_t level;
  std::uint64_t elapsedNs;
  std::string expanded;
};

std::vector<SinkCall>& sinkCalls() {
  static std::vector<SinkCall> calls;
  return calls;
}

void recordingSink(const char* format, std::uint32_t level, std::uint64_t elapsedNs,
                   va_list args) {
  char text[256];
  std::vsnprintf(text, sizeof text, format, args);
  sinkCalls().push_back({format, level, elapsedNs, text});
}

// Every test starts and ends without a current logger.
class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    destroyLogger();
    sinkCalls().clear();
  }
  void TearDown() override { destroyLogger(); }
};

std::string formatLine(std::size_t size, std::uint32_t level, std::uint64_t elapsedNs,
                       const char* format, ...) {
  std::vector<char> buffer(size, '#');
  va_list args;
  va_start(args, format);
  formatLogLine(buffer.data(), buffer.size(), format, level, elapsedNs, args);
  va_end(args);
  return std::string(buffer.data());
}

// Whether the line starts with a number of milliseconds written with one decimal
// and right-aligned in eight characters.
bool hasMillisecondPrefix(const std::string& line) {
  if (line.size() < 8) return false;
  const std::string field = line.substr(0, 8);
  double milliseconds = -1;
  if (std::sscanf(field.c_str(), "%lf", &milliseconds) != 1 || milliseconds < 0) return false;
  char rewritten[32];
  std::snprintf(rewritten, sizeof rewritten, "%8.1f", milliseconds);
  return field == rewritten;
}

TEST_F(LoggerTest, WithoutLoggerNothingIsPrintedAnywhere) {
  EXPECT_FALSE(isLoggerCreated());
  EXPECT_EQ(getLogLevel(), LOG_LEVEL_UNKNOWN);
  EXPECT_EQ(getLogCallback(), nullptr);

  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  VYN_LOG_ERROR("Invalid output file: [%s]", "/tmp/out.csv");
  VYN_LOG_DEBUG("Header details unavailable.");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(LoggerTest, DefaultSinkPrintsOneLineWithElapsedTimeAndTag) {
  ASSERT_TRUE(createLogger(nullptr, VYN_LOG_LEVEL_DEBUG));
  EXPECT_TRUE(isLoggerCreated());
  EXPECT_NE(getLogCallback(), nullptr);

  ::testing::internal::CaptureStdout();
  VYN_LOG_ERROR("Invalid output file: [%s]", "/tmp/out.csv");
  VYN_LOG_DEBUG("no more messages! (Message Counter: %llu)", 3ULL);
  const std::string out = ::testing::internal::GetCapturedStdout();

  const std::string first = out.substr(0, out.find('\n') + 1);
  const std::string second = out.substr(first.size());
  ASSERT_TRUE(hasMillisecondPrefix(first)) << first;
  ASSERT_TRUE(hasMillisecondPrefix(second)) << second;
  EXPECT_EQ(first.substr(8), "ms [ ERROR ] Invalid output file: [/tmp/out.csv]\n");
  EXPECT_EQ(second.substr(8), "ms [ DEBUG ] no more messages! (Message Counter: 3)\n");
}

TEST_F(LoggerTest, DefaultSinkCutsLongMessagesTo1023Characters) {
  ASSERT_TRUE(createLogger(nullptr, VYN_LOG_LEVEL_ERROR));
  const std::string longText(2000, 'x');
  ::testing::internal::CaptureStdout();
  VYN_LOG_ERROR("%s", longText.c_str());
  const std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_EQ(out.size(), 1024u);
  EXPECT_EQ(out.back(), '\n');
  EXPECT_EQ(out.substr(out.size() - 11), "xxxxxxxxxx\n");
}

TEST_F(LoggerTest, CustomSinkGetsUnexpandedFormatLevelAndArguments) {
  ASSERT_TRUE(createLogger(&recordingSink, VYN_LOG_LEVEL_DEBUG));
  EXPECT_EQ(getLogCallback(), &recordingSink);
  VYN_LOG_ERROR("Truncated record: %u bytes announced, %llu available", 100u, 20ULL);
  std::this_thread::sleep_for(std::chrono::milliseconds(3));
  VYN_LOG_DEBUG("hdr is nullptr");

  ASSERT_EQ(sinkCalls().size(), 2u);
  EXPECT_EQ(sinkCalls()[0].format, "Truncated record: %u bytes announced, %llu available");
  EXPECT_EQ(sinkCalls()[0].level, 1u);
  EXPECT_EQ(sinkCalls()[0].expanded, "Truncated record: 100 bytes announced, 20 available");
  EXPECT_EQ(sinkCalls()[1].level, 5u);
  EXPECT_EQ(sinkCalls()[1].expanded, "hdr is nullptr");
  // Elapsed time counts from the logger's creation.
  EXPECT_GE(sinkCalls()[1].elapsedNs - sinkCalls()[0].elapsedNs, 3'000'000u);
  EXPECT_LT(sinkCalls()[1].elapsedNs, 60'000'000'000u);
}

TEST_F(LoggerTest, LevelIsAThresholdOnVerbosity) {
  ASSERT_TRUE(createLogger(&recordingSink, VYN_LOG_LEVEL_ERROR));
  VYN_LOG_DEBUG("debug");
  VYN_LOG_WARN("warn");
  VYN_LOG_ERROR("error");
  ASSERT_EQ(sinkCalls().size(), 1u);
  EXPECT_EQ(sinkCalls()[0].expanded, "error");

  sinkCalls().clear();
  ASSERT_TRUE(setLogLevel(VYN_LOG_LEVEL_INFO));
  EXPECT_EQ(getLogLevel(), VYN_LOG_LEVEL_INFO);
  VYN_LOG_ERROR("error");
  VYN_LOG_WARN("warn");
  VYN_LOG_INFO("info");
  logMessage(VYN_LOG_LEVEL_VERBOSE, "verbose");
  VYN_LOG_DEBUG("debug");
  std::vector<std::string> texts;
  for (const SinkCall& call : sinkCalls()) texts.push_back(call.expanded);
  EXPECT_THAT(texts, ElementsAre("error", "warn", "info"));
}

TEST_F(LoggerTest, InvalidLevelsLeaveNoLogger) {
  for (const std::int32_t level : {0, 6, -1, LOG_LEVEL_UNKNOWN}) {
    ASSERT_TRUE(createLogger(&recordingSink, VYN_LOG_LEVEL_DEBUG));
    // The previous logger is removed even though the new one is refused.
    EXPECT_FALSE(createLogger(&recordingSink, level)) << level;
    EXPECT_FALSE(isLoggerCreated()) << level;
    EXPECT_EQ(getLogLevel(), LOG_LEVEL_UNKNOWN) << level;
    EXPECT_EQ(getLogCallback(), nullptr) << level;
    VYN_LOG_ERROR("dropped");
  }
  EXPECT_THAT(sinkCalls(), IsEmpty());
}

TEST_F(LoggerTest, SetLogLevelAcceptsOnlyTheNamedLevels) {
  EXPECT_FALSE(setLogLevel(VYN_LOG_LEVEL_ERROR));  // no logger yet
  ASSERT_TRUE(createLogger(&recordingSink, VYN_LOG_LEVEL_DEBUG));
  EXPECT_FALSE(setLogLevel(0));
  EXPECT_FALSE(setLogLevel(6));
  EXPECT_EQ(getLogLevel(), VYN_LOG_LEVEL_DEBUG);
  EXPECT_TRUE(setLogLevel(VYN_LOG_LEVEL_WARN));
  EXPECT_EQ(getLogLevel(), VYN_LOG_LEVEL_WARN);
}

TEST_F(LoggerTest, DestroyedLoggerIsSilentAndCanBeReplaced) {
  ASSERT_TRUE(createLogger(&recordingSink, VYN_LOG_LEVEL_DEBUG));
  destroyLogger();
  EXPECT_FALSE(isLoggerCreated());
  VYN_LOG_ERROR("dropped");
  EXPECT_THAT(sinkCalls(), IsEmpty());

  ASSERT_TRUE(createLogger(&recordingSink, VYN_LOG_LEVEL_DEBUG));
  VYN_LOG_ERROR("kept");
  ASSERT_EQ(sinkCalls().size(), 1u);
  EXPECT_EQ(sinkCalls()[0].expanded, "kept");
}

TEST(LogLineFormat, PrefixIsElapsedMillisecondsAndSevenCharacterTag) {
  EXPECT_EQ(formatLine(256, 1, 1'234'567, "Invalid output file: [%s]", "/tmp/out.csv"),
            "     1.2ms [ ERROR ] Invalid output file: [/tmp/out.csv]");
  EXPECT_EQ(formatLine(256, 2, 1'234'567, "w"), "     1.2ms [WARNING] w");
  EXPECT_EQ(formatLine(256, 3, 1'234'567, "i"), "     1.2ms [  INFO ] i");
  EXPECT_EQ(formatLine(256, 4, 1'234'567, "v"), "     1.2ms [VERBOSE] v");
  EXPECT_EQ(formatLine(256, 5, 1'234'567, "d"), "     1.2ms [ DEBUG ] d");
  EXPECT_EQ(formatLine(256, 0x7fffffff, 1'234'567, "u"), "     1.2ms [UNKNOWN] u");
  // Levels without a name get a tag of seven blanks.
  EXPECT_EQ(formatLine(256, 0, 1'234'567, "n"), "     1.2ms [       ] n");
  EXPECT_EQ(formatLine(256, 9, 1'234'567, "n"), "     1.2ms [       ] n");
  // Eight characters are a minimum width, not a cut.
  EXPECT_EQ(formatLine(256, 1, 123'456'789'000, "e"), "123456.8ms [ ERROR ] e");
  EXPECT_EQ(formatLine(256, 1, 98'765'432'100'000, "e"), "98765432.1ms [ ERROR ] e");
}

TEST(LogLineFormat, TruncatesToTheBufferAndTerminates) {
  const std::string line = formatLine(32, 1, 1'234'567, "%s", std::string(100, 'y').c_str());
  EXPECT_EQ(line, "     1.2ms [ ERROR ] yyyyyyyyyy");
  EXPECT_EQ(line.size(), 31u);
}

}  // namespace
}  // namespace vyn::log
