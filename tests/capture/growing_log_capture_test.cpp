// Following a growing log: a capture resumed at any byte of a log ends with the
// model one load gives, a record not yet written whole waits, and damage stops
// the following with the fault and keeps what came before.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "capture/growing_log_capture.h"
#include "capture/log_file_capture.h"
#include "format/log_read_ahead.h"
#include "support/captured_model.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using vyn::testing::Event;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;

constexpr int kExecute = 1, kFinalize = 2, kDeInit = 5, kInit = 6, kExecuteEvents = 9;

// Frames of a small session: a header, executions of two graphs, events logged
// after the execution they belong to (attached to the oldest one without any),
// a finalization, and the end. Each entry is one frame.
std::vector<std::vector<std::uint8_t>> sessionFrames() {
  Record first;
  first.header.emplace().generatorName = "runtime";
  first.with(Message::of(kInit).lasting(50).at(1))
      .with(Message::of(kExecute).named("g1").lasting(10).at(2).event(
          Event::named("Layer a").u64(4).withUnit(1).sub(Event::named("Compute").u64(3).withUnit(1))));
  Record second;
  second.with(Message::of(kExecute).named("g1").lasting(12).at(3))
      .with(Message::of(kExecute).named("g2").lasting(7).at(4));
  Record third;
  third.with(Message::of(kExecuteEvents).named("g1").event(Event::named("Layer a").u64(5).withUnit(1)))
      .with(Message::of(kFinalize).named("g1").lasting(2).at(5));
  Record fourth;
  fourth.with(Message::of(kExecute).named("g1").lasting(11).at(6)).with(Message::of(kDeInit).lasting(1).at(7));
  return {vyn::testing::buildRecord(first), vyn::testing::buildRecord(second), vyn::testing::buildRecord(third),
          vyn::testing::buildRecord(fourth)};
}

std::vector<std::uint8_t> logBytes(const std::vector<std::vector<std::uint8_t>>& frames) {
  LogBuilder log;
  for (const auto& frame : frames) log.frame(frame);
  return log.bytes();
}

void append(const std::string& path, const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out.write(reinterpret_cast<const char*>(bytes.data() + from), static_cast<std::streamsize>(to - from));
}

// The model as text, with the header's generator name.
std::string shown(const LogModel& model) {
  return vyn::testing::modelText(model) + " | header " + (model.header ? model.header->generatorName : "none");
}

// Every resumption reads what was appended serially, then ahead on a second
// thread, a frame per batch.
class GrowingLogCaptureReadAhead : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) setReadAheadPolicy({0, true, 1, 1u << 20});
  }
  void TearDown() override { setReadAheadPolicy(ReadAheadPolicy{}); }
};

INSTANTIATE_TEST_SUITE_P(SerialAndReadAhead, GrowingLogCaptureReadAhead, ::testing::Bool());

// One capture follows the log as it grows byte by byte; at every size, a fresh
// capture also starts there, takes the whole records at once, then the rest.
TEST_P(GrowingLogCaptureReadAhead, ResumedAtAnyByteEndsWithTheModelOfOneLoad) {
  vyn::testing::TempDir dir;
  const auto frames = sessionFrames();
  const std::vector<std::uint8_t> bytes = logBytes(frames);
  const std::string whole = dir.file("whole.log");
  append(whole, bytes, 0, bytes.size());
  LogModel loaded;
  ASSERT_TRUE(captureLogFile(whole, 127, loaded).loaded());
  const std::string expected = shown(loaded);

  // Where each frame ends, to tell how many records a cut leaves whole.
  std::vector<std::size_t> frameEnds;
  std::size_t end = 0;
  for (const auto& frame : frames) frameEnds.push_back(end += 4 + frame.size());

  const std::string growingPath = dir.file("growing.log");
  append(growingPath, bytes, 0, 0);
  GrowingLogCapture growing(growingPath, 127);
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    std::uint64_t wholeRecords = 0;
    std::size_t wholeBytes = 0;
    for (const std::size_t frameEnd : frameEnds) {
      if (frameEnd <= cut) wholeBytes = frameEnd, ++wholeRecords;
    }
    if (cut > 0) append(growingPath, bytes, cut - 1, cut);
    growing.update();
    ASSERT_TRUE(growing.following());
    EXPECT_EQ(growing.records(), wholeRecords);
    EXPECT_EQ(growing.position(), wholeBytes);
    EXPECT_EQ(growing.waitingBytes(), cut - wholeBytes);

    const std::string path = dir.file("cut.log");
    append(path, bytes, 0, cut);
    GrowingLogCapture capture(path, 127);
    EXPECT_EQ(capture.update(), wholeRecords);
    EXPECT_EQ(capture.waitingBytes(), cut - wholeBytes);
    append(path, bytes, cut, bytes.size());
    EXPECT_EQ(capture.update(), frames.size() - wholeRecords);
    EXPECT_TRUE(capture.following());
    EXPECT_EQ(capture.waitingBytes(), 0u);
    EXPECT_EQ(shown(capture.model()), expected);
    std::remove(path.c_str());
  }
  EXPECT_EQ(shown(growing.model()), expected);
}

