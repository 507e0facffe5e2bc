// `vyn-profile-log stats`: the figures of a small log worked out by hand, and
// the CSV and JSON forms of every sample log read back by their usual readers.
#include <nlohmann/json.hpp>

#include <sstream>

#include "tools/tool_runner.h"

namespace vyn::testing {
namespace {

using Json = nlohmann::json;

const std::string kCsvHeader =
    "graph,event_path,depth,unit,executions,occurrences,total,self_total,"
    "mean_per_occurrence,p50_per_occurrence,p99_per_occurrence,max_per_occurrence,"
    "mean_per_execution,p50_per_execution,p99_per_execution,max_per_execution,share,values\n";

// The whitespace-separated cells of the text table's row for path, after the path.
std::vector<std::string> rowAfter(const std::string& text, const std::string& path) {
  const std::string start = "\n  " + path + "  ";
  const std::size_t at = text.find(start);
  if (at == std::string::npos) return {};
  const std::size_t from = at + start.size();
  std::istringstream cells(text.substr(from, text.find('\n', from) - from));
  std::vector<std::string> row;
  for (std::string cell; cells >> cell;) row.push_back(cell);
  return row;
}

std::string execution(int start, int duration, int layerA, int units, int layerB) {
  std::string events = R"({"name": "Layer a", "identifier": 3001, "valueKind": "UInt64", "unsignedValue": )" +
                       std::to_string(layerA) + R"(, "unit": "Microseconds", "subEvents": [{"name": "Units",
      "identifier": 5004, "valueKind": "UInt64", "unsignedValue": )" + std::to_string(units) +
                       R"(, "unit": "None"}]})";
  if (layerB != 0) {
    events += R"(, {"name": "Layer b", "identifier": 3002, "valueKind": "UInt64", "unsignedValue": )" +
              std::to_string(layerB) + R"(, "unit": "Microseconds"})";
  }
  return R"({"timestamp": )" + std::to_string(start) + R"(, "methodType": "Execute", "name": "net",
      "timing": {"start": )" + std::to_string(start) + R"(, "end": )" + std::to_string(start + duration) +
         R"(}, "events": [)" + events + "]}";
}

// One graph, four executions of 100 to 400 us; "Layer b" in two of them.
const std::string kNetLog = R"([{"messages": [
    {"timestamp": 1, "methodType": "Init", "name": "ctx", "timing": {"start": 1, "end": 501}},)" +
                            execution(1000, 100, 40, 1, 0) + "," + execution(2000, 200, 60, 1, 10) + "," +
                            execution(3000, 300, 80, 3, 0) + "," + execution(4000, 400, 100, 1, 30) + "]}]";

class StatsTest : public ToolTest {};

TEST_F(StatsTest, TextFiguresMatchTheOnesWorkedOutByHand) {
  const ToolRun stats = tool({"stats", pack("net.log", kNetLog)});
  ASSERT_EQ(stats.exitCode, 0) << stats.err;
  EXPECT_EQ(stats.out, goldenFile("stats-net.txt"));
  EXPECT_EQ(stats.err, "");
}

