// Header capture from the first record that carries a header, and the header
// report text (rendered in UTC so that the creation time is fixed).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "log/captured_log.h"
#include "reader/vyn_profile_log_reader.h"
#include "support/log_builder.h"

namespace vyn::profiling {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using vyn::testing::Header;
using vyn::testing::Message;
using vyn::testing::Record;

Header fullHeader() {
  Header header;
  header.timeScale = 0.5f;
  header.epochTimestamp = 1'700'000'000'123'456u;  // 2023-11-14 22:13:20 UTC
  header.steadyClockTimestamp = 42;
  header.hasVersion = true;
  header.generatorVersion = "1.2.3";
  header.backendVersion = "xtu-9";
  header.generatorName = "tool";
  return header;
}

Record recordWith(std::optional<Header> header) {
  Record record;
  record.header = std::move(header);
  return record.with(Message::of(1).at(1));
}

class LogHeaderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }

  // Positions the reader's cursor on the record, as the loader does, and runs
  // the header capture. The record's bytes stay alive for the whole test.
  void feed(const Record& record, VynProfileLogReader& reader) {
    records_.push_back(std::make_shared<std::vector<std::uint8_t>>(
        vyn::testing::buildRecord(record)));
    ASSERT_TRUE(reader.recordCursor.initialize(records_.back()));
    reader.captureHeader();
  }
  void feed(const Record& record) { feed(record, reader_); }

  vyn::testing::CapturedLog log_;
  VynProfileLogReader reader_{"/logs/run.bin", VisibilityLevel::All};
  std::vector<std::shared_ptr<std::vector<std::uint8_t>>> records_;
};

TEST_F(LogHeaderTest, CopiesEveryHeaderField) {
  feed(recordWith(fullHeader()));
  EXPECT_TRUE(reader_.headerCaptured);
  EXPECT_EQ(reader_.timeScale, 0.5f);
  EXPECT_EQ(reader_.epochTimestamp, 1'700'000'000'123'456u);
  EXPECT_EQ(reader_.steadyClockTimestamp, 42u);
  EXPECT_EQ(reader_.generatorVersion, "1.2.3");
  EXPECT_EQ(reader_.backendVersion, "xtu-9");
  EXPECT_EQ(reader_.generatorName, "tool");
  EXPECT_FALSE(reader_.generatedByUpdater);
}

TEST_F(LogHeaderTest, AbsentScalarsReadAsZeroAndAbsentTextsKeepTheMembers) {
  reader_.timeScale = 3.0f;
  reader_.epochTimestamp = 7;
  reader_.steadyClockTimestamp = 8;
  reader_.generatorName = "kept name";
  reader_.generatorVersion = "kept version";
  reader_.backendVersion = "kept backend";
  feed(recordWith(Header{}));
  EXPECT_TRUE(reader_.headerCaptured);
  EXPECT_EQ(reader_.timeScale, 0.0f);
  EXPECT_EQ(reader_.epochTimestamp, 0u);
  EXPECT_EQ(reader_.steadyClockTimestamp, 0u);
  EXPECT_EQ(reader_.generatorName, "kept name");
  EXPECT_EQ(reader_.generatorVersion, "kept version");
  EXPECT_EQ(reader_.backendVersion, "kept backend");
}

TEST_F(LogHeaderTest, TextsAreCopiedWithTheirStoredLength) {
  Header header;
  header.generatorVersion = std::string("1.0\0beta", 8);
  header.backendVersion = std::string("\0x", 2);
  feed(recordWith(header));
  EXPECT_EQ(reader_.generatorVersion, std::string("1.0\0beta", 8));
  EXPECT_EQ(reader_.backendVersion, std::string("\0x", 2));
}

TEST_F(LogHeaderTest, RecordWithoutHeaderLeavesTheCaptureForALaterRecord) {
  feed(recordWith(std::nullopt));
  EXPECT_FALSE(reader_.headerCaptured);
  EXPECT_THAT(log_.debugs(), ::testing::Contains("hdr is nullptr"));

  feed(recordWith(fullHeader()));
  EXPECT_TRUE(reader_.headerCaptured);
  EXPECT_EQ(reader_.generatorName, "tool");
}

TEST_F(LogHeaderTest, CapturesOnlyOnce) {
  feed(recordWith(fullHeader()));
  reader_.generatorName = "changed";
  log_.clear();
  reader_.captureHeader();
  EXPECT_THAT(log_.debugs(), ElementsAre("Header details have been saved already."));
  EXPECT_EQ(reader_.generatorName, "changed");
}

TEST_F(LogHeaderTest, OnlyTheExactUpdaterNameMarksAnUpdaterLog) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"zevir-talvo-updater", true},
      {"Zevir-talvo-updater", false},
      {"zevir-talvo-updater2", false},
      {"zevir-talvo-update", false},
      {" zevir-talvo-updater", false},
      {std::string("zevir-talvo-updater\0x", 21), false},
  };
  for (const auto& [name, updater] : cases) {
    VynProfileLogReader reader("/logs/run.bin", VisibilityLevel::All);
    Header header;
    header.generatorName = name;
    feed(recordWith(header), reader);
    EXPECT_EQ(reader.generatedByUpdater, updater) << name;
  }
}

