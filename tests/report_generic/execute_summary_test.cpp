// Execution sections of the generic summary: inference rate, per-graph average,
// minimum and maximum, and the library load latency.
#include <gtest/gtest.h>

#include <iomanip>
#include <limits>
#include <sstream>

#include "reader/vyn_profile_log_reader.h"
#include "report_test_data.h"

namespace vyn::testing {
namespace {

using profiling::QueueWaitSamples;
using profiling::QueueWaitValue;
using profiling::VisibilityLevel;
using profiling::VynProfileLogReader;
using Kind = VynProfileLogReader::ExecuteStatKind;

constexpr std::uint64_t kMaxUnsigned = std::numeric_limits<std::uint64_t>::max();

class ExecuteSummaryTest : public ::testing::Test {
 protected:
  ExecuteSummaryTest() { out << std::fixed << std::setprecision(0); }

  void setOverall(std::vector<ProfileEvent> events) {
    reader.hasExecuteOverallStat = true;
    reader.executeOverallStat = phaseStat(0, 5, "overall", std::move(events));
  }

  std::string overallSection() {
    reader.writeExecuteOverallStats(out);
    return out.str();
  }

  static std::string overallText(const std::string& figure) {
    return "Execute Stats (Overall):\n" + dashes(24) +
           "    NetRun IPS (includes IO and misc. time): " + figure + " inf/sec \n\n";
  }

  static std::string executeHead(const std::string& title) {
    return title + "\n" + dashes(24) + "Total Inference Time: \n" + dashes(21);
  }

  VynProfileLogReader reader{"in.log", VisibilityLevel::All};
  std::ostringstream out;
};

TEST_F(ExecuteSummaryTest, InferenceRateLooksAtTheFirstTwoEventsOnly) {
  setOverall({unsignedEvent("inferences", 5, 4), unsignedEvent("elapsed", 2000),
              unsignedEvent("duration", 1)});
  EXPECT_EQ(overallSection(), overallText("2500.0000"));
}

TEST_F(ExecuteSummaryTest, InferenceRateReadsTheNumbersTheValuesHold) {
  // A text's payload is its address, never a count.
  setOverall({event("duration", 0, doubleValue(2000.9), 1), event("count", 0, textValue("12"), 4)});
  EXPECT_EQ(overallSection(), overallText("0.0000"));

  out.str("");
  setOverall({event("duration", 0, doubleValue(2000.9), 1), event("count", 0, doubleValue(5.7), 4)});
  EXPECT_EQ(overallSection(), overallText("2500.0000"));
}

TEST_F(ExecuteSummaryTest, NoInferenceRateWithoutTwoEvents) {
  setOverall({unsignedEvent("duration", 2000)});
  EXPECT_EQ(overallSection(), "");

  setOverall({unsignedEvent("duration", 2000), unsignedEvent("count", 5)});
  reader.hasExecuteOverallStat = false;
  EXPECT_EQ(overallSection(), "");
}

TEST_F(ExecuteSummaryTest, DeviceTimesIgnoreQueueWaits) {
  reader.executeMax = {graphStat("first", 900), graphStat("second", 40)};
  reader.queueWaitMax = {{"first", 100}, {"second", 1}};
  reader.writeExecuteStats(out, Kind::Max);
  EXPECT_EQ(out.str(), executeHead("Execute Stats (Max):") +
                           "Graph 0 (first):\n    NetRun: 900 us\n\n"
                           "Graph 1 (second):\n    NetRun: 40 us\n\n");
}

TEST_F(ExecuteSummaryTest, AverageRoundTripsSubtractTheMeanQueueWait) {
  reader.hostRoundTrip = true;
  reader.executeAverage = {graphStat("g", 1500), graphStat("unmatched", 70),
                           graphStat("no samples", 80), graphStat("long wait", 50),
                           graphStat("top", kMaxUnsigned)};
  reader.queueWaitSamples = {QueueWaitSamples{"g", {200, 401}},
                             QueueWaitSamples{"g", {1}},
                             QueueWaitSamples{"unmatched ", {5}},
                             QueueWaitSamples{"no samples", {}},
                             QueueWaitSamples{"long wait", {60, 61}},
                             QueueWaitSamples{"top", {kMaxUnsigned}}};
  reader.writeExecuteStats(out, Kind::Average);
  // Mean 300.5 truncates to 300; a wait longer than the round trip leaves 0; a
  // mean that rounds up to 2^64 in double precision still leaves 0, not a wrap.
  EXPECT_EQ(out.str(),
            executeHead("Execute Stats (Average):") +
                "Graph 0 (g):\n"
                "    NetRun (Host Round-Trip): 1500 us\n"
                "    NetRun (Host Round-Trip excluding queue wait): 1200\n\n"
                "Graph 1 (unmatched):\n"
                "    NetRun (Host Round-Trip): 70 us\n\n"
                "Graph 2 (no samples):\n"
                "    NetRun (Host Round-Trip): 80 us\n\n"
                "Graph 3 (long wait):\n"
                "    NetRun (Host Round-Trip): 50 us\n"
                "    NetRun (Host Round-Trip excluding queue wait): 0\n\n"
                "Graph 4 (top):\n"
                "    NetRun (Host Round-Trip): 18446744073709551615 us\n"
                "    NetRun (Host Round-Trip excluding queue wait): 0\n\n");
}

TEST_F(ExecuteSummaryTest, MinAndMaxRoundTripsSubtractTheirOwnQueueWait) {
  reader.hostRoundTrip = true;
  reader.executeMin = {graphStat("g", 100), graphStat("h", 30)};
  reader.executeMax = {graphStat("g", 900)};
  reader.queueWaitMin = {{"g", 40}, {"g", 1}, {"h", 30}};
  reader.queueWaitMax = {{"g", 899}};
  reader.queueWaitSamples = {QueueWaitSamples{"g", {1}}};

  reader.writeExecuteStats(out, Kind::Min);
  reader.writeExecuteStats(out, Kind::Max);
  EXPECT_EQ(out.str(), executeHead("Execute Stats (Min):") +
                           "Graph 0 (g):\n"
                           "    NetRun (Host Round-Trip): 100 us\n"
                           "    NetRun (Host Round-Trip excluding queue wait): 60\n\n"
                           "Graph 1 (h):\n"
                           "    NetRun (Host Round-Trip): 30 us\n"
                           "    NetRun (Host Round-Trip excluding queue wait): 0\n\n" +
                           executeHead("Execute Stats (Max):") +
                           "Graph 0 (g):\n"
                           "    NetRun (Host Round-Trip): 900 us\n"
                           "    NetRun (Host Round-Trip excluding queue wait): 1\n\n");
}

TEST_F(ExecuteSummaryTest, LibraryLoadLatencyIsTheFirstEventsNumber) {
  reader.hasLibLoadStat = true;
  reader.libLoadStat = phaseStat(7, 9, "load", {event("latency", 0, doubleValue(250.75), 1), unsignedEvent("x", 1)});
  reader.writeDynamicLibLoadStats(out);
  EXPECT_EQ(out.str(), "Dynamic Lib Load Stats:\n" + dashes(24) + "    Backend Latency: 250 us\n\n");

  out.str("");
  reader.libLoadStat.subEvents.clear();
  reader.writeDynamicLibLoadStats(out);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace vyn::testing
