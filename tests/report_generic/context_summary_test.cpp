// Context retrieval and binary-section update sections of the generic summary.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "reader/vyn_profile_log_reader.h"
#include "report_test_data.h"

namespace vyn::testing {
namespace {

using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;

class ContextSummaryTest : public ::testing::Test {
 protected:
  ContextSummaryTest() { out << std::fixed << std::setprecision(0); }

  std::string allSections() {
    reader.writeContextRetrievalStats(out);
    reader.writeContextSectionRetrievalStats(out);
    reader.writeUpdateBinarySectionStats(out);
    return out.str();
  }

  VynProfileLogReader reader{"in.log", VisibilityLevel::All};
  std::ostringstream out;
};

TEST_F(ContextSummaryTest, SectionsWithoutTheirFlagWriteNothing) {
  reader.contextBinaryStats["CONTEXT GET BINARY"] = phaseStat(5);
  reader.contextSectionSeries["CONTEXT GET BINARY SECTION SIZE"] = {phaseStat(5)};
  reader.updateSectionStats = {graphStat("", 5)};
  EXPECT_EQ(allSections(), "");
}

TEST_F(ContextSummaryTest, RetrievalStatisticsAreLabelledByMeasurement) {
  reader.hasContextRetrieval = true;
  reader.contextBinaryStats["CONTEXT GET BINARY SIZE"] = phaseStat(9, 1, "size call");
  reader.contextBinaryStats["CONTEXT GET BINARY"] = phaseStat(120, 2, "binary call");
  reader.contextBinaryStats["context get binary"] = phaseStat(3);
  reader.writeContextRetrievalStats(out);
  EXPECT_EQ(out.str(), "Context Retrieval Stats:\n" + dashes(24) +
                           "Get Binary Size:\n    NetRun: 9 us\n\n"
                           "Get Binary:\n    NetRun: 120 us\n\n"
                           ":\n    NetRun: 3 us\n\n");
}

TEST_F(ContextSummaryTest, SectionRetrievalTitlesStandWithoutTheSizeMeasurement) {
  reader.hasContextSectionRetrieval = true;
  reader.contextSectionSeries["CONTEXT GET BINARY SECTION"] = {phaseStat(5)};
  reader.writeContextSectionRetrievalStats(out);
  EXPECT_EQ(out.str(), "Context Section Retrieval Stats (Average):\n" + dashes(47) +
                           "Context Section Retrieval Stats (Min):\n" + dashes(42) +
                           "Context Section Retrieval Stats (Max):\n" + dashes(42));
}

TEST_F(ContextSummaryTest, OnlyTheFirstBinarySectionUpdateIsShown) {
  reader.hasUpdateBinarySection = true;
  reader.updateSectionStats = {graphStat("hidden", 42), graphStat("b", 7), graphStat("c", 8)};
  reader.writeUpdateBinarySectionStats(out);
  EXPECT_EQ(out.str(), "UpdateBinarySection Stats:\n" + dashes(32) + "    NetRun: 42 us\n\n");

  out.str("");
  reader.updateSectionStats.clear();
  reader.writeUpdateBinarySectionStats(out);
  EXPECT_EQ(out.str(), "UpdateBinarySection Stats:\n" + dashes(32));
}

}  // namespace
}  // namespace vyn::testing