TEST_F(LogHeaderTest, ReportIsEmptyWithoutHeader) {
  EXPECT_EQ(reader_.getHeaderReport(), "");
  EXPECT_THAT(log_.debugs(), ElementsAre("Header details unavailable."));
}

TEST_F(LogHeaderTest, ReportOfAFullHeader) {
  feed(recordWith(fullHeader()));
  EXPECT_EQ(reader_.getHeaderReport(),
            "Input Log File Location: /logs/run.bin\n"
            "Log File Created: Tue Nov 14 22:13:20 2023\n"
            "Time Scale: 0.5\n"
            "Epoch Timestamp: 1700000000123456 Steady Clock Timestamp: 42\n"
            "Generated using: \n"
            "vyn-profile-viewer: v2.51.0.260929181845\n"
            "tool: 1.2.3\n"
            "Backend: xtu-9\n");
  // Reading the report changes nothing.
  EXPECT_EQ(reader_.getHeaderReport(), reader_.getHeaderReport());
}

TEST_F(LogHeaderTest, ReportOfAHeaderWithoutTexts) {
  Header header;
  header.epochTimestamp = 0;
  header.timeScale = 2.5e-05f;
  feed(recordWith(header));
  EXPECT_EQ(reader_.getHeaderReport(),
            "Input Log File Location: /logs/run.bin\n"
            "Log File Created: Thu Jan  1 00:00:00 1970\n"
            "Time Scale: 2.5e-05\n"
            "Epoch Timestamp: 0 Steady Clock Timestamp: 0\n"
            "Generated using: \n"
            "vyn-profile-viewer: v2.51.0.260929181845\n");
}

TEST_F(LogHeaderTest, GeneratorLineNeedsBothNameAndVersion) {
  Header nameOnly;
  nameOnly.generatorName = "tool";
  nameOnly.backendVersion = "xtu-9";
  feed(recordWith(nameOnly));
  const std::string report = reader_.getHeaderReport();
  EXPECT_EQ(report.find("tool"), std::string::npos) << report;
  EXPECT_NE(report.find("vyn-profile-viewer: v2.51.0.260929181845\nBackend: xtu-9\n"),
            std::string::npos)
      << report;

  VynProfileLogReader versionOnly("/logs/run.bin", VisibilityLevel::All);
  Header header;
  header.generatorVersion = "1.2.3";
  feed(recordWith(header), versionOnly);
  const std::string other = versionOnly.getHeaderReport();
  EXPECT_THAT(other, ::testing::EndsWith("vyn-profile-viewer: v2.51.0.260929181845\n"));
}

// The year 10000 does not fit the 26 characters of the time text.
TEST_F(LogHeaderTest, UnprintableCreationTimeLeavesOutOnlyThatLine) {
  Header header = fullHeader();
  header.epochTimestamp = 253'402'300'800'000'000u;
  feed(recordWith(header));
  EXPECT_EQ(reader_.getHeaderReport(),
            "Input Log File Location: /logs/run.bin\n"
            "Time Scale: 0.5\n"
            "Epoch Timestamp: 253402300800000000 Steady Clock Timestamp: 42\n"
            "Generated using: \n"
            "vyn-profile-viewer: v2.51.0.260929181845\n"
            "tool: 1.2.3\n"
            "Backend: xtu-9\n");
}

}  // namespace
}  // namespace vyn::profiling