TEST_F(StatsTest, OptionsSelectExecutionsGraphsUnitsAndRows) {
  pack("net.log", kNetLog);
  // Without the first execution: 200, 300 and 400 us, in milliseconds.
  const ToolRun skipped = tool({"stats", "net.log", "--skip-first", "1", "--unit", "ms", "--top", "1",
                                "--sort", "name", "--format", "csv"});
  ASSERT_EQ(skipped.exitCode, 0) << skipped.err;
  EXPECT_EQ(skipped.out,
            kCsvHeader +
                // 900 us, less Layer a's 240 and Layer b's 40, outside any event; the
                // execution occurs once per execution, so its figures are alike on both bases.
                "net,,,ms,3,3,0.9,0.62,0.3,0.3,0.398,0.4,0.3,0.3,0.398,0.4,1,\n"
                "net,Layer a,0,ms,3,3,0.24,0.24,0.08,0.08,0.0996,0.1,0.08,0.08,0.0996,0.1,0.26666666666666666,\n");

  const ToolRun unknown = tool({"stats", "net.log", "--graph", "resnet"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, "vyn-profile-log: net.log: no graph named 'resnet' (graphs executed: net)\n");
  EXPECT_EQ(tool({"stats", "net.log", "--sort", "fastest"}).exitCode, 2);
  EXPECT_EQ(tool({"stats", "missing.log"}).exitCode, 1);
}

// A log with nothing to show says why on standard error, as the viewer does.
TEST_F(StatsTest, AnEmptyLogOrAVisibilityThatHidesEverythingIsSaid) {
  writeFile(work.file("empty.log"), "");
  const ToolRun empty = tool({"stats", "empty.log"});
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_EQ(empty.err, "vyn-profile-log: empty.log: warning: the log holds no records; the report is empty\n");
  pack("net.log", kNetLog);
  const ToolRun hidden = tool({"diff", "net.log", "net.log", "--visibility", "0"});
  EXPECT_EQ(hidden.exitCode, 0);
  const std::string warning =
      "vyn-profile-log: net.log: warning: no message passed visibility level 0: all 5 were skipped; the lowest "
      "visibility level that takes any of them is 1 (--visibility 1)\n";
  EXPECT_EQ(hidden.err, warning + warning);  // once for each side
}

// What pandas and JSON Schema validators would make of every sample log, and of
// a log whose two values near the largest double add up past it.
TEST_F(StatsTest, CsvParsesAndJsonFollowsItsSchemaForEverySampleLog) {
  const std::string huge = R"({"name": "Huge", "identifier": 3001, "valueKind": "Float64", "doubleValue": 1e308,
                               "unit": "Microseconds"})";
  pack("huge.log", R"([{"messages": [{"timestamp": 1000, "methodType": "Execute", "name": "g",
      "timing": {"start": 1000, "end": 1100}, "events": [)" + huge + "," + huge + "]}]}]");
  for (const std::string sample : {"two-graphs", "two-graphs-slower", "round-trip", "updater", "huge"}) {
    SCOPED_TRACE(sample);
    const std::string log = sample == "huge" ? "huge.log" : stage(sample);
    ASSERT_EQ(tool({"stats", log, "--format", "csv", "-o", "stats.csv"}).exitCode, 0);
    ASSERT_EQ(tool({"stats", log, "--format", "json", "-o", "stats.json"}).exitCode, 0);
    const std::string check = "cd '" + work.path() + "' && python3 - <<'EOF'\n"
        "import csv, json, sys\n"
        "rows = list(csv.reader(open('stats.csv', newline='')))\n"
        "assert ','.join(rows[0]) == '" + kCsvHeader.substr(0, kCsvHeader.size() - 1) + "', rows[0]\n"
        "for row in rows[1:]:\n"
        "    assert len(row) == 18, row\n"
        "    for cell in row[2:3] + row[4:17]:\n"
        "        if cell: float(cell)\n"
        "try:\n"
        "    import jsonschema\n"
        "except ImportError:\n"
        "    print('jsonschema missing: schema not checked'); sys.exit(0)\n"
        "schema = json.load(open('" + std::string(VYN_DOCS_DIR) + "/stats.schema.json'))\n"
        "jsonschema.Draft202012Validator.check_schema(schema)\n"
        "jsonschema.validate(json.load(open('stats.json')), schema, cls=jsonschema.Draft202012Validator)\n"
        "EOF";
    EXPECT_EQ(std::system(check.c_str()), 0);
  }
}

// An execution of graph g with "Layer" twice, each with a 5 us "Inner" below it,
// and "Copy" when copy is not 0.
std::string twice(int start, int duration, int first, int second, int copy) {
  auto layer = [](int value) {
    return R"({"name": "Layer", "identifier": 3001, "valueKind": "UInt64", "unsignedValue": )" +
           std::to_string(value) + R"(, "unit": "Microseconds", "subEvents": [{"name": "Inner", "identifier": 3101,
        "valueKind": "UInt64", "unsignedValue": 5, "unit": "Microseconds"}]})";
  };
  std::string events = layer(first) + ", " + layer(second);
  if (copy != 0) {
    events += R"(, {"name": "Copy", "identifier": 3002, "valueKind": "UInt64", "unsignedValue": )" +
              std::to_string(copy) + R"(, "unit": "Microseconds"})";
  }
  return R"({"timestamp": )" + std::to_string(start) + R"(, "methodType": "Execute", "name": "g",
      "timing": {"start": )" + std::to_string(start) + R"(, "end": )" + std::to_string(start + duration) +
         R"(}, "events": [)" + events + "]}";
}

