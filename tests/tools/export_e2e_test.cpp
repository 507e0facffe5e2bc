// vyn-profile-log export from an installed tree: the rows and the collapsed
// stacks against hand-written golden files, the JSON Lines form against its
// JSON Schema, and the reader's level. Its failures: log_tool_e2e_test.cpp.
#include <gmock/gmock.h>

#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ExportTest = ToolTest;

// Names and values at the edges of the format: separators in graph and event
// names, every value kind, values that are not finite, the Init events of an
// execution, tensor-update passes, context calls out of their export order.
const char* const kOddValuesLog = R"([{"messages": [
 {"timestamp": 100, "methodType": "Execute", "name": "net, \"v2\"", "timing": {"start": 100, "end": 350},
  "events": [
   {"name": "a,b", "identifier": 7, "valueKind": "Int64", "signedValue": -4, "unit": "Bytes",
    "subEvents": [{"name": "say \"hi\"", "identifier": 8, "valueKind": "Float64", "doubleValue": 0.1, "unit": "Cycles",
      "subEvents": [{"name": "line\nbreak", "identifier": 9, "valueKind": "String", "stringValue": "x,y", "unit": 99}]}]},
   {"name": "Init step", "identifier": 100, "valueKind": "UInt64", "unsignedValue": 5, "unit": "Microseconds"},
   {"name": "nan", "identifier": 10, "valueKind": "Float64", "doubleValue": "NaN", "unit": "Count"},
   {"name": "inf", "identifier": 11, "valueKind": "Float32", "floatValue": "-Infinity"},
   {"name": "single", "identifier": 12, "valueKind": "Float32", "floatValue": 0.1, "unit": "None"},
   {"name": "tiny", "identifier": 13, "valueKind": "Float64", "doubleValue": 1e-300},
   {"name": "big", "identifier": 14, "valueKind": "UInt64", "unsignedValue": 18446744073709551615, "unit": "Count"},
   {"name": "Hardware units", "identifier": 5004, "valueKind": "UInt64", "unsignedValue": 253, "unit": "None"},
   {"name": "blob", "identifier": 15, "valueKind": "Bytes", "bytesValue": [1, 2], "unit": "Object"},
   {"name": "tab\there", "valueKind": "String", "stringValue": "say \"no\""}]},
 {"timestamp": 400, "methodType": "Execute", "name": "net, \"v2\"", "timing": {"start": 400, "end": 400}},
 {"timestamp": 500, "methodType": "FinalizeAfterTensorUpdates", "name": "net, \"v2\" [pass 1]",
  "timing": {"start": 500, "end": 530},
  "events": [{"name": "Tensor copy", "identifier": 20, "valueKind": "UInt64", "unsignedValue": 4096, "unit": "Bytes"}]},
 {"timestamp": 600, "methodType": "FinalizeAfterTensorUpdates", "name": "net, \"v2\" [pass 2]",
  "timing": {"start": 600, "end": 610}},
 {"timestamp": 700, "methodType": "ContextGetBinary", "name": "ctx", "timing": {"start": 700, "end": 790}},
 {"timestamp": 800, "methodType": "ContextGetBinarySize", "timing": {"start": 800, "end": 805}},
 {"timestamp": 900, "methodType": "ContextGetBinarySectionSize", "timing": {"start": 900, "end": 902}},
 {"timestamp": 950, "methodType": "ContextGetBinarySectionSize", "timing": {"start": 950, "end": 953}},
 {"timestamp": 1000, "methodType": "UpdateBinarySection", "timing": {"start": 1000, "end": 1300},
  "events": [{"name": "Section patch", "identifier": 3300, "valueKind": "UInt64", "unsignedValue": 300}]}]}])";

std::string exportGolden(const std::string& name) { return goldenFile("export/" + name); }
const std::string kHeader =
    "graph,phase,occurrence,timestamp_us,duration_us,event_path,depth,identifier,value,unit,text\n";

TEST_F(ExportTest, RowsOfLogsAreTheDocumentedOnesInBothForms) {
  const ToolRun run = tool({"export", sampleLog("two-graphs"), "-o", "-", "--format", "csv"});
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, exportGolden("two-graphs.csv"));

  const std::string log = pack("odd.log", kOddValuesLog);
  ASSERT_EQ(tool({"export", log, "-o", "odd.csv"}).exitCode, 0);
  EXPECT_EQ(scratch("odd.csv"), exportGolden("odd-values.csv"));
  ASSERT_EQ(tool({"export", log, "-o", "odd.jsonl", "--format", "jsonl"}).exitCode, 0);
  EXPECT_EQ(scratch("odd.jsonl"), exportGolden("odd-values.jsonl"));
  // A name ending in .gz: gzip-compressed (which reads back: tests/base).
  ASSERT_EQ(tool({"export", log, "-o", "odd.jsonl.gz", "--format", "jsonl"}).exitCode, 0);
  EXPECT_EQ(scratch("odd.jsonl.gz").substr(0, 2), "\x1f\x8b");
  // Its messages have no level, which is 0: a reader of level -128 takes none
  // (which levels pass is checked in dispatch_test.cpp).
  EXPECT_EQ(tool({"export", log, "-o", "-", "--visibility", "-128"}).out, kHeader);
}

