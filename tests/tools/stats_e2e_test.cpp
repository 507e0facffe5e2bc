// `vyn-profile-log stats`: the figures of small logs worked out by hand, the
// graphs' ranking, and the CSV and JSON forms of every sample log read back by
// their usual readers.
#include <nlohmann/json.hpp>

#include "tools/log_json_text.h"
#include "tools/tool_runner.h"

namespace vyn::testing {
namespace {

using Json = nlohmann::json;

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
  EXPECT_EQ(tool({"stats", "net.log", "--sort", "fastest"}).exitCode, 2);

  // A log with nothing to show says why on standard error, as the viewer does;
  // diff once for each side.
  writeFile(work.file("empty.log"), "");
  const ToolRun empty = tool({"stats", "empty.log"});
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.err, "vyn-profile-log: empty.log: warning: the log holds no records; the report is empty\n");
  const ToolRun hidden = tool({"diff", "net.log", "net.log", "--visibility", "0"});
  EXPECT_EQ(hidden.exitCode, 0);
  const std::string warning =
      "vyn-profile-log: net.log: warning: no message passed visibility level 0: all 5 were skipped; the lowest "
      "visibility level that takes any of them is 1 (--visibility 1)\n";
  EXPECT_EQ(hidden.err, warning + warning);
}

// What Python's csv module and a JSON Schema validator make of every sample
// log, and of a log whose two values near the largest double add up past it.
TEST_F(StatsTest, CsvParsesAndJsonFollowsItsSchemaForEverySampleLog) {
  if (std::string(VYN_PYTHON).empty()) GTEST_SKIP() << "python3 not found at configure time";
  const std::string huge = R"({"name": "Huge", "identifier": 3001, "valueKind": "Float64", "doubleValue": 1e308,
                               "unit": "Microseconds"})";
  pack("huge.log", logOf({execute("g", 1000, 100, huge + "," + huge)}));
  const std::string python = "cd '" + work.path() + "' && '" VYN_PYTHON "' ";
  const std::string readCsv = python +
                              "-c \"import csv\n"
                              "rows = list(csv.reader(open('stats.csv', newline='')))\n"
                              "assert rows[0] == '" +
                              kCsvHeader.substr(0, kCsvHeader.size() - 1) +
                              "'.split(','), rows[0]\n"
                              "for row in rows[1:]:\n"
                              "    assert len(row) == 18, row\n"
                              "    [float(cell) for cell in row[2:3] + row[4:17] if cell]\"";
  for (const std::string sample : {"two-graphs", "two-graphs-slower", "round-trip", "updater", "huge"}) {
    SCOPED_TRACE(sample);
    const std::string log = sample == "huge" ? "huge.log" : stage(sample);
    ASSERT_EQ(tool({"stats", log, "--format", "csv", "-o", "stats.csv"}).exitCode, 0);
    ASSERT_EQ(tool({"stats", log, "--format", "json", "-o", "stats.json"}).exitCode, 0);
    EXPECT_EQ(std::system(readCsv.c_str()), 0);
    expectFitsSchema("stats.schema.json", "stats.json");
  }
}

