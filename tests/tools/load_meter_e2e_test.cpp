// How the tools that read a log report its loading: with --verbose one summary
// line on standard error and standard output as without it; without a terminal
// no progress at all, even for a log large enough for a progress bar; on a
// terminal a bar that is cleared when the load ends, and for export one that
// follows the write.
#include <gmock/gmock.h>

#include <cstdio>
#include <filesystem>

#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;
using ::testing::StartsWith;
using LoadMeterTest = ToolTest;

// "loaded X.X MB in S.SS s (R MB/s)" and the rest of the line, when given.
::testing::Matcher<std::string> summaryLine(const std::string& rest = "") {
  return MatchesRegex("loaded [0-9]+\\.[0-9] MB in [0-9]+\\.[0-9]{2} s \\([0-9]+ MB/s\\)" + rest + "\n");
}

TEST_F(LoadMeterTest, VerboseWritesOneSummaryLineAndTheSameStandardOutput) {
  // Host round trips are executions too: every tool counts the three of this log.
  const std::string log = stage("round-trip");
  ToolRun run = view({"--verbose", log});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, goldenFile("round-trip.stdout"));
  EXPECT_THAT(run.err, summaryLine(", 3 executions"));
  run = view({"--verbose", "--generic", log});
  EXPECT_EQ(run.out, goldenFile("round-trip.generic.stdout"));
  EXPECT_THAT(run.err, summaryLine(", 3 executions"));
  // A plug-in's reader does not say what it loaded.
  run = view({"--verbose", "--reader", kPlugin, log});
  EXPECT_EQ(run.out, goldenFile("round-trip.stdout"));
  EXPECT_THAT(run.err, summaryLine());

  const ToolRun checked = tool({"check", "--verbose", log});
  EXPECT_EQ(checked.exitCode, 0);
  EXPECT_EQ(checked.out, tool({"check", log}).out);
  EXPECT_THAT(checked.err, summaryLine(", 3 executions"));
  for (const std::string command : {"dump", "trace"}) {
    run = tool({command, log, "--verbose", "-o", "out.json"});
    EXPECT_EQ(run.exitCode, 0) << command;
    EXPECT_EQ(run.out, "") << command;
    EXPECT_THAT(run.err, summaryLine(", 3 executions")) << command;
  }

  // One execution is singular; a log that does not load has no summary.
  const std::string one = pack("one.log", R"([{"messages": [
    {"timestamp": 1, "methodType": "Execute", "name": "g", "timing": {"start": 1, "end": 2}}]}])");
  EXPECT_THAT(view({"--verbose", one}).err, summaryLine(", 1 execution"));
  EXPECT_THAT(tool({"check", "--verbose", one}).err, summaryLine(", 1 execution"));
  writeFile(work.file("cut.log"), scratch(one).substr(0, 10));
  const ToolRun cut = view({"--verbose", "cut.log"});
  EXPECT_EQ(cut.exitCode, 1);
  EXPECT_THAT(cut.err, StartsWith("vyn-profile-viewer: cut.log: "));
  EXPECT_THAT(cut.err, Not(HasSubstr("MB/s")));
  EXPECT_THAT(tool({"check", "--verbose", "cut.log"}).err, Not(HasSubstr("MB/s")));
}

TEST_F(LoadMeterTest, ALargeLogShowsNoProgressWithoutATerminal) {
  ASSERT_EQ(tool({"synth", "--size", "65MiB", "-o", "large.log"}).exitCode, 0);
  const auto size = std::filesystem::file_size(work.file("large.log"));
  ASSERT_GT(size, 64u << 20);
  const ToolRun checked = tool({"check", "large.log"});
  EXPECT_EQ(checked.exitCode, 0);
  EXPECT_EQ(checked.err, "");
  const ToolRun viewed = view({"large.log"});
  EXPECT_EQ(viewed.exitCode, 0);
  EXPECT_EQ(viewed.err, "");
  // Nor does the write of an export larger still.
  const ToolRun exported = tool({"export", "large.log", "-o", "large.csv"});
  EXPECT_EQ(exported.exitCode, 0);
  EXPECT_EQ(exported.err, "");
  ASSERT_GT(std::filesystem::file_size(work.file("large.csv")), 64000000u);

  // The summary's size is the file's, in MB of 10^6 bytes.
  char megabytes[32];
  std::snprintf(megabytes, sizeof megabytes, "%.1f", static_cast<double>(size) / 1e6);
  const std::string loaded = std::string("loaded ") + megabytes + " MB in ";
  const ToolRun verboseCheck = tool({"check", "--verbose", "large.log"});
  EXPECT_EQ(verboseCheck.out, checked.out);
  EXPECT_THAT(verboseCheck.err, summaryLine(", [0-9]{1,3}(,[0-9]{3})* executions"));
  EXPECT_THAT(verboseCheck.err, StartsWith(loaded));
  const ToolRun verboseView = view({"--verbose", "large.log"});
  EXPECT_EQ(verboseView.out, viewed.out);
  EXPECT_THAT(verboseView.err, StartsWith(loaded));
  // The reader and the record count agree on the executions.
  EXPECT_EQ(verboseView.err.substr(verboseView.err.find(')')), verboseCheck.err.substr(verboseCheck.err.find(')')));

  // On a terminal (a pseudo-terminal that `script` opens) the bar is drawn while
  // the timeline is written, then erased: nothing of it is left on the line.
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script command";
  const std::string command = "cd '" + work.path() + "' && script -qfec \"'" + stagePath("bin/vyn-profile-log") +
                              "' trace large.log -o large.json\" /dev/null </dev/null >'" + capture.file("terminal") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string terminal = readFile(capture.file("terminal"));
  EXPECT_THAT(terminal, StartsWith("\r\033[Kloading "));
  EXPECT_THAT(terminal, HasSubstr("% [#"));
  EXPECT_THAT(terminal, HasSubstr(" MB/s\r\033[Kloading "));
  EXPECT_THAT(terminal, EndsWith(" MB/s\r\033[K"));

  // export's write shows how far it has come the same way, once the load's line is gone.
  const std::string exportCommand = "cd '" + work.path() + "' && script -qfec \"'" +
                                    stagePath("bin/vyn-profile-log") + "' export large.log -o large.csv\" /dev/null "
                                    "</dev/null >'" + capture.file("terminal") + "'";
  ASSERT_EQ(std::system(exportCommand.c_str()), 0);
  const std::string writing = readFile(capture.file("terminal"));
  EXPECT_THAT(writing, HasSubstr("\r\033[K\r\033[Kwriting "));
  EXPECT_THAT(writing, MatchesRegex(".*writing +[0-9]+% \\[#+ *\\] [0-9]+\\.[0-9] MB  [0-9]+ MB/s.*"));
  EXPECT_THAT(writing, EndsWith(" MB/s\r\033[K"));
}

}  // namespace
}  // namespace vyn::testing
