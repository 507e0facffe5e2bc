// vyn-profile-log export --format folded from an installed tree: the collapsed
// stacks of a sample log and of a log at the edges of the form, against golden
// files worked out by hand from the logs' JSON.
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using FoldedExportTest = ToolTest;

std::string foldedGolden(const std::string& name) { return goldenFile("export/" + name + ".folded"); }

// examples/two-graphs.json, the executions only (other phases are not stacks):
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
TEST_F(FoldedExportTest, SampleLogGivesTheTotalsWorkedOutByHand) {
  const ToolRun run = tool({"export", sampleLog("two-graphs"), "--format", "folded", "-o", "run.folded"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(scratch("run.folded"), foldedGolden("two-graphs"));
  EXPECT_EQ(tool({"export", sampleLog("two-graphs"), "--format", "folded", "-o", "-"}).out,
            foldedGolden("two-graphs"));
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

TEST_F(FoldedExportTest, SubEventsWiderThanTheirParentSeparatorsInNamesAndRounding) {
  const std::string log = pack("edges.log", kEdgesLog);
  const ToolRun run = tool({"export", log, "--format", "folded", "-o", "-"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, foldedGolden("edges"));

  // No execution at all: an empty file.
  EXPECT_EQ(tool({"export", pack("empty.log", "[{}]"), "--format", "folded", "-o", "-"}).out, "");
}

// Graph "n", one execution of 1000 us. A timed event makes a frame only under a
// timed parent; otherwise its time stays in the nearest frame above it:
//   Mode   a text value: no frame; Step (40 us) below it neither, its 40 stay in n's
//   Layer  300 us
//     Part   50 us: a frame; Layer's own 300 - 50 = 250
//     Count  a count: no frame; Wait (100 us) below it neither, its 100 stay in Layer's
//   Empty  microseconds without a value: no frame; Tick (20 us) below it neither
//   n's own: 1000 - 300 = 700
TEST_F(FoldedExportTest, TimedEventsUnderAnUntimedParentStayInTheFrameAbove) {
  const std::string log = pack("nested.log", R"([{"messages": [
 {"timestamp": 1000, "methodType": "Execute", "name": "n", "timing": {"start": 1000, "end": 2000},
  "events": [
   {"name": "Mode", "identifier": 3001, "valueKind": "String", "stringValue": "fast",
    "subEvents": [{"name": "Step", "identifier": 3101, "valueKind": "UInt64", "unsignedValue": 40,
                   "unit": "Microseconds"}]},
   {"name": "Layer", "identifier": 3002, "valueKind": "UInt64", "unsignedValue": 300, "unit": "Microseconds",
    "subEvents": [
     {"name": "Part", "identifier": 3102, "valueKind": "UInt64", "unsignedValue": 50, "unit": "Microseconds"},
     {"name": "Count", "identifier": 3103, "valueKind": "UInt64", "unsignedValue": 7, "unit": "Count",
      "subEvents": [{"name": "Wait", "identifier": 3201, "valueKind": "UInt64", "unsignedValue": 100,
                     "unit": "Microseconds"}]}]},
   {"name": "Empty", "identifier": 3003, "unit": "Microseconds",
    "subEvents": [{"name": "Tick", "identifier": 3104, "valueKind": "UInt64", "unsignedValue": 20,
                   "unit": "Microseconds"}]}]}]}])");
  const ToolRun run = tool({"export", log, "--format", "folded", "-o", "-"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "n 700\n"
            "n;Layer 250\n"
            "n;Layer;Part 50\n");
}

}  // namespace
}  // namespace vyn::testing
