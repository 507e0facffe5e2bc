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

using ViewerTest = ToolTest;

class SampleReportTest : public ToolTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SampleReportTest, ReportsAndCsvMatchTheGoldenFilesAndThePluginReportsTheSame) {
  const std::string sample = GetParam(), log = stage(sample);
  // A plug-in named by a bare file name is the one in the working directory.
  std::filesystem::copy_file(kPlugin, work.file("libVynXtuProfilingReader.so"));
  for (const std::string mode : {"", ".generic", ".here"}) {
    std::vector<std::string> args = {log, "--csv", "report" + mode + ".csv"};
    if (mode == ".generic") args.push_back("--generic");
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

// Logger lines go to standard error and leave the report alone.
TEST_F(ViewerTest, LoggerLinesGoToStandardError) {
  const ToolRun run = view({"--log-level", "debug", stage("two-graphs")});
  EXPECT_EQ(run.out, goldenFile("two-graphs.stdout"));
  EXPECT_THAT(run.err, HasSubstr("ms [ DEBUG ] profiling::VynProfileLogReader reached EOF!\n"));
}

// A data file takes the next free name when its own name is the CSV file's,
// as it would if the reader wrote the CSV file in place.
TEST_F(ViewerTest, NoDataFileTakesTheNameOfTheCsvFile) {
  const std::string log = stage("two-graphs");
  const ToolRun run = view({"--csv", "context.bin", "--data-files", log});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(scratch("context.bin"), goldenFile("two-graphs.csv"));
  EXPECT_EQ(scratch("context_1.bin"), std::string("\x00\x01\x02\x03", 4));
  EXPECT_EQ(scratchNames(), (std::vector<std::string>{"context.bin", "context_1.bin", log}));
}

// A log whose first bad record follows good ones gets the command that keeps
// them; a file that is no log at all is called so.
TEST_F(ViewerTest, UnreadableCorruptOrUnwritableFilesAreNamedAndNothingIsReported) {
  const std::string good = readFile(sampleLog("updater"));
  writeFile(work.file("truncated.log"), good + "\xff\xff\xff\xff" + "abc");
  std::filesystem::create_directory(work.file("out"));
  stage("updater");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"truncated.log", "--csv", "report.csv"},
       "truncated.log: the log could not be loaded: record 1 at byte offset " + std::to_string(good.size()) +
           ": truncated record: the length prefix announces 4294967295 bytes, only 3 remain; to keep the 1 record "
           "before it: vyn-profile-log repair truncated.log -o truncated.repaired.log"},
      {{"missing.log"}, "missing.log: no such file"},
      {{"updater.log", "--csv", "out"}, "out: cannot write the CSV file: it is a directory"},
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
       {std::vector<std::string>{}, {log, "--reader", kPlugin, "--generic"}, {log, "--csv", ""}}) {
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("Run 'vyn-profile-viewer --help' for usage."));
  }
  EXPECT_THAT(view({log, "--csv", ""}).err, StartsWith("vyn-profile-viewer: --csv: the path is empty\n"));
  const ToolRun help = view({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.out, HasSubstr("\nExamples:\n  vyn-profile-viewer run.log "));
  EXPECT_THAT(help.out, HasSubstr("\nExit status: 0 the report was written; 1 "));
  writeFile(work.file("fake.so"), "not a shared object");
  const ToolRun fake = view({"--reader", "fake.so", log});
  EXPECT_EQ(fake.exitCode, 1);
  EXPECT_EQ(fake.out, "");
  EXPECT_THAT(fake.err, StartsWith("vyn-profile-viewer: fake.so: cannot load the reader plug-in: "));
}

