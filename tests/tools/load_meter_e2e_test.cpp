// How the tools that read a log report its loading: with --verbose one summary
// line on standard error and standard output as without it; without a terminal
// no progress at all, even for a log large enough for a progress bar; on a
// terminal a bar that is cleared when the load ends, and for export one that
// follows the write.
#include <gmock/gmock.h>

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
  const std::string log = stage("round-trip"), three = ", 3 executions";
  const struct {
    std::vector<std::string> args;
    std::string golden, summaryRest;
  } views[] = {
      {{"--verbose", log}, "round-trip.stdout", three},
      {{"--verbose", "--reader", kPlugin, log}, "round-trip.stdout", ""},  // a plug-in does not say what it loaded
  };
  for (const auto& v : views) {
    const ToolRun run = view(v.args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, goldenFile(v.golden));
    EXPECT_THAT(run.err, summaryLine(v.summaryRest));
  }
  const ToolRun checked = tool({"check", "--verbose", log});
  EXPECT_EQ(checked.out, tool({"check", log}).out);
  EXPECT_THAT(checked.err, summaryLine(three));
  const ToolRun traced = tool({"trace", log, "--verbose", "-o", "out.json"});
  EXPECT_EQ(traced.out, "");
  EXPECT_THAT(traced.err, summaryLine(three));

  // A log that does not load has no summary.
  writeFile(work.file("cut.log"), scratch(log).substr(0, 10));
  const ToolRun cut = view({"--verbose", "cut.log"});
  EXPECT_THAT(cut.err, StartsWith("vyn-profile-viewer: cut.log: "));
  EXPECT_THAT(cut.err, Not(HasSubstr("MB/s")));
  EXPECT_THAT(tool({"check", "--verbose", "cut.log"}).err, Not(HasSubstr("MB/s")));
}

TEST_F(LoadMeterTest, ALargeLogShowsNoProgressWithoutATerminal) {
  ASSERT_EQ(tool({"synth", "--size", "65MiB", "-o", "large.log"}).exitCode, 0);
  const auto size = std::filesystem::file_size(work.file("large.log"));
  ASSERT_GT(size, 64u << 20);
  // Nor does the write of an export larger still.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check", "large.log"}, {"export", "large.log", "-o", "large.csv"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 0) << args[0];
    EXPECT_EQ(run.err, "") << args[0];
  }
  ASSERT_GT(std::filesystem::file_size(work.file("large.csv")), 64000000u);
  EXPECT_EQ(view({"large.log"}).err, "");

  // On a terminal (a pseudo-terminal that `script` opens) the bar is drawn while
  // the log is loaded and export's while it writes, then erased: nothing of it
  // is left on the line.
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script command";
  const auto onTerminal = [&](const std::string& args) {
    const std::string command = "cd '" + work.path() + "' && script -qfec \"'" + stagePath("bin/vyn-profile-log") +
                                "' " + args + "\" /dev/null </dev/null >'" + capture.file("terminal") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << args;
    return readFile(capture.file("terminal"));
  };
  const std::string terminal = onTerminal("trace large.log -o large.json");
  EXPECT_THAT(terminal, StartsWith("\r\033[Kloading "));
  EXPECT_THAT(terminal, HasSubstr("% [#"));
  EXPECT_THAT(terminal, HasSubstr(" MB/s\r\033[Kloading "));
  EXPECT_THAT(terminal, EndsWith(" MB/s\r\033[K"));
  const std::string writing = onTerminal("export large.log -o large.csv");
  EXPECT_THAT(writing, HasSubstr("\r\033[Kwriting "));
  EXPECT_THAT(writing, MatchesRegex(".*writing +[0-9]+% \\[#+ *\\] [0-9]+\\.[0-9] MB  [0-9]+ MB/s.*"));
  EXPECT_THAT(writing, EndsWith(" MB/s\r\033[K"));
}

}  // namespace
}  // namespace vyn::testing
