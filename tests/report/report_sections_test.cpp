// Report pieces on readers filled by hand, for the cases the golden logs do not
// hold: narrow value types, odd identifiers, flags, quoting in the preamble,
// numbers read out of events and queue-wait samples, and missing events.
#include <gtest/gtest.h>

#include <iomanip>
#include <limits>
#include <sstream>

#include "reader/vyn_profile_log_reader_xtu.h"
#include "report/event_text.h"
#include "report_test_util.h"

namespace vyn::testing {
namespace {

using namespace vyn::profiling;

PhaseStat stat(std::uint64_t value, std::uint64_t timestamp = 5, std::vector<ProfileEvent> subEvents = {}) {
  PhaseStat result;
  result.value = value;
  result.timestamp = timestamp;
  result.subEvents = std::move(subEvents);
  return result;
}

TEST(EventText, NarrowValuesUseOnlyTheirOwnBitsAndHardwareUnitsTheLowByte) {
  const std::pair<EventValue, std::string> cases[] = {
      {{ValueDataType::Int8, 0x1FF}, "-1"},           {{ValueDataType::UInt8, 0x1FF}, "255"},
      {{ValueDataType::Int16, 0xFFFF8000}, "-32768"}, {{ValueDataType::UInt16, 0x12345}, "9029"},
      {{ValueDataType::Int32, 0x1FFFFFFFF}, "-1"},    {{ValueDataType::UInt32, 0x1FFFFFFFF}, "4294967295"},
      {{ValueDataType::Float16, 0xFFFE}, "-2"},       {{0x0216, 0xFFFE}, ""},
      {{ValueDataType::Bool8, 0x101}, "1"},           {{ValueDataType::Undefined, 12}, ""},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(formatEventValue(value), text) << "data type " << std::hex << value.dataType;
  }
  EXPECT_EQ(formatUnitMask(0), "");
  EXPECT_EQ(formatUnitMask(0xFA), "ZOR");
}

class ReportSections : public ::testing::Test {
 protected:
  ReportSections() { out << std::fixed << std::setprecision(0); }

  std::string rateAndLatency(std::vector<ProfileEvent> overall, std::vector<ProfileEvent> libLoad) {
    out.str("");
    generic.hasExecuteOverallStat = generic.hasLibLoadStat = true;
    generic.executeOverallStat = stat(0, 5, std::move(overall));
    generic.libLoadStat = stat(7, 5, std::move(libLoad));
    generic.writeExecuteOverallStats(out);
    generic.writeDynamicLibLoadStats(out);
    return out.str();
  }

