// Sections of the generic report that read numbers out of events and queue-wait
// samples, on readers filled by hand: values the golden logs cannot hold, and
// events that are missing.
#include <gtest/gtest.h>

#include <iomanip>
#include <limits>
#include <sstream>

#include "report/report_test_util.h"

namespace vyn::testing {
namespace {

using profiling::GraphPhaseStat;
using profiling::PhaseStat;
using profiling::QueueWaitSamples;
using profiling::VynProfileLogReader;

PhaseStat phaseStat(std::uint64_t value, std::vector<ProfileEvent> subEvents = {}) {
  PhaseStat stat;
  stat.value = value;
  stat.timestamp = 5;
  stat.subEvents = std::move(subEvents);
  return stat;
}

class SummaryEdges : public ::testing::Test {
 protected:
  SummaryEdges() { out << std::fixed << std::setprecision(0); }

  std::string rateAndLatency(std::vector<ProfileEvent> overall, std::vector<ProfileEvent> libLoad) {
    out.str("");
    reader.hasExecuteOverallStat = reader.hasLibLoadStat = true;
    reader.executeOverallStat = phaseStat(0, std::move(overall));
    reader.libLoadStat = phaseStat(7, std::move(libLoad));
    reader.writeExecuteOverallStats(out);
    reader.writeDynamicLibLoadStats(out);
    return out.str();
  }

  VynProfileLogReader reader{"in.log", profiling::VisibilityLevel::All};
  std::ostringstream out;
};

TEST_F(SummaryEdges, RateAndLatencyReadTheNumbersTheValuesHold) {
  const std::string rate = "Execute Stats (Overall):\n" + std::string(24, '-') +
                           "\n    NetRun IPS (includes IO and misc. time): ";
  const std::string latency = " inf/sec \n\nDynamic Lib Load Stats:\n" + std::string(24, '-') +
                              "\n    Backend Latency: 250 us\n\n";
  const ProfileEvent duration = event("duration", 0, doubleValue(2000.9), 1);
  const ProfileEvent load = event("latency", 0, doubleValue(250.75), 1);
  // A text's payload is its address, never a count.
  EXPECT_EQ(rateAndLatency({duration, event("count", 0, textValue("12"), 4)}, {load}),
            rate + "0.0000" + latency);
  EXPECT_EQ(rateAndLatency({duration, event("count", 0, doubleValue(5.7), 4)}, {load, duration}),
            rate + "2500.0000" + latency);
}

TEST_F(SummaryEdges, RateAndLatencyNeedTheirEventsAndFlags) {
  EXPECT_EQ(rateAndLatency({event("duration", 0, unsignedValue(2000), 1)}, {}), "");
  reader.writeExecuteIpsRow(out);
  reader.writeDlopenLatencyRow(out);
  EXPECT_EQ(out.str(), "");

  reader.executeOverallStat.subEvents.push_back(event("count", 0, unsignedValue(5), 4));
  reader.libLoadStat.subEvents.push_back(event("latency", 0, unsignedValue(1), 1));
  reader.hasExecuteOverallStat = reader.hasLibLoadStat = false;
  reader.writeExecuteOverallStats(out);
  reader.writeDynamicLibLoadStats(out);
  reader.writeExecuteIpsRow(out);
  reader.writeDlopenLatencyRow(out);
  EXPECT_EQ(out.str(), "");
}

TEST_F(SummaryEdges, AverageRoundTripsSubtractTheMeanQueueWaitWithoutWrapping) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  reader.hostRoundTrip = true;
  for (const auto& [graph, value] : std::vector<std::pair<std::string, std::uint64_t>>{
           {"g", 1500}, {"unmatched", 70}, {"no samples", 80}, {"long wait", 50}, {"top", kMax}}) {
    reader.executeAverage.push_back(GraphPhaseStat{graph, phaseStat(value)});
  }
  reader.queueWaitSamples = {QueueWaitSamples{"g", {200, 401}}, QueueWaitSamples{"g", {1}},
                             QueueWaitSamples{"unmatched ", {5}}, QueueWaitSamples{"no samples", {}},
                             QueueWaitSamples{"long wait", {60, 61}}, QueueWaitSamples{"top", {kMax}}};
  reader.writeExecuteStats(out, VynProfileLogReader::ExecuteStatKind::Average);
  // Mean 300.5 truncates to 300; a wait longer than the round trip leaves 0; a
  // mean that rounds up to 2^64 in double precision still leaves 0, not a wrap.
  EXPECT_EQ(out.str(), "Execute Stats (Average):\n" + std::string(24, '-') + "\nTotal Inference Time: \n" +
                           std::string(21, '-') + "\n"
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

}  // namespace
}  // namespace vyn::testing