// Every row of the JSON Lines form of the sample logs fits the schema (their
// cells are those of the CSV form: both come from one walk, pinned by the goldens).
TEST_F(ExportTest, EveryJsonLinesExportFitsTheSchema) {
  pack("odd.log", kOddValuesLog);
  for (const std::string log : {"two-graphs", "two-graphs-slower", "round-trip", "updater", "odd"}) {
    const std::string input = log == "odd" ? work.file("odd.log") : sampleLog(log);
    const ToolRun run = tool({"export", input, "-o", log + ".jsonl", "--format", "jsonl"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expectFitsSchema("export-row.schema.json", log + ".jsonl");
  }
}

// Collapsed stacks (--format folded) of examples/two-graphs.json, the
// executions only (other phases are not stacks):
//   mobilenet: executions 1500 + 1300 = 2800 us
//     Layer conv1  400 + 380 = 780 us; its sub-events are hardware units (no
//                  time) and cycles: none is timed, so all 780 are its own
//     Burst        no value: left out, with its counts below it
//     Layer fc     250 + 240 = 490 us; below it only hardware units
//     the graph's own: 2800 - 780 - 490 = 1530
//   yolo: one execution of 2500 us
//     Layer conv1  900 us (hardware units below)
//     Occupancy    unit none: left out
//     the graph's own: 2500 - 900 = 1600
TEST_F(ExportTest, FoldedSampleLogGivesTheTotalsWorkedOutByHand) {
  const ToolRun run = tool({"export", sampleLog("two-graphs"), "--format", "folded", "-o", "-"});
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, exportGolden("two-graphs.folded"));
}

// Graph "net;2", two executions of 500 and 300 us:
//   Layer a   100 + 20 + 0 = 120 us (called twice in the second execution),
//             below it Part;x 80 + 10 = 90, Part y 50 and Part z 5 (met only
//             in the second call, after Layer b, yet written under Layer a):
//             145 > 120, so Layer a's own time is 0 (no line) and it is drawn
//             145 wide
//   Layer\nb  30 + 40 = 70
//   Copy      bytes: left out, and Wait (5 us) below it with it
//   Layer d   2.5 us: a half rounds up to 3
//   Tail      0.25 us: rounds to 0, no line
//   Idle      0 us: no line
//   Group     no value: left out, and Step (7 us) below it with it
//   the graph's own: 800 - 145 - 70 - 2.5 - 0.25 = 582.25, rounded down to 582
// Graph "late\rgraph": one execution of 10 us without events.
// The Finalize events are not executions and give no line.
const char* const kEdgesLog = R"([{"messages": [
 {"timestamp": 500, "methodType": "Finalize", "name": "net;2", "timing": {"start": 500, "end": 900},
  "events": [{"name": "Graph prepare", "identifier": 310, "valueKind": "UInt64", "unsignedValue": 400,
              "unit": "Microseconds"}]},
 {"timestamp": 1000, "methodType": "Execute", "name": "net;2", "timing": {"start": 1000, "end": 1500},
  "events": [
   {"name": "Layer a", "identifier": 3001, "valueKind": "UInt64", "unsignedValue": 100, "unit": "Microseconds",
    "subEvents": [
     {"name": "Part;x", "identifier": 3101, "valueKind": "UInt64", "unsignedValue": 80, "unit": "Microseconds"},
     {"name": "Part y", "identifier": 3102, "valueKind": "UInt64", "unsignedValue": 50, "unit": "Microseconds"}]},
   {"name": "Layer\nb", "identifier": 3002, "valueKind": "UInt64", "unsignedValue": 30, "unit": "Microseconds"},
   {"name": "Copy", "identifier": 3003, "valueKind": "UInt64", "unsignedValue": 64, "unit": "Bytes",
    "subEvents": [{"name": "Wait", "identifier": 3103, "valueKind": "UInt64", "unsignedValue": 5,
                   "unit": "Microseconds"}]},
   {"name": "Layer d", "identifier": 3004, "valueKind": "Float32", "floatValue": 2.5, "unit": "Microseconds"},
   {"name": "Tail", "identifier": 3005, "valueKind": "Float32", "floatValue": 0.25, "unit": "Microseconds"},
   {"name": "Idle", "identifier": 3006, "valueKind": "UInt64", "unsignedValue": 0, "unit": "Microseconds"}]},
 {"timestamp": 2000, "methodType": "Execute", "name": "net;2", "timing": {"start": 2000, "end": 2300},
  "events": [
   {"name": "Layer a", "identifier": 3001, "valueKind": "UInt64", "unsignedValue": 20, "unit": "Microseconds",
    "subEvents": [
     {"name": "Part;x", "identifier": 3101, "valueKind": "UInt64", "unsignedValue": 10, "unit": "Microseconds"}]},
   {"name": "Layer\nb", "identifier": 3002, "valueKind": "UInt64", "unsignedValue": 40, "unit": "Microseconds"},
   {"name": "Group", "identifier": 3007,
    "subEvents": [{"name": "Step", "identifier": 3104, "valueKind": "UInt64", "unsignedValue": 7,
                   "unit": "Microseconds"}]},
   {"name": "Layer a", "identifier": 3001, "valueKind": "UInt64", "unsignedValue": 0, "unit": "Microseconds",
    "subEvents": [
     {"name": "Part z", "identifier": 3105, "valueKind": "UInt64", "unsignedValue": 5, "unit": "Microseconds"}]}]},
 {"timestamp": 3000, "methodType": "Execute", "name": "late\rgraph", "timing": {"start": 3000, "end": 3010}}]}])";

TEST_F(ExportTest, FoldedSubEventsWiderThanTheirParentSeparatorsInNamesAndRounding) {
  const std::string log = pack("edges.log", kEdgesLog);
  const ToolRun run = tool({"export", log, "--format", "folded", "-o", "-"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, exportGolden("edges.folded"));
}

}  // namespace
}  // namespace vyn::testing