// The CSV export never replaces the log or the plug-in it is read with,
// whatever the spelling or link; nothing is reported then.
TEST_F(ViewerTest, TheCsvExportNeverReplacesAnInput) {
  const std::string log = stage("updater"), original = scratch(log);
  std::filesystem::create_symlink(log, work.file("link.log"));
  std::filesystem::copy_file(kPlugin, work.file("reader.so"));
  // The spellings and links that name one file: log_tool_e2e_test.cpp.
  for (const std::vector<std::string>& args : {std::vector<std::string>{"link.log", "--csv", log, "--generic"},
                                               {log, "--csv", "link.log", "--reader", kPlugin},
                                               {log, "--csv", "reader.so", "--reader", "reader.so"}}) {
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 1) << ::testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("; refusing to write over it\n"));
  }
  EXPECT_EQ(scratch(log), original);
  EXPECT_EQ(scratch("reader.so"), readFile(kPlugin));
}

// The reader writes into a copy of an existing CSV file that replaces it only
// when the report succeeded: the generic reader still appends, the back-end one
// still truncates, the file keeps its permissions and the link that leads to it.
TEST_F(ViewerTest, AnExistingCsvFileIsReplacedOnlyByASuccessfulReport) {
  const std::string log = stage("updater");
  writeFile(work.file("truncated.log"), scratch(log) + std::string("\x09\x00\x00\x00"
                                                                   "abc",
                                                                   7));
  writeFile(work.file("kept.csv"), "earlier\n");
  std::filesystem::permissions(work.file("kept.csv"), std::filesystem::perms(0640));
  std::filesystem::create_symlink("kept.csv", work.file("link.csv"));
  const auto before = scratchNames();

  EXPECT_EQ(view({"truncated.log", "--csv", "link.csv"}).exitCode, 1);
  EXPECT_EQ(view({"truncated.log", "--csv", "link.csv", "--reader", kPlugin}).exitCode, 1);
  EXPECT_EQ(scratch("kept.csv"), "earlier\n");
  EXPECT_EQ(scratchNames(), before);

  ASSERT_EQ(view({log, "--csv", "link.csv", "--generic"}).exitCode, 0);
  EXPECT_EQ(scratch("kept.csv"), "earlier\n" + goldenFile("updater.generic.csv"));
  ASSERT_EQ(view({log, "--csv", "link.csv"}).exitCode, 0);
  EXPECT_EQ(scratch("kept.csv"), goldenFile("updater.csv"));
  EXPECT_TRUE(std::filesystem::is_symlink(work.file("link.csv")));
  EXPECT_EQ(std::filesystem::status(work.file("kept.csv")).permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(scratchNames(), before);
}

// A log that loads but whose report shows nothing says why on standard error;
// the report and the exit status stay what they were.
TEST_F(ViewerTest, WarnsWhenTheLogHoldsNothingToReportOrTheLevelSkippedEverything) {
  writeFile(work.file("empty.log"), "");
  pack("levels.log", R"([{"messages": [{"timestamp": 1, "methodType": "DeInit", "timing": {}, "level": 5},
    {"timestamp": 2, "methodType": "Init", "timing": {}, "level": 3}, {"timestamp": 3, "timing": {}, "level": 9}]}])");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"empty.log"}, "empty.log: warning: the log holds no records; the report is empty"},
      {{"levels.log", "--visibility", "3"},
       "levels.log: warning: no message passed visibility level 3: all 3 were skipped; the lowest visibility level "
       "that takes any of them is 4 (--visibility 4)"},
  };
  // The built-in reader counts what it skipped; for a plug-in the viewer counts.
  for (const auto& [args, warning] : cases) {
    for (const bool plugin : {false, true}) {
      std::vector<std::string> withReader = args;
      if (plugin) withReader.insert(withReader.end(), {"--reader", kPlugin});
      const ToolRun run = view(withReader);
      EXPECT_EQ(run.exitCode, 0) << warning;
      EXPECT_EQ(run.err, "vyn-profile-viewer: " + warning + "\n") << plugin;
      EXPECT_THAT(run.out, HasSubstr("Printing All Data Received From Back End"));
    }
  }
}

}  // namespace
}  // namespace vyn::testing
