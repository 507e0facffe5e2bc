// vyn-profile-log diff from an installed tree: verdicts and exit statuses, the
// sample logs against a golden file, matching of graphs and paths by name, the
// options, the JSON form against its schema, and the failures a user can run
// into. The statistics themselves are tested in tests/stats.
#include <gmock/gmock.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>

#include "log_json_text.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using Json = nlohmann::json;
using DiffTest = ToolTest;

// One execution of a graph: its time and its top-level events in microseconds,
// or in the unit given after a colon ("Compute:Cycles").
struct Execution {
  std::string graph;
  int time;
  std::vector<std::pair<std::string, int>> events;
};

std::string logJson(const std::vector<Execution>& executions) {
  std::vector<std::string> messages;
  int at = 1000;
  for (const Execution& execution : executions) {
    std::string events;
    for (const auto& [name, value] : execution.events) {
      const auto colon = name.find(':');
      const std::string unit = colon == std::string::npos ? "Microseconds" : name.substr(colon + 1);
      events += (events.empty() ? "" : ",") + event(name.substr(0, colon), value, "", unit);
    }
    messages.push_back(execute(execution.graph, at, execution.time, events));
    at += execution.time + 10;
  }
  return logOf(messages);
}

// The rows of a graph of the JSON form, by path ("" for the execution time).
std::map<std::string, Json> rowsOf(const Json& diff, const std::string& graph) {
  std::map<std::string, Json> rows;
  for (const Json& entry : diff.at("graphs")) {
    if (entry.at("name") != graph) continue;
    for (const Json& row : entry.at("rows")) rows[row.at("path").is_null() ? "" : row.at("path")] = row;
  }
  return rows;
}

// Each graph of the JSON form: its name, its status, and whether --skip-first emptied it.
std::vector<std::string> graphsOf(const Json& diff) {
  std::vector<std::string> graphs;
  for (const Json& graph : diff.at("graphs")) {
    graphs.push_back(graph.at("name").get<std::string>() + " " + graph.at("status").get<std::string>() +
                     (graph.at("emptied_by_skip_first") == true ? " (--skip-first)" : ""));
  }
  return graphs;
}

class DiffJsonTest : public DiffTest {
 protected:
  // Runs diff with --format json into a file; checks it against the schema.
  Json diffJson(std::vector<std::string> args, int exitCode) {
    args.insert(args.begin(), "diff");
    for (const char* more : {"--format", "json", "-o", "diff.json"}) args.push_back(more);
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, exitCode) << run.err;
    EXPECT_EQ(run.out, "");
    expectFitsSchema("diff.schema.json", "diff.json");
    return Json::parse(scratch("diff.json"));
  }
};

// 20 executions a side, each figure rising by 1 us from one to the next; in the
// slower log all 20 values of "Layer a" lie above the base's: one row is enough.
TEST_F(DiffTest, OneSlowerRowExitsThreeAndIsNamedFasterIsNoFailure) {
  const auto log = [&](const std::string& name, int layerA) {
    std::vector<Execution> all;
    for (int i = 0; i < 20; ++i) all.push_back({"g", 1000 + i, {{"Layer a", layerA + i}, {"Layer b", 50 + i}}});
    return pack(name, logJson(all));
  };
  const std::string base = log("base.log", 100), slower = log("layer.log", 200);
  const ToolRun run = tool({"diff", base, slower});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_THAT(run.out, ContainsRegex("\n  Layer a +us +slower +\\+91\\.3%"));
  EXPECT_THAT(run.out, HasSubstr("\n1 slower, 0 faster, 2 no change, 0 too few executions, 0 added, 0 removed\n"));
  EXPECT_EQ(tool({"diff", base, base}).exitCode, 0);
  EXPECT_EQ(tool({"diff", slower, base}).exitCode, 0);
}

