// Loading a log for the analysis commands: the model and, with verbose, the
// load's summary line on standard error counting every graph's executions.
#include "analysis/loaded_log.h"

#include <gmock/gmock.h>

#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::tools {
namespace {

using ::testing::MatchesRegex;
using vyn::testing::Message;

constexpr int kExecute = 1, kExecuteRoundTrip = 3, kDeInit = 5;

TEST(LoadedLogTest, VerboseSummarisesTheLoadAndCountsTheExecutionsOfEveryGraph) {
  vyn::testing::TempDir dir;
  const std::string path = dir.file("run.log");
  vyn::testing::LogBuilder()
      .messages({Message::of(kExecute).named("a").lasting(5), Message::of(kExecute).named("b").lasting(6)})
      .messages({Message::of(kExecuteRoundTrip).named("a").lasting(7), Message::of(kDeInit).lasting(1)})
      .writeTo(path);

  std::string problem;
  ::testing::internal::CaptureStderr();
  const auto quiet = loadLog(path, 127, problem);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  ASSERT_NE(quiet, nullptr);
  EXPECT_EQ(quiet->model.executions.size(), 2u);

  ::testing::internal::CaptureStderr();
  EXPECT_NE(loadLog(path, 127, problem, true), nullptr);
  EXPECT_THAT(::testing::internal::GetCapturedStderr(),
              MatchesRegex("loaded 0\\.0 MB in [0-9]+\\.[0-9]{2} s \\([0-9]+ MB/s\\), 3 executions\n"));

  // A log that does not load says why, and has no summary.
  vyn::testing::LogBuilder().lengthPrefix(100).raw({1, 2, 3}).writeTo(path);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(loadLog(path, 127, problem, true), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_NE(problem, "");
}

}  // namespace
}  // namespace vyn::tools
