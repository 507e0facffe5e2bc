// Header capture and the header report text (rendered in UTC so that the
// creation time is fixed).
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

using vyn::testing::Header;

// Positions the reader's cursor on a record with the header, as the loader
// does, and runs the header capture. The record's bytes must outlive the reader's
// use of the header, hence the returned buffer.
std::shared_ptr<std::vector<std::uint8_t>> capture(VynProfileLogReader& reader, const Header& header) {
  vyn::testing::Record record;
  record.header = header;
  auto bytes = std::make_shared<std::vector<std::uint8_t>>(vyn::testing::buildRecord(record));
  EXPECT_TRUE(reader.recordCursor.initialize(bytes));
  reader.captureHeader();
  return bytes;
}

Header fullHeader() {
  Header header;
  header.timeScale = 0.5f;
  header.epochTimestamp = 1'700'000'000'123'456u;  // 2023-11-14 22:13:20 UTC
  header.steadyClockTimestamp = 42;
  header.generatorVersion = "1.2.3";
  header.backendVersion = "xtu-9";
  header.generatorName = "tool";
  return header;
}

TEST(LogHeader, OnlyTheExactUpdaterNameMarksAnUpdaterLog) {
  const std::pair<std::string, bool> cases[] = {
      {"zevir-talvo-updater", true},   {"Zevir-talvo-updater", false}, {"zevir-talvo-updater2", false},
      {"zevir-talvo-update", false},   {" zevir-talvo-updater", false},
      {std::string("zevir-talvo-updater\0x", 21), false},
  };
  for (const auto& [name, updater] : cases) {
    VynProfileLogReader reader("", VisibilityLevel::All);
    Header header;
    header.generatorName = name;
    capture(reader, header);
    EXPECT_TRUE(reader.headerCaptured);
    EXPECT_EQ(reader.generatorName, name);
    EXPECT_EQ(reader.generatedByUpdater, updater) << name;
  }
}

TEST(LogHeader, ReportIsEmptyWithoutHeader) {
  vyn::testing::CapturedLog log;
  VynProfileLogReader reader("/logs/run.bin", VisibilityLevel::All);
  EXPECT_EQ(reader.getHeaderReport(), "");
  EXPECT_THAT(log.debugs(), ::testing::ElementsAre("Header details unavailable."));
}

TEST(LogHeader, Report) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  const std::string head = "Input Log File Location: /logs/run.bin\n";
  const std::string viewer = "Generated using: \nvyn-profile-viewer: v2.51.0.260929181845\n";
  Header bare;
  bare.epochTimestamp = 0;
  bare.timeScale = 2.5e-05f;
  Header nameOnly = bare;  // the generator line needs both name and version
  nameOnly.generatorName = "tool";
  nameOnly.backendVersion = "xtu-9";
  Header versionOnly = bare;
  versionOnly.generatorVersion = "1.2.3";
  Header unprintable = fullHeader();  // the year 10000 does not fit the time text
  unprintable.epochTimestamp = 253'402'300'800'000'000u;
  const std::pair<Header, std::string> cases[] = {
      {fullHeader(), head + "Log File Created: Tue Nov 14 22:13:20 2023\nTime Scale: 0.5\n"
                            "Epoch Timestamp: 1700000000123456 Steady Clock Timestamp: 42\n" +
                         viewer + "tool: 1.2.3\nBackend: xtu-9\n"},
      {bare, head + "Log File Created: Thu Jan  1 00:00:00 1970\nTime Scale: 2.5e-05\n"
                    "Epoch Timestamp: 0 Steady Clock Timestamp: 0\n" + viewer},
      {nameOnly, head + "Log File Created: Thu Jan  1 00:00:00 1970\nTime Scale: 2.5e-05\n"
                        "Epoch Timestamp: 0 Steady Clock Timestamp: 0\n" + viewer + "Backend: xtu-9\n"},
      {versionOnly, head + "Log File Created: Thu Jan  1 00:00:00 1970\nTime Scale: 2.5e-05\n"
                           "Epoch Timestamp: 0 Steady Clock Timestamp: 0\n" + viewer},
      {unprintable, head + "Time Scale: 0.5\nEpoch Timestamp: 253402300800000000 Steady Clock Timestamp: 42\n" +
                        viewer + "tool: 1.2.3\nBackend: xtu-9\n"},
  };
  for (const auto& [header, expected] : cases) {
    VynProfileLogReader reader("/logs/run.bin", VisibilityLevel::All);
    const auto record = capture(reader, header);
    EXPECT_EQ(reader.getHeaderReport(), expected);
  }
}

}  // namespace
}  // namespace vyn::profiling