// Executions of 100, 200 and 300 us (600 in all; p99 at rank 1.98: 298):
//   Layer  occurrences 10, 30 | 20, 20 | 50, 70; per execution 40, 40, 120; total 200
//          per occurrence: mean 200 / 6 = 33.3, p50 at rank 2.5 = 25, p99 at rank 4.95 = 50 + .95 x 20 = 69
//          per execution: mean 66.7, p50 40, p99 at rank 1.98 = 40 + .98 x 80 = 118.4
//   Inner  5 under each Layer; per execution 10, 10, 10; total 30
//   Copy   30 in the third execution only; per execution 0, 0, 30: mean 10, p50 0, p99 29.4
// Self: Layer 200 - 30 (Inner) = 170, Inner and Copy 30 each; outside every event
// 600 - 200 - 30 = 370. Shares of 600: 33.3%, 5.0%, 5.0%.
TEST_F(StatsTest, EveryEventFigureStatesItsBaseInTextJsonAndTheReport) {
  pack("twice.log", R"([{"messages": [)" + twice(1000, 100, 10, 30, 0) + "," + twice(2000, 200, 20, 20, 0) + "," +
                        twice(3000, 300, 50, 70, 30) + "]}]");
  const ToolRun text = tool({"stats", "twice.log"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  using Row = std::vector<std::string>;
  EXPECT_EQ(rowAfter(text.out, "event"),
            (Row{"executions", "count", "unit", "total", "self", "mean/occ", "p50/occ", "p99/occ", "max/occ",
                 "mean/exec", "p50/exec", "p99/exec", "share", "values"}));
  EXPECT_EQ(rowAfter(text.out, "Layer"),
            (Row{"3", "6", "us", "200", "170", "33.3", "25", "69", "70", "66.7", "40", "118.4", "33.3%"}));
  EXPECT_EQ(rowAfter(text.out, "Layer / Inner"),
            (Row{"3", "6", "us", "30", "30", "5", "5", "5", "5", "10", "10", "10", "5.0%"}));
  EXPECT_EQ(rowAfter(text.out, "Copy"),
            (Row{"1", "1", "us", "30", "30", "30", "30", "30", "30", "10", "0", "29.4", "5.0%"}));

  const ToolRun json = tool({"stats", "twice.log", "--format", "json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const Json graph = Json::parse(json.out).at("graphs").at(0);
  EXPECT_DOUBLE_EQ(graph.at("self_total").get<double>(), 370);
  const Json layer = graph.at("events").at(0);
  ASSERT_EQ(layer.at("path"), "Layer");
  EXPECT_EQ(layer.at("per_occurrence").at("count"), 6);
  EXPECT_NEAR(layer.at("per_occurrence").at("mean").get<double>(), 200.0 / 6, 1e-9);
  EXPECT_NEAR(layer.at("per_occurrence").at("p99").get<double>(), 69, 1e-9);
  EXPECT_EQ(layer.at("per_execution").at("count"), 3);
  EXPECT_NEAR(layer.at("per_execution").at("mean").get<double>(), 200.0 / 3, 1e-9);
  EXPECT_NEAR(layer.at("per_execution").at("p99").get<double>(), 118.4, 1e-9);
  EXPECT_DOUBLE_EQ(layer.at("per_execution").at("max").get<double>(), 120);
  EXPECT_DOUBLE_EQ(layer.at("self_total").get<double>(), 170);
  const Json copy = graph.at("events").at(2);
  ASSERT_EQ(copy.at("path"), "Copy");
  EXPECT_DOUBLE_EQ(copy.at("per_execution").at("min").get<double>(), 0);
  EXPECT_NEAR(copy.at("per_execution").at("p99").get<double>(), 29.4, 1e-9);

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
  // The table of timed events names each column's base.
  EXPECT_NE(page.find(">p99/occ (us)</th>"), std::string::npos);
  EXPECT_NE(page.find(">p99/exec (us)</th>"), std::string::npos);
}

// Graphs, in the log's order c, a, b:
//   c: 300 300                 total 600, mean 300, p50 300, p99 300, 2 executions
//   a: 500                     total 500, mean 500, p50 500, p99 500, 1 execution
//   b: 100 100 100 100 250     total 650, mean 130, p50 100, p99 at rank 3.96 = 244, 5 executions
TEST_F(StatsTest, GraphsComeRankedByTheSortedFigureOfTheirExecutionTime) {
  std::string messages;
  int start = 1000;
  for (const auto& [graph, duration] : std::vector<std::pair<std::string, int>>{
           {"c", 300}, {"a", 500}, {"b", 100}, {"c", 300}, {"b", 100}, {"b", 100}, {"b", 100}, {"b", 250}}) {
    if (!messages.empty()) messages += ",";
    messages += R"({"timestamp": )" + std::to_string(start) + R"(, "methodType": "Execute", "name": ")" + graph +
                R"(", "timing": {"start": )" + std::to_string(start) + R"(, "end": )" +
                std::to_string(start + duration) + "}}";
    start += 1000;
  }
  pack("graphs.log", R"([{"messages": [)" + messages + "]}]");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{}, "bca"},  // total, the default
      {{"--sort", "total"}, "bca"},
      {{"--sort", "mean"}, "acb"},
      {{"--sort", "p50"}, "acb"},
      {{"--sort", "p99"}, "acb"},
      {{"--sort", "count"}, "bca"},
      {{"--sort", "name"}, "abc"},
  };
  for (const auto& [sort, order] : cases) {
    SCOPED_TRACE(order);
    std::vector<std::string> args{"stats", "graphs.log", "--format", "json"};
    args.insert(args.end(), sort.begin(), sort.end());
    const ToolRun run = tool(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json document = Json::parse(run.out);
    std::string names;
    for (const Json& graph : document.at("graphs")) names += graph.at("name").get<std::string>();
    EXPECT_EQ(names, order);
  }
  // The text and CSV forms rank them alike.
  const std::string text = tool({"stats", "graphs.log"}).out;
  EXPECT_LT(text.find("Graph b:"), text.find("Graph c:"));
  EXPECT_LT(text.find("Graph c:"), text.find("Graph a:"));
  const std::string csv = tool({"stats", "graphs.log", "--format", "csv", "--sort", "mean"}).out;
  EXPECT_LT(csv.find("\na,"), csv.find("\nc,"));
  EXPECT_LT(csv.find("\nc,"), csv.find("\nb,"));
}

// The reports show a text value up to its first NUL, so values that differ only
// after it read the same and are one value: "warm\0x", "warm\0y" and "warm" are
// "warm" three times.
TEST_F(StatsTest, TextValuesThatDifferOnlyAfterANulAreOneValue) {
  std::string messages;
  int start = 1000;
  for (const std::string value : {"warm\\u0000x", "warm\\u0000y", "cold", "warm"}) {
    if (!messages.empty()) messages += ",";
    messages += R"({"timestamp": )" + std::to_string(start) + R"(, "methodType": "Execute", "name": "g",
        "timing": {"start": )" + std::to_string(start) + R"(, "end": )" + std::to_string(start + 100) +
                R"(}, "events": [{"name": "Mode", "identifier": 3001, "valueKind": "String", "stringValue": ")" +
                value + R"("}]})";
    start += 1000;
  }
  pack("texts.log", R"([{"messages": [)" + messages + "]}]");
  const ToolRun json = tool({"stats", "texts.log", "--format", "json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(Json::parse(json.out).at("graphs").at(0).at("events").at(0).at("kinds"),
            Json::parse(R"([{"value": "warm", "count": 3}, {"value": "cold", "count": 1}])"));
  EXPECT_EQ(rowAfter(tool({"stats", "texts.log"}).out, "Mode"),
            (std::vector<std::string>{"4", "4", "warm", "x3;", "cold"}));
}

}  // namespace
}  // namespace vyn::testing