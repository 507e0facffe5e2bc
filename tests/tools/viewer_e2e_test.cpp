// vyn-profile-viewer from an installed tree: the reports of the sample logs
// against golden files, and what a user sees when something is wrong.
#include <gmock/gmock.h>

#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using ViewerTest = ToolTest;

class SampleReportTest : public ToolTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SampleReportTest, ReportsAndCsvMatchTheGoldenFilesAndThePluginReportsTheSame) {
  const std::string sample = GetParam(), log = stage(sample);
  // A plug-in named by a bare file name is the one in the working directory.
  std::filesystem::copy_file(kPlugin, work.file("libVynXtuProfilingReader.so"));
  for (const std::string mode : {"", ".generic", ".plugin", ".here"}) {
    std::vector<std::string> args = {log, "--csv", "report" + mode + ".csv"};
    if (mode == ".generic") args.push_back("--generic");
    if (mode == ".plugin") args.insert(args.end(), {"--reader", kPlugin});
    if (mode == ".here") args.insert(args.end(), {"--reader", "libVynXtuProfilingReader.so"});
    const std::string golden = sample + (mode == ".generic" ? mode : "");
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 0) << mode;
    EXPECT_EQ(run.err, "") << mode;
    EXPECT_EQ(run.out, goldenFile(golden + ".stdout")) << mode;
    EXPECT_EQ(scratch("report" + mode + ".csv"), goldenFile(golden + ".csv")) << mode;
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleReportTest, ::testing::Values("two-graphs", "round-trip", "updater"));

TEST_F(ViewerTest, DataFilesLoggerLinesAndVisibility) {
  ToolRun run = view({"--data-files", "--log-level", "debug", stage("two-graphs")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(scratch("context.bin"), std::string("\x00\x01\x02\x03", 4));
  // Logger lines go to standard error and leave the report alone.
  EXPECT_EQ(run.out, goldenFile("two-graphs.stdout"));
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
  const std::string good = readFile(sampleLog("updater"));
  writeFile(work.file("truncated.log"), good + "\xff\xff\xff\xff" + "abc");
  std::filesystem::create_directory(work.file("out"));
  stage("updater");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"truncated.log", "--csv", "report.csv"},
       "truncated.log: the log could not be loaded: record 1 at byte offset " + std::to_string(good.size()) +
           ": truncated record: the length prefix announces 4294967295 bytes, only 3 remain"},
      {{"missing.log"}, "missing.log: no such file"},
      {{"out"}, "out: is a directory, not a log file"},
      {{"updater.log", "--csv", "out"}, "out: cannot write the CSV file: it is a directory"},
      {{"updater.log", "--csv", "nowhere/report.csv"},
       "nowhere/report.csv: cannot write the CSV file: directory nowhere: no such file or directory"},
  };
  for (const auto& [args, message] : cases) {
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 1) << message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vyn-profile-viewer: " + message + "\n");
  }
  EXPECT_FALSE(fileExists(work.file("report.csv")));
  // With logging, the reader's own complaint comes first.
  const std::string logged = view({"--log-level", "error", "truncated.log"}).err;
  EXPECT_THAT(logged, HasSubstr("] Truncated record: 4294967295 bytes announced, 3 available\n"));
  EXPECT_THAT(logged, EndsWith(cases[0].second + "\n"));
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
  writeFile(work.file("fake.so"), "not a shared object");
  const ToolRun fake = view({"--reader", "fake.so", log});
  EXPECT_EQ(fake.exitCode, 1);
  EXPECT_EQ(fake.out, "");
  EXPECT_THAT(fake.err, StartsWith("vyn-profile-viewer: fake.so: cannot load the reader plug-in: "));
}

}  // namespace
}  // namespace vyn::testing
