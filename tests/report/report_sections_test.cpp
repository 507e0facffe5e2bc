// The phase sections of the summary and the CSV writers shared by both reports,
// on readers filled by hand, and the output-file failure of the Xtu report.
#include <gtest/gtest.h>

#include <sstream>

#include "reader/vyn_profile_log_reader_xtu.h"
#include "report_test_util.h"
#include "support/temp_dir.h"

namespace vyn::testing {
namespace {

using namespace vyn::profiling;
using Kind = VynProfileLogReader::GraphPhaseKind;

PhaseStat stat(std::uint64_t value, std::uint64_t timestamp,
               std::vector<ProfileEvent> subEvents = {}) {
  PhaseStat result;
  result.value = value;
  result.timestamp = timestamp;
  result.subEvents = std::move(subEvents);
  return result;
}

class ReportSections : public ::testing::Test {
 protected:
  VynProfileLogReader reader{"run.log", VisibilityLevel::Basic};
  std::ostringstream out;
};

TEST_F(ReportSections, PhaseStatsOfAnEmptyReader) {
  reader.writePhaseStats(out);
  EXPECT_EQ(out.str(),
            "Vyn Init/Prepare/Finalize/De-Init/Execute/Lib-Load Statistics:\n"
            "------------------------------------------------------------\n"
            "Init Stats:\n"
            "-----------\n"
            "    NetRun: 0 us\n"
            "\n"
            "Compose Graphs Stats:\n"
            "--------------\n"
            "    NetRun: 0 us\n"
            "\n"
            "Finalize Stats:\n"
            "---------------\n"
            "\n"
            "De-Init Stats:\n"
            "--------------\n"
            "    NetRun: 0 us\n"
            "\n");
}

TEST_F(ReportSections, InitTreeChoiceAndFinalizeTreesFollowTheirFlags) {
  reader.initTime = 12;
  reader.initAltStat = stat(0, 0, {event("alt", 1, unsignedValue(2), EventUnit::Count)});
  reader.hasInitAltStat = true;
  reader.initStat = stat(0, 0, {event("main", 1, unsignedValue(3), EventUnit::Count)});
  reader.finalizeStats = {{"g0", stat(5, 1, {event("fin", 2, unsignedValue(4), 0)})},
                          {"g1", stat(6, 2)}};

  reader.writeInitStats(out);
  reader.writeFinalizeStats(out);
  reader.hasInitStat = true;
  reader.hasFinalizeStats = true;
  reader.writeInitStats(out);
  reader.writeFinalizeStats(out);
  EXPECT_EQ(out.str(),
            "Init Stats:\n-----------\n    NetRun: 12 us\n    Backend (alt): 2 count\n\n"
            "Finalize Stats:\n---------------\n"
            "Graph 0 (g0):\n    NetRun: 5 us\n\n"
            "Graph 1 (g1):\n    NetRun: 6 us\n\n"
            "Init Stats:\n-----------\n    NetRun: 12 us\n    Backend (main): 3 count\n\n"
            "Finalize Stats:\n---------------\n"
            "Graph 0 (g0):\n    NetRun: 5 us\n    Backend (fin): 4 us\n\n"
            "Graph 1 (g1):\n    NetRun: 6 us\n\n");
}

TEST_F(ReportSections, GraphPhaseVariantsHaveTheirOwnTitlesRulesAndSources) {
  reader.writeGraphPhaseStats(out, Kind::ApplyBinarySectionAverage);
  reader.writeGraphPhaseStats(out, Kind::TensorUpdatesAverage);
  EXPECT_EQ(out.str(), "");  // neither phase was captured

  reader.hasApplyBinarySection = true;
  reader.hasFinalizeAfterTensorUpdates = true;
  reader.applySectionAverage = {{"a", stat(1, 0, {event("e", 1, unsignedValue(7), 0)})},
                                {"b", stat(2, 0)}};
  reader.applySectionMax = {{"c", stat(3, 0)}};
  reader.tensorUpdateAverage = {{"t", stat(4, 0)}};
  reader.tensorUpdateMin = {{"u", stat(5, 0)}};
  reader.tensorUpdateMax = {{"v", stat(6, 0)}};
  for (const Kind kind : {Kind::ApplyBinarySectionAverage, Kind::ApplyBinarySectionMin,
                          Kind::ApplyBinarySectionMax, Kind::TensorUpdatesAverage,
                          Kind::TensorUpdatesMin, Kind::TensorUpdatesMax}) {
    reader.writeGraphPhaseStats(out, kind);
  }
  EXPECT_EQ(out.str(),
            "ApplyBinarySection Stats (Average):\n" + std::string(35, '-') + "\n" +
                "Graph 0 (a):\n    NetRun: 1 us\n    Backend (e): 7 us\n\n"
                "Graph 1 (b):\n    NetRun: 2 us\n\n"
                "ApplyBinarySection Stats (Min):\n" + std::string(35, '-') + "\n" +
                "ApplyBinarySection Stats (Max):\n" + std::string(35, '-') + "\n" +
                "Graph 0 (c):\n    NetRun: 3 us\n\n"
                "FinalizeAfterTensorUpdates Stats (Average):\n" + std::string(45, '-') + "\n" +
                "Graph 0 (t):\n    NetRun: 4 us\n\n"
                "FinalizeAfterTensorUpdates Stats (Min):\n" + std::string(40, '-') + "\n" +
                "Graph 0 (u):\n    NetRun: 5 us\n\n"
                "FinalizeAfterTensorUpdates Stats (Max):\n" + std::string(40, '-') + "\n" +
                "Graph 0 (v):\n    NetRun: 6 us\n\n");
}

void writeSharedCsv(VynProfileLogReader& reader, std::ostream& out) {
  reader.writeCsvPreamble(out);
  reader.writeCsvHeaderRow(out);
  reader.writePhaseRows(out);
  reader.writeExecuteRows(out);
  reader.writeApplyBinarySectionRows(out);
}

TEST_F(ReportSections, CsvRowsQuoteTextFromTheLogAndNumberGraphs) {
  reader.inputLogPath = "logs/a,b.log";
  reader.generatorName = "gen\"x";
  reader.generatorVersion = "1,2";
  reader.backendVersion = "plain";
  reader.initTimestamp = 10;
  reader.initTime = 20;
  reader.initName = "i,n";
  reader.hasInitAltStat = true;
  reader.initAltStat = stat(0, 0, {event("load", 1, unsignedValue(4), EventUnit::Microseconds)});
  reader.composeTimestamp = 30;
  reader.composeTime = 40;
  reader.composeName = "c1; c2";
  reader.finalizeStats = {{"f,g", stat(5, 6, {event("fin", 1, unsignedValue(1), 3)})}};
  reader.hasFinalizeStats = true;
  reader.deInitStat = stat(60, 50);
  reader.deInitStat.name = "d\"e";
  reader.executeSeries = {
      {"g0", {stat(7, 70, {event("e", 1, unsignedValue(2), 1)}), stat(8, 71)}},
      {"g,1", {stat(9, 72)}}};
  reader.applySectionSeries = {{"", {}}, {"a", {stat(11, 80, {event("p", 1, unsignedValue(3), 2)})}}};

  writeSharedCsv(reader, out);
  EXPECT_EQ(out.str(),
            "input log file location, \"logs/a,b.log\"\n"
            "vyn-profile-viewer version, v2.51.0.260929181845\n"
            "\"gen\"\"x version\", \"1,2\"\n"
            "Backend version, plain\n"
            "Msg Timestamp, Message, Time, Unit of Measurement, Timing Source, Event Level, "
            "Event Identifier\n"
            "10,INIT,20,US,NETRUN,ROOT,\"i,n (init)\"\n"
            "10,INIT,4,US,BACKEND,ROOT,load\n"
            "30,COMPOSE GRAPHS,40,US,NETRUN,ROOT,c1; c2\n"
            "6,FINALIZE,5,US,NETRUN,ROOT,\"Graph 0: f,g\"\n"
            "6,FINALIZE,1,CYCLES,BACKEND,ROOT,fin\n"
            "50,DE-INIT,60,US,NETRUN,ROOT,\"d\"\"e (deinit)\"\n"
            "70,EXECUTE,7,US,NETRUN,ROOT,Graph 0: g0\n"
            "70,EXECUTE,2,US,BACKEND,ROOT,e\n"
            "71,EXECUTE,8,US,NETRUN,ROOT,Graph 0: g0\n"
            "72,EXECUTE,9,US,NETRUN,ROOT,\"Graph 1: g,1\"\n"
            "80,APPLY BINARY SECTION,11,US,NETRUN,ROOT,Graph 1: a\n"
            "80,APPLYBINARY,3,BYTES,BACKEND,ROOT,p\n");
}

// The report writes the dump together with the CSV rows; on its own the dump
// must read the same.
TEST(XtuBackendData, DumpOnItsOwnNumbersExecutionsPerGraph) {
  VynProfileLogReaderXtu reader{"run.log", VisibilityLevel::Basic};
  reader.hasInitAltStat = true;
  reader.initAltStat = stat(0, 0, {event("ctx", 1, unsignedValue(7), EventUnit::Microseconds)});
  reader.hasFinalize = true;
  reader.finalizeStats = {
      {"g0", stat(5, 1, {event("fin", 2, unsignedValue(4), EventUnit::Bytes)})}};
  reader.executeSeries = {
      {"g0", {stat(1, 1, {event("run", 3, unsignedValue(1), EventUnit::Count)}), stat(2, 2)}},
      {"g1", {stat(3, 3), stat(4, 4, {event("k", 3, signedValue(-2), EventUnit::None)})}}};
  std::ostringstream out;
  reader.writeBackendData(out);
  EXPECT_EQ(out.str(),
            "\nPrinting All Data Received From Back End\n"
            "\nCreate From Binary Stats:\nctx : 7  us\n\n"
            "\nFinalize Stats:\nfin : 4  bytes\n\n"
            "\nExecute Stats: \n"
            "\nExecute Stat 1\n\nrun : 1  count\n"
            "\nExecute Stat 2\n\n"
            "\nExecute Stat 1\n\n"
            "\nExecute Stat 2\n\nk : -2  \n");
  EXPECT_TRUE(out.flags() & std::ios::fixed);
  EXPECT_EQ(out.precision(), 2);
}

TEST(XtuReportOutputFile, UnopenableFileFailsBeforeAnyOutput) {
  TempDir scratch;
  VynProfileLogReaderXtu reader{"run.log", VisibilityLevel::Basic};
  CapturedLog log;
  const std::string path = scratch.file("missing/out.csv");
  bool result = true;
  const std::string printed = captureStandardOutput(scratch.file("stdout.txt"), [&] {
    result = reader.writeReport(path);
  });
  EXPECT_FALSE(result);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(log.errors(), std::vector<std::string>{"Invalid output csvfile: [" + path + "]"});
}

}  // namespace
}  // namespace vyn::testing
