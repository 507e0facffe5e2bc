// The generic report of composed logs: standard output and the CSV export are
// compared byte for byte with the expected files under golden/; also where the
// export goes and which data files the report saves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>

#include "reader/vyn_profile_log_reader.h"
#include "report/report_test_util.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::testing {
namespace {

using profiling::EventUnit::Bytes;
using profiling::EventUnit::Count;
using profiling::EventUnit::Microseconds;
using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;

constexpr int kExecute = 1;
constexpr int kExecuteRoundTrip = 3;
constexpr int kExecuteOverall = 8;
constexpr int kDynamicLibLoad = 10;
constexpr int kApplyBinarySection = 11;
constexpr int kApplyBinarySection2 = 12;
constexpr int kContextGetBinarySize = 13;
constexpr int kContextGetBinary = 14;
constexpr int kContextGetBinarySectionSize = 15;
constexpr int kFinalizeAfterTensorUpdates = 16;
constexpr int kUpdateBinarySection = 17;
constexpr std::uint32_t kQueueWait = 405;

Event measured(const std::string& name, std::uint64_t value, std::uint32_t unit = Microseconds,
               std::uint32_t identifier = 7) {
  return Event::named(name, identifier).u64(value).withUnit(unit);
}

Event queueWait(std::uint64_t value) { return measured("queue wait", value, Microseconds, kQueueWait); }

std::string golden(const std::string& name) {
  return readFile(std::string(VYN_TESTS_DIR) + "/golden/" + name);
}

class GenericReportTest : public ::testing::Test {
 protected:
  GenericReportTest() : inScratch_(scratch_.path()) {}

  // Writes the log as run.log in the scratch directory and loads it; the
  // queue-wait notices of the load are not part of the report.
  void load(const LogBuilder& log) {
    log.writeTo("run.log");
    bool loaded = false;
    captureStandardOutput(scratchOutput_, [&] { loaded = reader.loadLog(false); });
    ASSERT_TRUE(loaded);
  }
  void load(std::vector<Message> messages) { load(LogBuilder().messages(std::move(messages))); }

  // The report's standard output; result receives the report's result.
  std::string report(const std::string& outputPath, bool& result) {
    return captureStandardOutput(scratchOutput_, [&] { result = reader.writeReport(outputPath); });
  }

  // Writes the report into report.csv and compares both outputs with the golden files.
  void expectReport(const std::string& name) {
    bool result = false;
    EXPECT_EQ(report("report.csv", result), golden(name + ".stdout"));
    EXPECT_TRUE(result);
    EXPECT_EQ(readFile("report.csv"), golden(name + ".csv"));
  }

