// vyn-profile-log diff from an installed tree: verdicts and exit statuses, the
// sample logs worked out by hand, matching of graphs and paths by name, the
// corrections, the JSON form against its schema, and the failures a user can
// run into.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "log_json_text.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::ContainsRegex;
using ::testing::DoubleNear;
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
    if (std::string(VYN_PYTHON).empty()) {
      std::printf("diff JSON not checked against its schema: python3 not found at configure time\n");
      return Json::parse(scratch("diff.json"));
    }
    const std::string command = "'" VYN_PYTHON "' '" VYN_VALIDATE_JSON "' '" VYN_DOCS_DIR "/diff.schema.json' '" +
                                work.file("diff.json") + "' 2>'" + capture.file("schema") + "'";
    const int status = std::system(command.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {  // no jsonschema module
      std::printf("diff JSON not checked against its schema: %s\n", readFile(capture.file("schema")).c_str());
    } else {
      EXPECT_EQ(status, 0) << "not valid against docs/diff.schema.json:\n" << readFile(capture.file("schema"));
    }
    return Json::parse(scratch("diff.json"));
  }
};

TEST_F(DiffTest, OneSlowerRowExitsThreeAndIsNamed) {
  // 20 executions a side, each figure rising by 1 us from one to the next. Only
  // the execution time slower (all 20 new ones above all 20 old ones), or only
  // "Layer a" slower: one row is enough.
  const auto log = [&](const std::string& name, int time, int layerA) {
    std::vector<Execution> all;
    for (int i = 0; i < 20; ++i) all.push_back({"g", time + i, {{"Layer a", layerA + i}, {"Layer b", 50 + i}}});
    return pack(name, logJson(all));
  };
  const std::string base = log("base.log", 1000, 100);
  const std::string slowTime = log("time.log", 1500, 100);
  const std::string slowLayer = log("layer.log", 1000, 200);
  const std::string oneSlower = "\n1 slower, 0 faster, 2 no change, 0 too few executions, 0 added, 0 removed\n";
  ToolRun run = tool({"diff", base, slowTime});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_THAT(run.out, ContainsRegex("\n  execution time +us +slower +\\+49\\.5%"));
  EXPECT_THAT(run.out, HasSubstr(oneSlower));
  run = tool({"diff", base, slowLayer});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  // Right after the execution time: the smallest adjusted p.
  EXPECT_THAT(run.out, ContainsRegex("\n  execution time +us +no change .*\n  Layer a +us +slower +\\+91\\.3%"));
  EXPECT_THAT(run.out, HasSubstr(oneSlower));
  EXPECT_EQ(tool({"diff", base, base}).exitCode, 0);
  // Faster is not a failure.
  EXPECT_EQ(tool({"diff", slowLayer, base}).exitCode, 0);
}

