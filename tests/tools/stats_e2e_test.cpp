// `vyn-profile-log stats`: the figures of small logs worked out by hand and the
// JSON form of every sample log against its schema.

#include "tools/log_json_text.h"
#include "tools/tool_runner.h"

namespace vyn::testing {
namespace {

const std::string kCsvHeader =
    "graph,event_path,depth,unit,executions,occurrences,total,self_total,"
    "mean_per_occurrence,p50_per_occurrence,p99_per_occurrence,max_per_occurrence,"
    "mean_per_execution,p50_per_execution,p99_per_execution,max_per_execution,share,values\n";

// One graph, four executions of 100 to 400 us; "Layer b" in two of them.
std::string netLog() {
  auto net = [](int start, int duration, int layerA, int units, int layerB) {
    return execute("net", start, duration,
                   event("Layer a", layerA, event("Units", units, "", "None", 5004)) +
                       (layerB == 0 ? "" : "," + event("Layer b", layerB)));
  };
  return logOf({R"({"timestamp": 1, "methodType": "Init", "name": "ctx", "timing": {"start": 1, "end": 501}})",
                net(1000, 100, 40, 1, 0), net(2000, 200, 60, 1, 10), net(3000, 300, 80, 3, 0),
                net(4000, 400, 100, 1, 30)});
}

class StatsTest : public ToolTest {};

TEST_F(StatsTest, TextFiguresMatchTheOnesWorkedOutByHand) {
  const ToolRun stats = tool({"stats", pack("net.log", netLog())});
  ASSERT_EQ(stats.exitCode, 0) << stats.err;
  EXPECT_EQ(stats.out, goldenFile("stats-net.txt"));
  EXPECT_EQ(stats.err, "");
}

TEST_F(StatsTest, OptionsSelectExecutionsGraphsUnitsAndRowsAndWarningsSayWhyNothingShows) {
  pack("net.log", netLog());
  // Without the first execution: 200, 300 and 400 us, in milliseconds.
  const ToolRun skipped = tool(
      {"stats", "net.log", "--skip-first", "1", "--unit", "ms", "--top", "1", "--sort", "name", "--format", "csv"});
  ASSERT_EQ(skipped.exitCode, 0) << skipped.err;
  EXPECT_EQ(skipped.out,
            kCsvHeader +
                // 900 us, less Layer a's 240 and Layer b's 40, outside any event; the
                // execution occurs once per execution, so its figures are alike on both bases.
                "net,,,ms,3,3,0.9,0.62,0.3,0.3,0.398,0.4,0.3,0.3,0.398,0.4,1,\n"
                "net,Layer a,0,ms,3,3,0.24,0.24,0.08,0.08,0.0996,0.1,0.08,0.08,0.0996,0.1,0.26666666666666666,\n");

  // A log with nothing to show says why on standard error, as the viewer does.
  writeFile(work.file("empty.log"), "");
  const ToolRun empty = tool({"stats", "empty.log"});
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.err, "vyn-profile-log: empty.log: warning: the log holds no records; the report is empty\n");
}

// The JSON form of every sample log, and of a log whose two values near the
// largest double add up past it, follows its schema.
TEST_F(StatsTest, JsonFollowsItsSchemaForEverySampleLog) {
  const std::string huge = R"({"name": "Huge", "identifier": 3001, "valueKind": "Float64", "doubleValue": 1e308,
                               "unit": "Microseconds"})";
  pack("huge.log", logOf({execute("g", 1000, 100, huge + "," + huge)}));
  for (const std::string sample : {"two-graphs", "two-graphs-slower", "round-trip", "updater", "huge"}) {
    SCOPED_TRACE(sample);
    const std::string log = sample == "huge" ? "huge.log" : stage(sample);
    ASSERT_EQ(tool({"stats", log, "--format", "json", "-o", "stats.json"}).exitCode, 0);
    expectFitsSchema("stats.schema.json", "stats.json");
  }
}

// Executions of 100, 200 and 300 us (600 in all) of g, each with "Layer" twice,
// a 5 us "Inner" under each, and "Copy" in the third;
// the report's hover gives the figures per execution (both bases: tests/stats):
//   Layer  per execution 40, 40, 120: mean 66.7, p99 at rank 1.98 = 40 + .98 x 80 = 118.4
//   Copy   30 in the third execution only; per execution 0, 0, 30: mean 10, p99 29.4
// Shares of 600: 200 / 600 = 33.3%, 30 / 600 = 5.0%.
TEST_F(StatsTest, TheReportsHoverGivesEveryFigurePerExecution) {
  auto twice = [](int start, int duration, int first, int second, int copy) {
    return execute("g", start, duration,
                   event("Layer", first, event("Inner", 5)) + "," + event("Layer", second, event("Inner", 5)) +
                       (copy == 0 ? "" : "," + event("Copy", copy)));
  };
  pack("twice.log", logOf({twice(1000, 100, 10, 30, 0), twice(2000, 200, 20, 20, 0), twice(3000, 300, 50, 70, 30)}));
  ASSERT_EQ(tool({"report", "twice.log", "-o", "twice.html"}).exitCode, 0);
  const std::string page = scratch("twice.html");
  for (const std::string title :
       {"Layer\nper execution: mean 66.7 us \xC2\xB7 p99 118.4 us \xC2\xB7 33.3% of the execution time",
        "Copy\nper execution: mean 10 us \xC2\xB7 p99 29.4 us \xC2\xB7 5.0% of the execution time"}) {
    EXPECT_NE(page.find("<title>" + title + "</title>"), std::string::npos) << title;
  }
}

}  // namespace
}  // namespace vyn::testing