// Appended after the session's first two records: a whole record that does
// not verify, and a length prefix beyond any record (damage, not a record on
// its way); with the start of the fault's words.
TEST(GrowingLogCapture, DamageStopsTheFollowingAndKeepsWhatCameBefore) {
  const auto frames = sessionFrames();
  const std::size_t kept = 8 + frames[0].size() + frames[1].size();
  const std::pair<LogBuilder, std::string> cases[] = {
      {LogBuilder().frame(std::vector<std::uint8_t>(40, 0xEE)), ""},
      {LogBuilder().lengthPrefix(0xFFFFFFFFu).raw({1, 2}),
       "truncated record: the length prefix announces 4294967295 bytes"},
  };
  for (const auto& [appended, words] : cases) {
    SCOPED_TRACE(words);
    vyn::testing::TempDir dir;
    const std::string path = dir.file("damaged.log");
    LogBuilder().frame(frames[0]).frame(frames[1]).writeTo(path);
    GrowingLogCapture capture(path, 127);
    EXPECT_EQ(capture.update(), 2u);
    const std::string before = shown(capture.model());

    append(path, appended.bytes(), 0, appended.bytes().size());
    EXPECT_EQ(capture.update(), 0u);
    ASSERT_FALSE(capture.following());
    EXPECT_EQ(capture.fault()->record, 2u);
    EXPECT_EQ(capture.fault()->offset, kept);
    EXPECT_EQ(capture.fault()->words.rfind(words, 0), 0u) << capture.fault()->words;

    // Good records after the damage are not read: the following has stopped.
    append(path, logBytes({frames[2]}), 0, 4 + frames[2].size());
    EXPECT_EQ(capture.update(), 0u);
    EXPECT_EQ(capture.records(), 2u);
    EXPECT_EQ(capture.position(), kept);
    EXPECT_EQ(shown(capture.model()), before);
    EXPECT_EQ(capture.fileSize(), kept + appended.bytes().size() + 4 + frames[2].size());
  }
}

TEST(GrowingLogCapture, AFileThatShrankIsAFault) {
  vyn::testing::TempDir dir;
  const auto frames = sessionFrames();
  const std::string path = dir.file("shrinking.log");
  LogBuilder().frame(frames[0]).frame(frames[1]).writeTo(path);
  GrowingLogCapture capture(path, 127);
  EXPECT_EQ(capture.update(), 2u);
  LogBuilder().frame(frames[0]).writeTo(path);
  EXPECT_EQ(capture.update(), 0u);
  ASSERT_FALSE(capture.following());
  EXPECT_EQ(capture.fault()->words, "the log shrank to " + std::to_string(4 + frames[0].size()) + " bytes after " +
                                        std::to_string(8 + frames[0].size() + frames[1].size()) +
                                        " had been read: it was cut or replaced");
  EXPECT_EQ(capture.records(), 2u);
}

}  // namespace
}  // namespace vyn::profiling