// Executions of 100, 200 and 300 us (600 in all; p99 at rank 1.98: 298) of g,
// each with "Layer" twice, a 5 us "Inner" under each, and "Copy" in the third:
//   Layer  occurrences 10, 30 | 20, 20 | 50, 70; per execution 40, 40, 120; total 200
//          per occurrence: mean 200 / 6 = 33.3, p50 at rank 2.5 = 25, p99 at rank 4.95 = 50 + .95 x 20 = 69
//          per execution: mean 66.7, p50 40, p99 at rank 1.98 = 40 + .98 x 80 = 118.4
//   Inner  5 under each Layer; per execution 10, 10, 10; total 30
//   Copy   30 in the third execution only; per execution 0, 0, 30: mean 10, p50 0, p99 29.4
// Self: Layer 200 - 30 (Inner) = 170, Inner and Copy 30 each; outside every event
// 600 - 200 - 30 = 370. Shares of 600: 33.3%, 5.0%, 5.0%.
TEST_F(StatsTest, EveryEventFigureStatesItsBaseInJsonAndTheReport) {
  auto twice = [](int start, int duration, int first, int second, int copy) {
    return execute("g", start, duration,
                   event("Layer", first, event("Inner", 5)) + "," + event("Layer", second, event("Inner", 5)) +
                       (copy == 0 ? "" : "," + event("Copy", copy)));
  };
  pack("twice.log", logOf({twice(1000, 100, 10, 30, 0), twice(2000, 200, 20, 20, 0), twice(3000, 300, 50, 70, 30)}));
  const ToolRun json = tool({"stats", "twice.log", "--format", "json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const Json stats = Json::parse(json.out);
  EXPECT_EQ(stats.at(Json::json_pointer("/graphs/0/events/0/path")), "Layer");
  EXPECT_EQ(stats.at(Json::json_pointer("/graphs/0/events/2/path")), "Copy");
  for (const auto& [pointer, want] : std::vector<std::pair<std::string, double>>{{"self_total", 370},
                                                                                 {"events/0/per_occurrence/count", 6},
                                                                                 {"events/0/per_occurrence/p99", 69},
                                                                                 {"events/0/per_execution/p99", 118.4},
                                                                                 {"events/0/self_total", 170},
                                                                                 {"events/2/per_execution/min", 0}}) {
    EXPECT_NEAR(stats.at(Json::json_pointer("/graphs/0/" + pointer)).get<double>(), want, 1e-9) << pointer;
  }

  // The report's hover: every figure per execution, and the base said.
  ASSERT_EQ(tool({"report", "twice.log", "-o", "twice.html"}).exitCode, 0);
  const std::string page = scratch("twice.html");
  for (const std::string title :
       {"execution\nper execution: mean 200 us \xC2\xB7 p99 298 us \xC2\xB7 100.0% of the execution time",
        "Layer\nper execution: mean 66.7 us \xC2\xB7 p99 118.4 us \xC2\xB7 33.3% of the execution time",
        "Layer / Inner\nper execution: mean 10 us \xC2\xB7 p99 10 us \xC2\xB7 5.0% of the execution time",
        "Copy\nper execution: mean 10 us \xC2\xB7 p99 29.4 us \xC2\xB7 5.0% of the execution time"}) {
    EXPECT_NE(page.find("<title>" + title + "</title>"), std::string::npos) << title;
  }
}

// Graphs, in the log's order c, a, b:
//   c: 300 300                 total 600, mean 300, p50 300, p99 300, 2 executions
//   a: 500                     total 500, mean 500, p50 500, p99 500, 1 execution
//   b: 100 100 100 100 250     total 650, mean 130, p50 100, p99 at rank 3.96 = 244, 5 executions
TEST_F(StatsTest, GraphsComeRankedByTheSortedFigureOfTheirExecutionTime) {
  std::vector<std::string> messages;
  int start = 1000;
  for (const auto& [graph, duration] : std::vector<std::pair<std::string, int>>{
           {"c", 300}, {"a", 500}, {"b", 100}, {"c", 300}, {"b", 100}, {"b", 100}, {"b", 100}, {"b", 250}}) {
    messages.push_back(execute(graph, start, duration));
    start += 1000;
  }
  pack("graphs.log", logOf(messages));
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "bca"},  // total, the default
      {{"--sort", "total"}, "bca"},
      {{"--sort", "mean"}, "acb"},
      {{"--sort", "p50"}, "acb"},
      {{"--sort", "p99"}, "acb"},
      {{"--sort", "count"}, "bca"},
      {{"--sort", "name"}, "abc"},
  };
  for (const auto& [sort, order] : cases) {
    std::vector<std::string> args{"stats", "graphs.log", "--format", "json"};
    args.insert(args.end(), sort.begin(), sort.end());
    const ToolRun run = tool(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json stats = Json::parse(run.out);
    std::string names;
    for (const Json& graph : stats.at("graphs")) names += graph.at("name").get<std::string>();
    EXPECT_EQ(names, order) << args.back();
  }
}

}  // namespace
}  // namespace vyn::testing
