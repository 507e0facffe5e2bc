// CSV rows of the generic export: inference rate, library load latency,
// tensor-update finalizations, context retrievals and binary-section updates.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "reader/vyn_profile_log_reader.h"
#include "report_test_data.h"

namespace vyn::testing {
namespace {

using profiling::GraphPhaseSeries;
using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;

class CsvExtraRowsTest : public ::testing::Test {
 protected:
  CsvExtraRowsTest() { out << std::fixed << std::setprecision(0); }

  VynProfileLogReader reader{"in.log", VisibilityLevel::All};
  std::ostringstream out;
};

TEST_F(CsvExtraRowsTest, RateAndLatencyRowsNeedTheirEvents) {
  reader.hasExecuteOverallStat = true;
  reader.executeOverallStat = phaseStat(0, 1, {}, {unsignedEvent("duration", 7)});
  reader.hasLibLoadStat = true;
  reader.libLoadStat = phaseStat(4, 2);
  reader.writeExecuteIpsRow(out);
  reader.writeDlopenLatencyRow(out);
  EXPECT_EQ(out.str(), "");

  reader.hasExecuteOverallStat = false;
  reader.executeOverallStat.subEvents.push_back(unsignedEvent("count", 1));
  reader.hasLibLoadStat = false;
  reader.libLoadStat.subEvents.push_back(unsignedEvent("latency", 1));
  reader.writeExecuteIpsRow(out);
  reader.writeDlopenLatencyRow(out);
  EXPECT_EQ(out.str(), "");
}

TEST_F(CsvExtraRowsTest, TensorUpdateRowsNameTheCallNotTheGraph) {
  reader.tensorUpdateSeries = {
      GraphPhaseSeries{"g", {phaseStat(10, 100, "g [pass 1]"), phaseStat(11, 101, "g [pass 2]")}},
      GraphPhaseSeries{"a,b", {phaseStat(12, 102, "a,b [\"x\"]")}}};
  reader.writeFinalizeAfterTensorUpdatesRows(out);
  EXPECT_EQ(out.str(),
            "100,FINALIZE AFTER TENSOR UPDATES,10,US,NETRUN,ROOT,Graph 0: g [pass 1]\n"
            "101,FINALIZE AFTER TENSOR UPDATES,11,US,NETRUN,ROOT,Graph 0: g [pass 2]\n"
            "102,FINALIZE AFTER TENSOR UPDATES,12,US,NETRUN,ROOT,\"Graph 1: a,b [\"\"x\"\"]\"\n");
}

TEST_F(CsvExtraRowsTest, ContextRowsListLatestCallsThenEverySectionCall) {
  reader.contextBinaryStats["CONTEXT GET BINARY"] = phaseStat(120, 2, "ctx, main");
  reader.contextBinaryStats["CONTEXT GET BINARY SIZE"] = phaseStat(9, 1);
  reader.contextSectionSeries["CONTEXT GET BINARY SECTION SIZE"] = {phaseStat(4, 3, "s1"),
                                                                    phaseStat(0, 4)};
  reader.writeContextRetrievalRows(out);
  EXPECT_EQ(out.str(),
            "2,CONTEXT GET BINARY,120,US,NETRUN,ROOT,\"ctx, main\"\n"
            "1,CONTEXT GET BINARY SIZE,9,US,NETRUN,ROOT,null\n"
            "3,CONTEXT GET BINARY SECTION SIZE,4,US,NETRUN,ROOT,s1\n"
            "4,CONTEXT GET BINARY SECTION SIZE,0,US,NETRUN,ROOT,null\n");
}

TEST_F(CsvExtraRowsTest, OneBinarySectionUpdateRowTimedByTheUpdater) {
  reader.updateSectionStats = {graphStat("", 42), graphStat("", 43)};
  reader.updateSectionStats[0].stat.timestamp = 9;
  reader.writeUpdateBinarySectionRows(out);
  EXPECT_EQ(out.str(), "9,UPDATE BINARY SECTION,42,US,TALV,ROOT,null\n");

  out.str("");
  reader.updateSectionStats.clear();
  reader.writeUpdateBinarySectionRows(out);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace vyn::testing
