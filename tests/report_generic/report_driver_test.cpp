// Outputs of the generic report driver: where the CSV goes, what happens when it
// cannot, and what a log of the updater tool reports.
#include <gtest/gtest.h>

#include <filesystem>

#include "output_capture.h"
#include "reader/vyn_profile_log_reader.h"
#include "report_test_data.h"
#include "support/temp_dir.h"

namespace vyn::testing {
namespace {

using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;

class ReportDriverTest : public ::testing::Test {
 protected:
  // The report's standard output; result is the report's result.
  std::string report(const std::string& outputPath, bool& result) {
    StdoutCapture capture;
    result = reader.writeReport(outputPath);
    return capture.finish();
  }

  VynProfileLogReader reader{"in.log", VisibilityLevel::All};
  TempDir scratch;
};

TEST_F(ReportDriverTest, UnopenableOutputFileFailsWithoutAnyOutput) {
  const std::string path = scratch.file("missing/report.csv");
  ErrorLogCapture errors;
  bool result = true;
  EXPECT_EQ(report(path, result), "");
  EXPECT_FALSE(result);
  EXPECT_EQ(errors.messages(), std::vector<std::string>{"Invalid output file: [" + path + "]"});
  EXPECT_FALSE(fileExists(path));
}

TEST_F(ReportDriverTest, EmptyPathWritesTheSummaryOnly) {
  ScopedWorkingDirectory inScratch(scratch.path());
  bool result = false;
  const std::string summary = report("", result);
  EXPECT_TRUE(result);
  EXPECT_NE(summary.find("Execute Stats (Average):\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
}

TEST_F(ReportDriverTest, ReportsAreAppendedToAnExistingFile) {
  const std::string path = scratch.file("report.csv");
  writeFile(path, "earlier\n");
  reader.hasLibLoadStat = true;
  reader.libLoadStat = phaseStat(0, 3, {}, {unsignedEvent("latency", 250)});

  bool result = false;
  const std::string firstSummary = report(path, result);
  EXPECT_TRUE(result);
  const std::string afterFirst = readFile(path);
  ASSERT_EQ(afterFirst.rfind("earlier\n", 0), 0u);
  const std::string document = afterFirst.substr(8);
  EXPECT_NE(document.find("3,DLOPEN LATENCY,250,US,NETRUN,ROOT,null\n"), std::string::npos);

  EXPECT_EQ(report(path, result), firstSummary);
  EXPECT_TRUE(result);
  EXPECT_EQ(readFile(path), "earlier\n" + document + document);
}

TEST_F(ReportDriverTest, UpdaterLogReportsBinarySectionUpdatesOnly) {
  reader.generatedByUpdater = true;
  reader.hasUpdateBinarySection = true;
  reader.updateSectionStats = {graphStat("", 42)};
  reader.executeAverage = {graphStat("g", 10)};
  reader.hasLibLoadStat = true;
  reader.libLoadStat = phaseStat(0, 3, {}, {unsignedEvent("latency", 250)});
  const std::string path = scratch.file("report.csv");

  bool result = false;
  const std::string summary = report(path, result);
  EXPECT_TRUE(result);
  const std::string section = "UpdateBinarySection Stats:\n" + dashes(32) + "    NetRun: 42 us\n\n";
  ASSERT_GE(summary.size(), section.size());
  EXPECT_EQ(summary.substr(summary.size() - section.size()), section);
  EXPECT_EQ(summary.find("Execute Stats"), std::string::npos);

  const std::string csv = readFile(path);
  const std::string row = "0,UPDATE BINARY SECTION,42,US,TALV,ROOT,null\n";
  ASSERT_GE(csv.size(), row.size());
  EXPECT_EQ(csv.substr(csv.size() - row.size()), row);
  EXPECT_EQ(csv.find("DLOPEN"), std::string::npos);
}

}  // namespace
}  // namespace vyn::testing
