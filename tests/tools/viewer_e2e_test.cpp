// vyn-profile-viewer from an installed tree: the reports of the sample logs
// against golden files, and what a user sees when something is wrong.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

class ViewerTest : public ::testing::Test {
 protected:
  // Copies a sample into the scratch directory, so the report names it by its
  // bare file name.
  std::string stage(const std::string& sample) {
    const std::string name = sample + ".log";
    std::filesystem::copy_file(sampleLog(sample), work.file(name));
    return name;
  }

  ToolRun view(const std::vector<std::string>& args) { return runTool(viewerPath(), args, work.path()); }

  // The JSON form of a log, packed into the scratch directory.
  std::string pack(const std::string& name, const std::string& json) {
    writeFile(work.file(name + ".json"), json);
    const ToolRun packed = runTool(logToolPath(), {"pack", name + ".json", "-o", name}, work.path());
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    return name;
  }

  TempDir work;
};

// Byte offset of a log's second frame.
std::size_t secondFrameOffset(const std::string& log) {
  return 4 + (static_cast<std::size_t>(log[0] & 0xFF) | static_cast<std::size_t>(log[1] & 0xFF) << 8 |
              static_cast<std::size_t>(log[2] & 0xFF) << 16);
}

class SampleReportTest : public ViewerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SampleReportTest, BackendReportAndCsvMatchTheGoldenFiles) {
  const std::string sample = GetParam();
  const ToolRun run = view({stage(sample), "--csv", "report.csv"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, readFile(goldenFile(sample + ".stdout")));
  EXPECT_EQ(readFile(work.file("report.csv")), readFile(goldenFile(sample + ".csv")));
}

TEST_P(SampleReportTest, GenericReportAndCsvMatchTheGoldenFiles) {
  const std::string sample = GetParam();
  const ToolRun run = view({"--generic", stage(sample), "--csv", "report.csv"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, readFile(goldenFile(sample + ".generic.stdout")));
  EXPECT_EQ(readFile(work.file("report.csv")), readFile(goldenFile(sample + ".generic.csv")));
}

TEST_P(SampleReportTest, PluginLoadedAtRunTimeReportsLikeTheBuiltInReader) {
  const std::string log = stage(GetParam());
  const ToolRun builtIn = view({log});
  const ToolRun plugin = view({"--reader", pluginPath(), log});
  EXPECT_EQ(plugin.exitCode, 0);
  EXPECT_EQ(plugin.err, "");
  EXPECT_EQ(plugin.out, builtIn.out);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleReportTest,
                         ::testing::Values("two-graphs", "round-trip", "updater"));

TEST_F(ViewerTest, WithoutCsvOnlyTheSummaryIsWritten) {
  const ToolRun run = view({stage("two-graphs")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, readFile(goldenFile("two-graphs.stdout")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(ViewerTest, DataFilesHoldTheBytesOfObjectEvents) {
  const ToolRun run = view({"--data-files", stage("two-graphs")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(readFile(work.file("context.bin")), std::string("\x00\x01\x02\x03", 4));
}

TEST_F(ViewerTest, LoggerLinesGoToStandardErrorAndLeaveTheReportAlone) {
  const ToolRun run = view({"--log-level", "debug", stage("round-trip")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, readFile(goldenFile("round-trip.stdout")));
  EXPECT_THAT(run.err, HasSubstr("ms [ DEBUG ] profiling::VynProfileLogReader reached EOF!\n"));
  // Every line has the logger's form: elapsed milliseconds, the level tag, the text.
  std::size_t start = 0;
  while (start < run.err.size()) {
    const std::size_t end = run.err.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_THAT(run.err.substr(start, end - start),
                MatchesRegex(" *[0-9]+\\.[0-9]ms \\[( ERROR |WARNING|  INFO |VERBOSE| DEBUG )\\] .*"));
    start = end + 1;
  }

  const ToolRun quiet = view({"--log-level", "error", "round-trip.log"});
  EXPECT_EQ(quiet.err, "");
}

TEST_F(ViewerTest, QueueWaitNoticesReachStandardOutputBeforeTheReport) {
  const std::string log = pack("double-wait.log", R"([{"messages": [
    {"timestamp": 1, "methodType": "ExecuteRoundTrip", "timing": {"start": 10, "end": 110}, "name": "g",
     "events": [{"name": "wait a", "identifier": 405, "valueKind": "UInt64", "unsignedValue": 5},
                {"name": "wait b", "identifier": 405, "valueKind": "UInt64", "unsignedValue": 6}]}]}])");
  const ToolRun run = view({log});
  EXPECT_EQ(run.exitCode, 0);
  // One notice from each of the samples, maximum and minimum passes; the log has
  // no header, so the report opens with an empty line.
  const std::string notice =
      "Multiple queue-wait time events found per execution. Cannot calculate Host Round-Trip "
      "excluding queue wait\n";
  EXPECT_THAT(run.out, ::testing::StartsWith(notice + notice + notice +
                                             "\nVyn Init/Prepare/Finalize/De-Init/Execute/Lib-Load Statistics:\n"));
}

TEST_F(ViewerTest, VisibilityBelowTheMessageLevelsDropsThem) {
  const ToolRun run = view({"--visibility", "0", "--csv", "report.csv", stage("round-trip")});
  EXPECT_EQ(run.exitCode, 0);
  // The compose timestamp is the one value taken before the level is checked.
  EXPECT_THAT(readFile(work.file("report.csv")),
              ::testing::EndsWith("Event Identifier\n0,INIT,0,US,NETRUN,ROOT,null\n"
                                  "4200,COMPOSE GRAPHS,0,US,NETRUN,ROOT,null\n"
                                  "0,DE-INIT,0,US,NETRUN,ROOT,null\n"));
}

TEST_F(ViewerTest, MissingOrUnreadableLogIsNamedWithTheProblem) {
  ToolRun run = view({"missing.log"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "vyn-profile-viewer: missing.log: no such file\n");

  std::filesystem::create_directory(work.file("logs"));
  run = view({"logs"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vyn-profile-viewer: logs: is a directory, not a log file\n");
}

TEST_F(ViewerTest, CorruptLogNamesTheFirstBadRecordAndWritesNoReport) {
  const std::string good = readFile(sampleLog("two-graphs"));
  const std::size_t secondOffset = secondFrameOffset(good);
  // Second record's length prefix announces more bytes than the file holds.
  std::string truncated = good;
  truncated[secondOffset + 2] = '\x10';
  writeFile(work.file("truncated.log"), truncated);
  ToolRun run = view({"truncated.log", "--csv", "report.csv"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "vyn-profile-viewer: truncated.log: the log could not be loaded: record 1 at byte offset " +
                         std::to_string(secondOffset) + ": truncated record: the length prefix announces " +
                         std::to_string((good[secondOffset] & 0xFF) | (good[secondOffset + 1] & 0xFF) << 8 |
                                        0x10 << 16) +
                         " bytes, only " + std::to_string(good.size() - secondOffset - 4) + " remain\n");
  EXPECT_FALSE(fileExists(work.file("report.csv")));

  // A message without its timing makes the whole record fail.
  const std::string log = pack("no-timing.log", R"([{"messages": [
    {"timestamp": 1, "methodType": "Init", "timing": {"start": 1, "end": 2}}]},
    {"messages": [{"timestamp": 2, "methodType": "Init", "timing": {}}, {"timestamp": 3, "methodType": "Init"}]}])");
  run = view({"--log-level", "error", log});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_THAT(run.err, HasSubstr("] Corrupted flatbuffer binary stream\n"));
  EXPECT_THAT(run.err, ::testing::EndsWith(
                           "vyn-profile-viewer: no-timing.log: the log could not be loaded: record 1 at "
                           "byte offset " + std::to_string(secondFrameOffset(readFile(work.file(log)))) +
                           ": message 1 has no timing (a required field)\n"));
}

TEST_F(ViewerTest, UnwritableCsvIsNamedAndNothingIsReported) {
  const std::string log = stage("two-graphs");
  std::filesystem::create_directory(work.file("out"));
  ToolRun run = view({log, "--csv", "out"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "vyn-profile-viewer: out: cannot write the CSV file: it is a directory\n");

  run = view({log, "--csv", "nowhere/report.csv"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "vyn-profile-viewer: nowhere/report.csv: cannot write the CSV file: directory nowhere: "
            "no such file or directory\n");
}

TEST_F(ViewerTest, UsageErrorsExitWithTwo) {
  const std::string log = stage("round-trip");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {log, "--visibility", "128"}, {log, "--log-level", "loud"},
        {log, "--reader", pluginPath(), "--generic"}, {log, "--reader", pluginPath(), "--log-level", "debug"},
        {log, "--reader", "missing.so"}, {log, "--frobnicate"}, {log, log}}) {
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("Run 'vyn-profile-viewer --help' for usage."));
  }
  const ToolRun version = view({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "vyn-profile-viewer v2.51.0.260929181845\n");
}

TEST_F(ViewerTest, LibraryThatIsNotAReaderPluginIsRefused) {
  writeFile(work.file("fake.so"), "not a shared object");
  const ToolRun run = view({"--reader", "fake.so", stage("round-trip")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_THAT(run.err, ::testing::StartsWith("vyn-profile-viewer: fake.so: cannot load the reader plug-in: "));
}

}  // namespace
}  // namespace vyn::testing