TEST_F(DiffTest, SampleLogsHaveTooFewExecutionsToJudge) {
  // Two and one executions in the base log: every row is too few executions,
  // whatever its p, and the exit status is 0. The figures are worked out in
  // golden/diff-two-graphs.txt. --verbose adds a line per log on the standard
  // error; the logs load at once, so either line may come first.
  const ToolRun run = tool({"diff", "--verbose", stage("two-graphs"), stage("two-graphs-slower")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, goldenFile("diff-two-graphs.txt"));
  EXPECT_THAT(run.err, ContainsRegex("(^|\n)base two-graphs\\.log: loaded [0-9.]+ MB in [0-9.]+ s \\([0-9]+ MB/s\\), "
                                     "3 executions\n"));
  EXPECT_THAT(run.err, ContainsRegex("(^|\n)new two-graphs-slower\\.log: loaded .*, 16 executions\n"));
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
}

TEST_F(DiffJsonTest, JsonHasEveryFigureInItsUnitWithTheTestAndTheShift) {
  const Json diff = diffJson({sampleLog("two-graphs"), sampleLog("two-graphs-slower")}, 0);
  EXPECT_EQ(diff.at("correction"), "holm");
  auto rows = rowsOf(diff, "mobilenet");
  // Base 1500 and 1300 us, new eight times between 1580 and 1740: the exact
  // p of complete separation is 2 / C(10, 2).
  EXPECT_EQ(rows[""].at("base"), Json::parse(R"({"count": 2, "median": 1400.0, "mean": 1400.0, "p99": 1498.0})"));
  EXPECT_THAT(rows[""].at("change_percent").get<double>(), DoubleNear(255.0 / 1400 * 100, 1e-9));
  EXPECT_THAT(rows[""].at("p_value").get<double>(), DoubleNear(2.0 / 45, 1e-12));
  EXPECT_EQ(rows[""].at("p_value_method"), "exact");
  EXPECT_TRUE(rows[""].at("p_adjusted").is_null());
  EXPECT_EQ(rows[""].at("verdict"), "too few executions");
  // The 16 differences new - base: less 1500, 80 110 120 150 160 190 200 240;
  // less 1300, 280 310 320 350 360 390 400 440. The median (240 + 280) / 2 = 260;
  // with 2 and 8 values k = 1 (P(U <= 0) = 1/45 < 0.025): [80, 440], widened by
  // the microsecond the times are recorded in: [79, 441].
  EXPECT_EQ(rows[""].at("shift"), 260.0);
  EXPECT_EQ(rows[""].at("shift_low"), 79.0);
  EXPECT_EQ(rows[""].at("shift_high"), 441.0);
  EXPECT_THAT(rows[""].at("shift_high_percent").get<double>(), DoubleNear(441.0 / 1400 * 100, 1e-9));
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
  const Json& added = diff.at("graphs")[2].at("rows")[0];
  EXPECT_TRUE(added.at("base").is_null() && added.at("p_value").is_null() && added.at("shift").is_null()) << added;
  // Three rows in the correction: the execution time and "Layer a", both with
  // all ten new values below the ten old, p = 2 / C(20, 10), and "Layer b" at
  // p = 1. Holm: 3p for both; Benjamini-Hochberg: 3p / 1 and 3p / 2, the first
  // lowered to 1.5p; none: p.
  EXPECT_EQ(diff.at("correction_family"), 3);
  const double p = 2.0 / 184756;
  EXPECT_THAT(rowsOf(diff, "kept")["Layer a"].at("p_adjusted").get<double>(), DoubleNear(3 * p, 1e-15));
  for (const auto& [correction, factor] : {std::pair{"fdr", 1.5}, std::pair{"none", 1.0}}) {
    const ToolRun other = tool({"diff", "base.log", "new.log", "--format", "json", "--correction", correction});
    EXPECT_THAT(rowsOf(Json::parse(other.out), "kept")["Layer a"].at("p_adjusted").get<double>(),
                DoubleNear(factor * p, 1e-15))
        << correction;
  }

  // --graph keeps the named graphs; --skip-first leaves out warm-up executions.
  const Json only = diffJson({"base.log", "new.log", "--graph", "old", "--graph", "kept", "--skip-first", "4"}, 0);
  EXPECT_EQ(graphsOf(only), (std::vector<std::string>{"kept compared", "old removed"}));
  EXPECT_EQ(only.at("graphs")[0].at("rows")[0].at("base").at("count"), 6);
  // Leaving out every execution of a graph in one log is told apart from the
  // graph not being there; leaving out all of them in both lists the graph.
  EXPECT_EQ(graphsOf(diffJson({sampleLog("two-graphs-slower"), sampleLog("two-graphs"), "--skip-first", "1"}, 0)),
            (std::vector<std::string>{"yolo removed (--skip-first)", "mobilenet compared"}));
  EXPECT_EQ(graphsOf(diffJson({"base.log", "new.log", "--skip-first", "10", "--graph", "kept"}, 0)),
            std::vector<std::string>{"kept emptied (--skip-first)"});
  const ToolRun text = tool({"diff", "base.log", "new.log", "--skip-first", "10"});
  EXPECT_EQ(text.exitCode, 0) << text.err;
  for (const std::string graph : {"kept", "old", "fresh"}) {
    EXPECT_THAT(text.out, HasSubstr("\ngraph " + graph +
                                    ": emptied (--skip-first leaves none of its executions in either log)\n"));
  }
}

TEST_F(DiffJsonTest, SumsThatOverflowAndMarkupInNamesKeepEveryFormat) {
  // Two events of 1.5e308 in one execution sum to infinity: that row has no
  // median and no shift, yet the JSON holds to its schema and the comparison
  // ends; names with markup stay text on the page, in its slower rows too.
  const auto log = [](int offset) {
    Json messages = Json::array();
    for (int i = 0; i < 12; ++i) {
      const Json big = {
          {"name", "Big"}, {"identifier", 3001}, {"valueKind", "Float64"}, {"doubleValue", 1.5e308}, {"unit", "None"}};
      Json events = Json::array({big,
                                 big,
                                 {{"name", "<b>&\"x"},
                                  {"identifier", 3001},
                                  {"valueKind", "UInt64"},
                                  {"unsignedValue", 100 + i + offset},
                                  {"unit", "Microseconds"}}});
      const int at = 1000 + 2000 * i;
      messages.push_back({{"timestamp", at},
                          {"methodType", "Execute"},
                          {"name", "g<script>"},
                          {"timing", {{"start", at}, {"end", at + 1000 + i}}},
                          {"events", events}});
    }
    return Json::array({{{"messages", messages}}}).dump();
  };
  const Json diff = diffJson({pack("base.log", log(0)), pack("new.log", log(50))}, 3);
  auto rows = rowsOf(diff, "g<script>");
  EXPECT_TRUE(rows["Big"].at("base").at("median").is_null());
  EXPECT_TRUE(rows["Big"].at("shift").is_null());
  EXPECT_EQ(rows["<b>&\"x"].at("verdict"), "slower");
  EXPECT_EQ(tool({"diff", "base.log", "new.log", "--format", "html", "-o", "diff.html"}).exitCode, 3);
  const std::string html = scratch("diff.html");
  EXPECT_EQ(html.find("g<script>"), std::string::npos);
  EXPECT_EQ(html.find("<b>&"), std::string::npos);
}

TEST_F(DiffTest, FailuresNameTheFileAndTheProblem) {
  const std::string log = stage("two-graphs");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"diff", log, "missing.log", "-o", "diff.txt"}, "missing.log: no such file"},
      {{"diff", "missing.log", log}, "missing.log: no such file"},
      {{"diff", log, log, "--graph", "resnet"}, "--graph resnet: no executions of this graph in " + log + " or " + log},
      {{"diff", log, log, "-o", "missing/diff.txt"}, "missing/diff.txt: cannot be written: no such file or directory"},
  };
  for (const auto& [args, problem] : cases) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 1) << problem;
    EXPECT_THAT(run.err, ::testing::StartsWith("vyn-profile-log: " + problem)) << run.err;
    EXPECT_EQ(run.out, "");
  }
  // A failed comparison leaves no output file behind; a good one writes it.
  EXPECT_FALSE(fileExists(work.file("diff.txt")));
  EXPECT_EQ(tool({"diff", log, log, "-o", "diff.txt"}).exitCode, 0);
  EXPECT_EQ(scratch("diff.txt"), tool({"diff", log, log}).out);
}

}  // namespace
}  // namespace vyn::testing
