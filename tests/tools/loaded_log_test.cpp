// Loading a log for the analysis commands: the model, how far the log could be
// read, and, with verbose, the load's summary line on standard error counting
// every graph's executions.
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

// A log cut inside its third record loads its first two, with where it stops;
// the statistics are those of the records loaded.
TEST(LoadedLogTest, ALogCutShortLoadsTheRecordsBeforeTheCutAndKeepsTheFault) {
  vyn::testing::TempDir dir;
  const std::string path = dir.file("cut.log");
  vyn::testing::LogBuilder builder;
  builder.messages({Message::of(kExecute).named("a").lasting(5)});
  builder.messages({Message::of(kExecute).named("a").lasting(7)});
  const std::size_t readable = builder.bytes().size();
  builder.lengthPrefix(100).raw({1, 2, 3, 4, 5, 6});
  builder.writeTo(path);

  std::string problem;
  const auto log = loadLog(path, 127, problem);
  ASSERT_NE(log, nullptr) << problem;
  EXPECT_EQ(problem, "");
  EXPECT_FALSE(log->extent.complete());
  EXPECT_EQ(log->extent.records, 2u);
  EXPECT_EQ(log->extent.unreadableFrom(), readable);
  EXPECT_EQ(log->extent.unreadBytes(), 10u);
  EXPECT_EQ(log->extent.fault->kind, profiling::LogFaultKind::Truncated);
  ASSERT_EQ(log->model.executions.size(), 1u);
  EXPECT_EQ(log->model.executions[0].occurrences.size(), 2u);
  EXPECT_TRUE(log->warnings.empty());

  vyn::testing::LogBuilder().messages({Message::of(kExecute).named("a").lasting(5)}).writeTo(path);
  const auto whole = loadLog(path, 127, problem);
  ASSERT_NE(whole, nullptr);
  EXPECT_TRUE(whole->extent.complete());
  EXPECT_EQ(whole->extent.records, 1u);
}

}  // namespace
}  // namespace vyn::tools