// Two and one executions in the base log: every row is too few executions,
// whatever its p, and the exit status is 0. --verbose adds a line per log on
// the standard error; the logs load at once, so either line may come first.
TEST_F(DiffTest, SampleLogsHaveTooFewExecutionsToJudge) {
  const ToolRun run = tool({"diff", "--verbose", stage("two-graphs"), stage("two-graphs-slower")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, goldenFile("diff-two-graphs.txt"));
  EXPECT_THAT(run.err, ContainsRegex("(^|\n)base two-graphs\\.log: loaded [0-9.]+ MB in .*, 3 executions\n"));
  EXPECT_THAT(run.err, ContainsRegex("(^|\n)new two-graphs-slower\\.log: loaded .*, 16 executions\n"));
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
}

// The figures of golden/diff-two-graphs.txt in their own units: mobilenet's
// base of 1500 and 1300 us, its shift of 260 us (the statistics: tests/stats).
TEST_F(DiffJsonTest, JsonHasEveryFigureInItsUnit) {
  const Json diff = diffJson({sampleLog("two-graphs"), sampleLog("two-graphs-slower")}, 0);
  auto rows = rowsOf(diff, "mobilenet");
  EXPECT_EQ(rows[""].at("base"), Json::parse(R"({"count": 2, "median": 1400.0, "mean": 1400.0, "p99": 1498.0})"));
  EXPECT_EQ(rows[""].at("verdict"), "too few executions");
  EXPECT_EQ(rows[""].at("shift"), 260.0);
  EXPECT_EQ(rows["Layer conv1 / Compute"].at("unit"), "cycles");
  // One base execution of yolo: no pair of differences bounds the shift.
  EXPECT_TRUE(rowsOf(diff, "yolo")[""].at("shift_low").is_null());

  // In milliseconds: times scaled, cycles not.
  rows = rowsOf(Json::parse(tool({"diff", sampleLog("two-graphs"), sampleLog("two-graphs-slower"), "--unit", "ms",
                                  "--format", "json"})
                                .out),
                "mobilenet");
  EXPECT_EQ(rows[""].at("unit"), "ms");
  EXPECT_EQ(rows[""].at("base").at("median"), 1.4);
  EXPECT_EQ(rows[""].at("shift"), 0.26);
  EXPECT_EQ(rows["Layer conv1 / Compute"].at("base").at("median"), 51000.0);
}

TEST_F(DiffJsonTest, GraphsAndPathsAreMatchedByNameAndUnit) {
  std::vector<Execution> base, next;
  for (int i = 0; i < 10; ++i) {
    base.push_back({"kept", 1000 + i, {{"Layer a", 100 + i}, {"Layer b:Cycles", 50}, {"Gone", 5}}});
    base.push_back({"old", 500, {}});
    // The same path texts in another order and another unit: still matched by text.
    next.push_back({"kept", 800 + i, {{"Layer b:Cycles", 50}, {"Layer a", 80 + i}, {"Gone:Bytes", 5}, {"New", 7}}});
    next.push_back({"fresh", 300, {{"Layer a", 1}}});
  }
  const Json diff = diffJson({pack("base.log", logJson(base)), pack("new.log", logJson(next))}, 0);
  // By total time: kept 10,045 us, old 5,000, fresh 3,000.
  EXPECT_EQ(graphsOf(diff), (std::vector<std::string>{"kept compared", "old removed", "fresh added"}));
  std::vector<std::pair<Json, std::string>> order;
  for (const Json& row : diff.at("graphs")[0].at("rows")) order.push_back({row.at("path"), row.at("verdict")});
  const std::vector<std::pair<Json, std::string>> expected = {{nullptr, "faster"},      {"Layer a", "faster"},
                                                              {"Layer b", "no change"}, {"Gone", "added"},
                                                              {"Gone", "removed"},      {"New", "added"}};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(diff.at("summary"), Json::parse(R"({"slower": 0, "faster": 2, "no_change": 1, "too_few_executions": 0,
                                                "added": 4, "removed": 2})"));
  // Three rows in the correction, two of them at the same p: Holm gives 3p,
  // Benjamini-Hochberg (--correction fdr) 1.5p (the adjustments: tests/stats).
  const double holm = rowsOf(diff, "kept")["Layer a"].at("p_adjusted").get<double>();
  const ToolRun fdr = tool({"diff", "base.log", "new.log", "--format", "json", "--correction", "fdr"});
  EXPECT_DOUBLE_EQ(rowsOf(Json::parse(fdr.out), "kept")["Layer a"].at("p_adjusted").get<double>(), holm / 2);

  // --graph keeps the named graphs; --skip-first leaves out warm-up executions,
  // and a graph it empties is told apart from one that is not there.
  const Json only = diffJson({"base.log", "new.log", "--graph", "old", "--graph", "kept", "--skip-first", "4"}, 0);
  EXPECT_EQ(graphsOf(only), (std::vector<std::string>{"kept compared", "old removed"}));
  EXPECT_EQ(only.at("graphs")[0].at("rows")[0].at("base").at("count"), 6);
  EXPECT_EQ(graphsOf(diffJson({"base.log", "new.log", "--skip-first", "10", "--graph", "kept"}, 0)),
            std::vector<std::string>{"kept emptied (--skip-first)"});
}

TEST_F(DiffTest, FailuresNameTheFileAndTheProblem) {
  const std::string log = stage("two-graphs");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"diff", log, "missing.log", "-o", "diff.txt"}, "missing.log: no such file"},
      {{"diff", log, log, "--graph", "resnet"}, "--graph resnet: no executions of this graph in " + log + " or " + log},
  };
  for (const auto& [args, problem] : cases) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 1) << problem;
    EXPECT_THAT(run.err, ::testing::StartsWith("vyn-profile-log: " + problem)) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(fileExists(work.file("diff.txt")));  // a failed comparison leaves no output behind
}

}  // namespace
}  // namespace vyn::testing
