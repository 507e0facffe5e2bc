// Loading a log file into a model: what the load comes to (records taken, the
// fault that stopped it), the one-pass survey a host makes of a log its
// plug-in loaded, and the warnings about a log that loaded but says little.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/log_file_capture.h"
#include "capture/log_warnings.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::profiling {
namespace {

using vyn::testing::LogBuilder;
using vyn::testing::Message;

constexpr int kExecute = 1, kDeInit = 5;

struct LoadCase {
  std::string name;
  LogBuilder log;
  std::int8_t level;
  std::uint64_t records;
  std::optional<LogFaultKind> fault;
  std::uint64_t taken, skipped;
  std::vector<std::string> warnings;  // only for a log that loads
};

std::vector<LoadCase> loadCases() {
  const std::vector<Message> levels = {Message::of(kExecute).named("g").lasting(4).withLevel(3),
                                       Message::of(kDeInit).lasting(1).withLevel(6)};
  return {
      {"no messages",
       LogBuilder().messages({}),
       127,
       1,
       std::nullopt,
       0,
       0,
       {"warning: the log's records hold no messages; the report is empty"}},
      {"one taken", LogBuilder().messages(levels), 4, 1, std::nullopt, 1, 1, {}},
      // The messages before the fault are counted; the load stops at it.
      {"cut after one",
       LogBuilder().messages(levels).lengthPrefix(50).raw({1}),
       4,
       1,
       LogFaultKind::Truncated,
       1,
       1,
       {}},
  };
}

TEST(LogFileLoad, OutcomeSurveyAndWarningsAgree) {
  vyn::testing::TempDir dir;
  for (const LoadCase& test : loadCases()) {
    const std::string path = dir.file("load.log");
    test.log.writeTo(path);
    LogModel model;
    const LoadOutcome outcome = captureLogFile(path, test.level, model);
    EXPECT_EQ(outcome.records, test.records) << test.name;
    EXPECT_EQ(outcome.fault.has_value(), test.fault.has_value()) << test.name;
    if (outcome.fault && test.fault) {
      EXPECT_EQ(outcome.fault->kind, *test.fault) << test.name;
    }
    EXPECT_EQ(model.visibility.taken, test.taken) << test.name;
    EXPECT_EQ(model.visibility.skipped, test.skipped) << test.name;

    // A host that cannot see its reader's findings learns the same in one pass.
    const LogSurvey survey = surveyLogFile(path, test.level);
    EXPECT_EQ(survey.outcome.records, test.records) << test.name;
    EXPECT_EQ(survey.outcome.fault.has_value(), test.fault.has_value()) << test.name;
    EXPECT_EQ(survey.visibility.taken, test.taken) << test.name;
    EXPECT_EQ(survey.visibility.skipped, test.skipped) << test.name;
    if (!test.fault) {
      EXPECT_EQ(logWarnings(outcome, model.visibility, test.level), test.warnings) << test.name;
    }
  }
}

}  // namespace
}  // namespace vyn::profiling
