// How the tools that read a log report its loading: with --verbose one summary
// line on standard error and standard output as without it (diff's lines:
// diff_e2e_test.cpp); without a terminal no progress at all, even for a log
// large enough for a progress bar.
#include <gmock/gmock.h>

#include <filesystem>

#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::MatchesRegex;
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
}

}  // namespace
}  // namespace vyn::testing