  VynProfileLogReaderXtu xtu{"unused.log", VisibilityLevel::Basic};
  VynProfileLogReader generic{"unused.log", VisibilityLevel::Basic};
  std::ostringstream out;
};

TEST_F(ReportSections, GenericCsvRowsCoverOneLevelOfSubEventsAndSkipObjects) {
  static const char kQuoted[] = "x\"y";
  generic.printEvent(out, {event("exec,main", 1, unsignedValue(5), EventUnit::Microseconds,
                                 {event("stage", 2, textValue(kQuoted), EventUnit::None,
                                        {event("deep", 3, unsignedValue(1), EventUnit::Microseconds)}),
                                  event("raw", 4, unsignedValue(9), EventUnit::Object)}),
                           event("obj", 5, unsignedValue(9), EventUnit::Object,
                                 {event("kept", 6, unsignedValue(2), EventUnit::Count)})},
                     77, "EXECUTE", 0);
  EXPECT_EQ(out.str(),
            "77,EXECUTE,5,US,BACKEND,ROOT,\"exec,main\"\n"
            "77,EXECUTE,\"x\"\"y\",NONE,BACKEND,SUB-EVENT,stage\n"
            "77,EXECUTE,2,COUNT,BACKEND,SUB-EVENT,kept\n");
}

TEST_F(ReportSections, XtuCsvRowsNeverShowTheAddressOfAText) {
  static const char kMaskText[] = "\x07";
  xtu.printEvent(out, {event("first", 1, unsignedValue(1), EventUnit::Microseconds,
                             {event("unit text", 5004, textValue(kMaskText), 0),
                              event("named", 5005, unsignedValue(9), EventUnit::Bytes)})},
                 9, "FINALIZE", 0);
  EXPECT_EQ(out.str(),
            "9,FINALIZE,1,US,BACKEND,ROOT,first\n"
            "9,FINALIZE,\"\",US,BACKEND,SUB-EVENT,unit text\n"
            "9,FINALIZE,\"\",BYTES,BACKEND,SUB-EVENT,named\n");
}

TEST_F(ReportSections, DumpHidesOnlyTopLevelIdentifiers9001To9008AndWritesOneBurstBlock) {
  xtu.printBackendEvents(
      out, {event("a", 9000, unsignedValue(1), EventUnit::None),
            event("b1", 2004, unsignedValue(0), 0, {event("k", 2005, unsignedValue(0), 0)}),
            event("h", 9005, unsignedValue(2), 0, {event("hs", 1, unsignedValue(1), 0)}),
            event("b2", 2004, unsignedValue(0), 0, {event("n", 2010, doubleValue(1.25), 0)}),
            event("z", 9009, doubleValue(0.5), EventUnit::Cycles,
                  {event("s", 9005, unsignedValue(4), EventUnit::Count,
                         {event("t", 2004, unsignedValue(1), EventUnit::Bytes)})})});
  EXPECT_EQ(out.str(),
            "a : 1  \n"
            "b1 : \n    k : Burst\n"
            "b2 : \n    n : 1.250000\n"
            "z : 0.500000  cycles\n    s : 4  count\n        t : 1  bytes\n");
}

TEST_F(ReportSections, InitTreeAndFinalizeTreesFollowTheirFlags) {
  generic.initTime = 12;
  generic.initAltStat = stat(0, 0, {event("alt", 1, unsignedValue(2), EventUnit::Count)});
  generic.hasInitAltStat = true;
  generic.initStat = stat(0, 0, {event("main", 1, unsignedValue(3), EventUnit::Count)});
  generic.finalizeStats = {{"g0", stat(5, 1, {event("fin", 2, unsignedValue(4), 0)})}};
  for (const bool flags : {false, true}) {
    generic.hasInitStat = generic.hasFinalizeStats = flags;
    generic.writeInitStats(out);
    generic.writeFinalizeStats(out);
  }
  EXPECT_EQ(out.str(),
            "Init Stats:\n-----------\n    NetRun: 12 us\n    Backend (alt): 2 count\n\n"
            "Finalize Stats:\n---------------\nGraph 0 (g0):\n    NetRun: 5 us\n\n"
            "Init Stats:\n-----------\n    NetRun: 12 us\n    Backend (main): 3 count\n\n"
            "Finalize Stats:\n---------------\nGraph 0 (g0):\n    NetRun: 5 us\n    Backend (fin): 4 us\n\n");
}

TEST_F(ReportSections, CsvPreambleAndPhaseRowsQuoteTextFromTheLog) {
  generic.inputLogPath = "logs/a,b.log";
  generic.generatorName = "gen\"x";
  generic.generatorVersion = "1,2";
  generic.backendVersion = "plain";
  generic.initTimestamp = 10;
  generic.initTime = 20;
  generic.initName = "i,n";
  generic.composeTimestamp = 30;
  generic.composeTime = 40;
  generic.composeName = "c1; c2";
  generic.deInitStat = stat(60, 50);
  generic.deInitStat.name = "d\"e";
  generic.writeCsvPreamble(out);
  generic.writePhaseRows(out);
  EXPECT_EQ(out.str(),
            "input log file location, \"logs/a,b.log\"\n"
            "vyn-profile-viewer version, v2.51.0.260929181845\n"
            "\"gen\"\"x version\", \"1,2\"\n"
            "Backend version, plain\n"
            "10,INIT,20,US,NETRUN,ROOT,\"i,n (init)\"\n"
            "30,COMPOSE GRAPHS,40,US,NETRUN,ROOT,c1; c2\n"
            "50,DE-INIT,60,US,NETRUN,ROOT,\"d\"\"e (deinit)\"\n");
}

TEST_F(ReportSections, RateAndLatencyReadTheNumbersTheValuesHold) {
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
  // Without the count or the latency event there is neither a figure nor a CSV row.
  EXPECT_EQ(rateAndLatency({duration}, {}), "");
  generic.writeExecuteIpsRow(out);
  generic.writeDlopenLatencyRow(out);
  EXPECT_EQ(out.str(), "");
}

TEST_F(ReportSections, AverageRoundTripsSubtractTheMeanQueueWaitWithoutWrapping) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  generic.hostRoundTrip = true;
  for (const auto& [graph, value] : std::vector<std::pair<std::string, std::uint64_t>>{
           {"g", 1500}, {"unmatched", 70}, {"no samples", 80}, {"long wait", 50}, {"top", kMax}}) {
    generic.executeAverage.push_back(GraphPhaseStat{graph, stat(value)});
  }
  generic.queueWaitSamples = {QueueWaitSamples{"g", {200, 401}}, QueueWaitSamples{"g", {1}},
                             QueueWaitSamples{"unmatched ", {5}}, QueueWaitSamples{"no samples", {}},
                             QueueWaitSamples{"long wait", {60, 61}}, QueueWaitSamples{"top", {kMax}}};
  generic.writeExecuteStats(out, VynProfileLogReader::ExecuteStatKind::Average);
  // Mean 300.5 truncates to 300; a wait longer than the round trip leaves 0; a
  // mean that rounds up to 2^64 in double precision still leaves 0, not a wrap.
  const std::string roundTrip = "    NetRun (Host Round-Trip): ";
  const std::string excluding = "    NetRun (Host Round-Trip excluding queue wait): ";
  EXPECT_EQ(out.str(), "Execute Stats (Average):\n" + std::string(24, '-') + "\nTotal Inference Time: \n" +
                           std::string(21, '-') + "\n" +
                           "Graph 0 (g):\n" + roundTrip + "1500 us\n" + excluding + "1200\n\n" +
                           "Graph 1 (unmatched):\n" + roundTrip + "70 us\n\n" +
                           "Graph 2 (no samples):\n" + roundTrip + "80 us\n\n" +
                           "Graph 3 (long wait):\n" + roundTrip + "50 us\n" + excluding + "0\n\n" +
                           "Graph 4 (top):\n" + roundTrip + "18446744073709551615 us\n" + excluding + "0\n\n");
}

}  // namespace
}  // namespace vyn::testing