  TempDir scratch_;
  TempDir outputScratch_;
  const std::string scratchOutput_ = outputScratch_.file("stdout");
  ScopedWorkingDirectory inScratch_;
  VynProfileLogReader reader{"run.log", VisibilityLevel::All};
};

TEST_F(GenericReportTest, EmptyReaderWritesTheAlwaysPresentSections) { expectReport("empty"); }

TEST_F(GenericReportTest, EmptyPathWritesTheSummaryOnly) {
  bool result = false;
  EXPECT_EQ(report("", result), golden("empty.stdout"));
  EXPECT_TRUE(result);
  EXPECT_TRUE(std::filesystem::is_empty(scratch_.path()));
}

TEST_F(GenericReportTest, UnopenableOutputFileFailsWithoutAnyOutput) {
  const std::string path = scratch_.file("missing/report.csv");
  CapturedLog log;
  bool result = true;
  EXPECT_EQ(report(path, result), "");
  EXPECT_FALSE(result);
  EXPECT_EQ(log.errors(), std::vector<std::string>{"Invalid output file: [" + path + "]"});
}

TEST_F(GenericReportTest, RoundTripsWithQueueWaits) {
  load({Message::of(kExecuteRoundTrip).named("net_a").at(1000).lasting(1500)
            .event(queueWait(300)).event(measured("kernel", 900)),
        Message::of(kExecuteRoundTrip).named("net_b").at(1100).lasting(50).event(queueWait(80)),
        Message::of(kExecuteRoundTrip).named("net_a").at(2000).lasting(2500)
            .event(queueWait(700)).event(measured("kernel", 1700))});
  expectReport("round_trip");
}

TEST_F(GenericReportTest, RoundTripsWithoutQueueWaitSamples) {
  // The first run has no queue-wait event, so there are no samples to average;
  // it is skipped as a minimum and replaced as a maximum.
  load({Message::of(kExecuteRoundTrip).named("net_c").at(10).lasting(0),
        Message::of(kExecuteRoundTrip).named("net_c").at(20).lasting(400).event(queueWait(100))});
  expectReport("round_trip_partial");
}

TEST_F(GenericReportTest, InferenceRateWithTheCountFirst) {
  load({Message::of(kExecute).named("g").at(500).lasting(40),
        Message::of(kExecuteOverall).at(900).lasting(1000)
            .event(measured("inferences", 5, Count)).event(measured("duration", 2000)),
        Message::of(kDynamicLibLoad).at(10).lasting(300).event(measured("latency", 250))});
  expectReport("ips_count_first");
}

TEST_F(GenericReportTest, InferenceRateWithTheDurationFirst) {
  load({Message::of(kExecuteOverall).at(7).lasting(1)
            .event(measured("duration", 7)).event(measured("count", 3, Count))});
  expectReport("ips_duration_first");
}

TEST_F(GenericReportTest, InferenceRateOfAZeroDuration) {
  load({Message::of(kExecuteOverall).at(8).lasting(1)
            .event(measured("count", 12, Count)).event(measured("duration", 0))});
  expectReport("ips_zero_duration");
}

TEST_F(GenericReportTest, ContextRetrievals) {
  load({Message::of(kContextGetBinarySize).named("ctx size").at(50).lasting(5),
        Message::of(kContextGetBinarySize).named("ctx size 2").at(55).lasting(9),
        Message::of(kContextGetBinary).named("ctx, main").at(60).lasting(120),
        Message::of(kContextGetBinarySectionSize).at(70).lasting(0),
        Message::of(kContextGetBinarySectionSize).named("sec b").at(80).lasting(40),
        Message::of(kContextGetBinarySectionSize).named("sec c").at(90).lasting(20)});
  expectReport("context");
}

TEST_F(GenericReportTest, BinarySectionsAndTensorUpdates) {
  load({Message::of(kApplyBinarySection).named("g1").at(100).lasting(30)
            .event(measured("patch", 6, Bytes)),
        Message::of(kApplyBinarySection2).named("g1").at(110).lasting(10)
            .event(measured("patch", 2, Bytes)),
        Message::of(kApplyBinarySection).named("g2").at(120).lasting(0),
        Message::of(kFinalizeAfterTensorUpdates).named("g1 [pass 1]").at(200).lasting(70)
            .event(measured("tensors", 3, Count)),
        Message::of(kFinalizeAfterTensorUpdates).named("g1 [pass 2]").at(210).lasting(90)
            .event(measured("tensors", 5, Count))});
  expectReport("binary_sections");
}

TEST_F(GenericReportTest, UpdaterToolLogReportsOnlyItsUpdate) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  Header header;
  header.timeScale = 1.0f;
  header.epochTimestamp = 0;
  header.steadyClockTimestamp = 5;
  header.generatorName = "zevir-talvo-updater";
  header.generatorVersion = "1.2";
  header.backendVersion = "be 9";
  Record record;
  record.header = header;
  record.with(Message::of(kUpdateBinarySection).at(300).lasting(12).event(measured("section", 64, Bytes)))
      .with(Message::of(kExecute).named("g").at(305).lasting(5))
      .with(Message::of(kUpdateBinarySection).named("ignored").at(310).lasting(15)
                .event(measured("section", 32, Bytes).sub(measured("chunk", 8, Bytes))));
  load(LogBuilder().record(record));
  expectReport("updater");
}

TEST_F(GenericReportTest, SecondReportIsAppendedToTheFirst) {
  load({Message::of(kExecute).named("g").at(500).lasting(40),
        Message::of(kExecuteOverall).at(900).lasting(1000)
            .event(measured("inferences", 5, Count)).event(measured("duration", 2000)),
        Message::of(kDynamicLibLoad).at(10).lasting(300).event(measured("latency", 250))});
  writeFile("report.csv", "earlier\n");
  const std::string summary = golden("ips_count_first.stdout");
  const std::string document = golden("ips_count_first.csv");
  bool result = false;
  EXPECT_EQ(report("report.csv", result), summary);
  EXPECT_EQ(report("report.csv", result), summary);
  EXPECT_TRUE(result);
  EXPECT_EQ(readFile("report.csv"), "earlier\n" + document + document);
}

TEST_F(GenericReportTest, AverageSectionSavesTheDataOfEveryRunTwoLevelsDeep) {
  const auto blob = [](const std::string& file, std::uint8_t byte) {
    return Event::named("blob", 7).data({byte, 0, byte}).withUnit(profiling::EventUnit::Object)
        .withDetail(file);
  };
  load({Message::of(kExecute).named("g").at(1).lasting(10).event(blob("r1.bin", 1)),
        Message::of(kExecute).named("g").at(2).lasting(20)
            .event(blob("r2.bin", 2).sub(blob("r2s.bin", 3).sub(blob("deep.bin", 4))))});
  reader.writeDataFiles = true;
  bool result = false;
  report("", result);
  ASSERT_TRUE(result);
  // The runs' own events and their direct sub-events are saved by the Average
  // section; the Min and Max event trees then save what they show (the first run
  // and the second one, deepest event included) under the next free names.
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(scratch_.path()))
    files.insert(entry.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{"run.log", "r1.bin", "r2.bin", "r2s.bin", "r1_1.bin",
                                          "r2_1.bin", "r2s_1.bin", "deep.bin"}));
  EXPECT_EQ(readFile("r2s.bin"), std::string("\x03\x00\x03", 3));
}

TEST_F(GenericReportTest, NoDataFilesUnlessAskedFor) {
  load({Message::of(kExecute).named("g").at(1).lasting(10)
            .event(Event::named("blob", 7).data({1}).withUnit(profiling::EventUnit::Object)
                       .withDetail("r1.bin"))});
  bool result = false;
  report("", result);
  ASSERT_TRUE(result);
  EXPECT_FALSE(fileExists("r1.bin"));
}

}  // namespace
}  // namespace vyn::testing
