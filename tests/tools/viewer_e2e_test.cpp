// vyn-profile-viewer from an installed tree: the reports of the sample logs
// against golden files, and what a user sees when something is wrong.
#include <gmock/gmock.h>

#include <filesystem>

#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ViewerTest : public ToolTest {
 protected:
  // Copies a sample into the scratch directory, so the report names it by its bare file name.
  std::string stage(const std::string& sample) {
    std::filesystem::copy_file(sampleLog(sample), work.file(sample + ".log"));
    return sample + ".log";
  }
};

// Byte offset of a log's second frame.
std::size_t secondFrameOffset(const std::string& log) {
  return 4 + (static_cast<std::size_t>(log[0] & 0xFF) | static_cast<std::size_t>(log[1] & 0xFF) << 8 |
              static_cast<std::size_t>(log[2] & 0xFF) << 16);
}

class SampleReportTest : public ViewerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SampleReportTest, ReportsAndCsvMatchTheGoldenFilesAndThePluginReportsTheSame) {
  const std::string sample = GetParam(), log = stage(sample);
  for (const std::string mode : {"", ".generic"}) {
    std::vector<std::string> args = {log, "--csv", "report" + mode + ".csv"};
    if (!mode.empty()) args.insert(args.begin(), "--generic");
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, readFile(goldenFile(sample + mode + ".stdout")));
    EXPECT_EQ(scratch("report" + mode + ".csv"), readFile(goldenFile(sample + mode + ".csv")));
  }
  const ToolRun plugin = view({"--reader", kPlugin, log});
  EXPECT_EQ(plugin.exitCode, 0);
  EXPECT_EQ(plugin.err, "");
  EXPECT_EQ(plugin.out, readFile(goldenFile(sample + ".stdout")));
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleReportTest, ::testing::Values("two-graphs", "round-trip", "updater"));

TEST_F(ViewerTest, DataFilesLoggerLinesAndVisibility) {
  ToolRun run = view({"--data-files", "--log-level", "debug", stage("two-graphs")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(scratch("context.bin"), std::string("\x00\x01\x02\x03", 4));
  // Logger lines go to standard error and leave the report alone.
  EXPECT_EQ(run.out, readFile(goldenFile("two-graphs.stdout")));
  EXPECT_THAT(run.err, HasSubstr("ms [ DEBUG ] profiling::VynProfileLogReader reached EOF!\n"));
  EXPECT_EQ(view({"--log-level", "error", "two-graphs.log"}).err, "");

  // The compose timestamp is the one value taken before the level is checked.
  run = view({"--visibility", "0", "--csv", "report.csv", stage("round-trip")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_THAT(scratch("report.csv"), EndsWith("Event Identifier\n0,INIT,0,US,NETRUN,ROOT,null\n"
                                              "4200,COMPOSE GRAPHS,0,US,NETRUN,ROOT,null\n"
                                              "0,DE-INIT,0,US,NETRUN,ROOT,null\n"));
}

TEST_F(ViewerTest, QueueWaitNoticesReachStandardOutputBeforeTheReport) {
  const ToolRun run = view({pack("double-wait.log", R"([{"messages": [
    {"timestamp": 1, "methodType": "ExecuteRoundTrip", "timing": {"start": 10, "end": 110}, "name": "g",
     "events": [{"name": "wait a", "identifier": 405, "valueKind": "UInt64", "unsignedValue": 5},
                {"name": "wait b", "identifier": 405, "valueKind": "UInt64", "unsignedValue": 6}]}]}])")});
  EXPECT_EQ(run.exitCode, 0);
  // One notice from each of the samples, maximum and minimum passes; the log has
  // no header, so the report opens with an empty line.
  const std::string notice =
      "Multiple queue-wait time events found per execution. Cannot calculate Host Round-Trip excluding queue wait\n";
  EXPECT_THAT(run.out, StartsWith(notice + notice + notice +
                                  "\nVyn Init/Prepare/Finalize/De-Init/Execute/Lib-Load Statistics:\n"));
}

TEST_F(ViewerTest, UnreadableCorruptOrUnwritableFilesAreNamedAndNothingIsReported) {
  const std::string good = readFile(sampleLog("two-graphs"));
  const std::size_t second = secondFrameOffset(good);
  std::string truncated = good;  // the second length prefix announces more bytes than the file holds
  truncated[second + 2] = '\x10';
  writeFile(work.file("truncated.log"), truncated);
  std::filesystem::create_directory(work.file("out"));
  const std::string noTiming = pack("no-timing.log", R"([{"messages": [
    {"timestamp": 1, "methodType": "Init", "timing": {"start": 1, "end": 2}}]},
    {"messages": [{"timestamp": 2, "methodType": "Init", "timing": {}}, {"timestamp": 3, "methodType": "Init"}]}])");
  const std::string loadFailed = "the log could not be loaded: record 1 at byte offset ";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"missing.log"}, "missing.log: no such file"},
      {{"out"}, "out: is a directory, not a log file"},
      {{"truncated.log", "--csv", "report.csv"},
       "truncated.log: " + loadFailed + std::to_string(second) + ": truncated record: the length prefix announces " +
           std::to_string((good[second] & 0xFF) | (good[second + 1] & 0xFF) << 8 | 0x10 << 16) + " bytes, only " +
           std::to_string(good.size() - second - 4) + " remain"},
      {{noTiming}, "no-timing.log: " + loadFailed + std::to_string(secondFrameOffset(scratch(noTiming))) +
                       ": message 1 has no timing (a required field)"},
      {{"two-graphs.log", "--csv", "out"}, "out: cannot write the CSV file: it is a directory"},
      {{"two-graphs.log", "--csv", "nowhere/report.csv"},
       "nowhere/report.csv: cannot write the CSV file: directory nowhere: no such file or directory"},
  };
  stage("two-graphs");
  for (const auto& [args, message] : cases) {
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 1) << message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vyn-profile-viewer: " + message + "\n");
  }
  EXPECT_FALSE(fileExists(work.file("report.csv")));
  // With logging, the reader's own complaint comes first.
  const ToolRun logged = view({"--log-level", "error", noTiming});
  EXPECT_THAT(logged.err, HasSubstr("] Corrupted flatbuffer binary stream\n"));
  EXPECT_THAT(logged.err, EndsWith(cases[3].second + "\n"));
}

TEST_F(ViewerTest, UsageErrorsExitWithTwoAndABadPluginWithOne) {
  const std::string log = stage("round-trip");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {log, "--visibility", "128"}, {log, "--log-level", "loud"},
        {log, "--reader", kPlugin, "--generic"}, {log, "--reader", kPlugin, "--log-level", "debug"},
        {log, "--reader", "missing.so"}, {log, "--frobnicate"}, {log, log}}) {
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("Run 'vyn-profile-viewer --help' for usage."));
  }
  const ToolRun version = view({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "vyn-profile-viewer v2.51.0.260929181845\n");

  writeFile(work.file("fake.so"), "not a shared object");
  const ToolRun fake = view({"--reader", "fake.so", log});
  EXPECT_EQ(fake.exitCode, 1);
  EXPECT_EQ(fake.out, "");
  EXPECT_THAT(fake.err, StartsWith("vyn-profile-viewer: fake.so: cannot load the reader plug-in: "));
}

}  // namespace
}  // namespace vyn::testing
