// vyn-profile-log diff from an installed tree: verdicts and exit statuses, the
// sample logs worked out by hand, matching of graphs and paths by name, the
// corrections, the JSON form against its schema, and the failures a user can
// run into.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>

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
  Json messages = Json::array();
  int at = 1000;
  for (const Execution& execution : executions) {
    Json events = Json::array();
    for (const auto& [name, value] : execution.events) {
      const auto colon = name.find(':');
      events.push_back({{"name", name.substr(0, colon)}, {"identifier", 3001}, {"valueKind", "UInt64"},
                        {"unsignedValue", value},
                        {"unit", colon == std::string::npos ? "Microseconds" : name.substr(colon + 1)}});
    }
    messages.push_back({{"timestamp", at}, {"methodType", "Execute"}, {"name", execution.graph},
                        {"timing", {{"start", at}, {"end", at + execution.time}}}, {"events", events}});
    at += execution.time + 10;
  }
  return Json::array({{{"messages", messages}}}).dump();
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

// count executions of graph g, the i-th taking time(i) us, with the events of
// events(i).
std::vector<Execution> executions(int count, const std::function<int(int)>& time,
                                  const std::function<std::vector<std::pair<std::string, int>>(int)>& events) {
  std::vector<Execution> all;
  for (int i = 0; i < count; ++i) all.push_back({"g", time(i), events(i)});
  return all;
}

TEST_F(DiffTest, OneSlowerRowExitsThreeAndIsNamed) {
  // 20 executions a side. Only the execution time slower (all 20 new ones
  // above all 20 old ones), or only "Layer a" slower: one row is enough.
  const auto same = [](int i) { return std::vector<std::pair<std::string, int>>{{"Layer a", 100 + i}, {"Layer b", 50 + i}}; };
  const auto slowerA = [](int i) { return std::vector<std::pair<std::string, int>>{{"Layer a", 200 + i}, {"Layer b", 50 + i}}; };
  const std::string base = pack("base.log", logJson(executions(20, [](int i) { return 1000 + i; }, same)));
  const std::string slowTime = pack("time.log", logJson(executions(20, [](int i) { return 1500 + i; }, same)));
  const std::string slowLayer = pack("layer.log", logJson(executions(20, [](int i) { return 1000 + i; }, slowerA)));
  ToolRun run = tool({"diff", base, slowTime});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_THAT(run.out, ContainsRegex("\n  execution time +us +slower +\\+49\\.5%"));
  EXPECT_THAT(run.out, HasSubstr("\n1 slower, 0 faster, 2 no change, 0 too few executions, 0 added, 0 removed\n"));
  run = tool({"diff", base, slowLayer});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  // Right after the execution time: the smallest adjusted p.
  EXPECT_THAT(run.out, ContainsRegex("\n  execution time +us +no change .*\n  Layer a +us +slower +\\+91\\.3%"));
  EXPECT_THAT(run.out, HasSubstr("\n1 slower, 0 faster, 2 no change, 0 too few executions, 0 added, 0 removed\n"));
  EXPECT_EQ(tool({"diff", base, base}).exitCode, 0);
  // Faster is not a failure.
  EXPECT_EQ(tool({"diff", slowLayer, base}).exitCode, 0);
}

TEST_F(DiffTest, SampleLogsHaveTooFewExecutionsToJudge) {
  // Two and one executions in the base log: every row is too few executions,
  // whatever its p, and the exit status is 0. The figures are worked out in
  // golden/diff-two-graphs.txt.
  const std::string base = stage("two-graphs");
  const std::string slower = stage("two-graphs-slower");
  const ToolRun run = tool({"diff", base, slower});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, goldenFile("diff-two-graphs.txt"));
}

TEST_F(DiffTest, VerboseNamesEachLog) {
  const std::string base = stage("two-graphs");
  const std::string slower = stage("two-graphs-slower");
  const ToolRun run = tool({"diff", "--verbose", base, slower});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  // The logs load at once: either line may come first.
  EXPECT_THAT(run.err, ContainsRegex("(^|\n)base two-graphs\\.log: loaded [0-9.]+ MB in [0-9.]+ s \\([0-9]+ MB/s\\), "
                                     "3 executions\n"));
  EXPECT_THAT(run.err, ContainsRegex("(^|\n)new two-graphs-slower\\.log: loaded [0-9.]+ MB in [0-9.]+ s "
                                     "\\([0-9]+ MB/s\\), 16 executions\n"));
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
  EXPECT_EQ(run.out, tool({"diff", base, slower}).out);
}

TEST_F(DiffJsonTest, ALogAgainstItselfHasNoChangeAnywhere) {
  for (const std::string sample : {"two-graphs", "two-graphs-slower"}) {
    const Json diff = diffJson({sampleLog(sample), sampleLog(sample)}, 0);
    EXPECT_EQ(diff.at("summary"), Json::parse(R"({"slower": 0, "faster": 0, "no_change": 0, "too_few_executions": 7,
                                                  "added": 0, "removed": 0})")) << sample;
    for (const Json& graph : diff.at("graphs")) {
      for (const Json& row : graph.at("rows")) {
        EXPECT_EQ(row.at("change_percent"), 0.0) << row;
        EXPECT_EQ(row.at("p_value"), 1.0) << row;
        EXPECT_EQ(row.at("shift"), 0.0) << row;
      }
    }
  }
  // With ten executions a side every row is in the correction, at p 1.
  const auto events = [](int i) { return std::vector<std::pair<std::string, int>>{{"Layer a", 100 + i}}; };
  const std::string log = pack("ten.log", logJson(executions(10, [](int i) { return 1000 + 7 * i; }, events)));
  const Json diff = diffJson({log, log}, 0);
  EXPECT_EQ(diff.at("correction_family"), 2);
  for (const Json& row : diff.at("graphs")[0].at("rows")) {
    EXPECT_EQ(row.at("verdict"), "no change") << row;
    EXPECT_EQ(row.at("p_adjusted"), 1.0) << row;
  }
}

TEST_F(DiffJsonTest, JsonHasEveryFigureWithItsUnitTheTestAndTheShift) {
  const Json diff = diffJson({sampleLog("two-graphs"), sampleLog("two-graphs-slower")}, 0);
  EXPECT_EQ(diff.at("test"), "mann-whitney-u");
  EXPECT_EQ(diff.at("correction"), "holm");
  EXPECT_EQ(diff.at("correction_family"), 0);
  EXPECT_EQ(diff.at("fewest_executions"), 10);
  EXPECT_EQ(diff.at("confidence_level"), 0.95);
  EXPECT_EQ(diff.at("time_unit"), "us");
  auto rows = rowsOf(diff, "mobilenet");
  // Base 1500 and 1300 us, new eight times between 1580 and 1740: the exact
  // p of complete separation is 2 / C(10, 2).
  EXPECT_EQ(rows[""].at("base"), Json::parse(R"({"count": 2, "median": 1400.0, "mean": 1400.0, "p99": 1498.0})"));
  EXPECT_EQ(rows[""].at("new").at("median"), 1655.0);
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
  EXPECT_THAT(rows[""].at("shift_percent").get<double>(), DoubleNear(260.0 / 1400 * 100, 1e-9));
  EXPECT_THAT(rows[""].at("shift_high_percent").get<double>(), DoubleNear(441.0 / 1400 * 100, 1e-9));
  EXPECT_EQ(rows[""].at("interval_method"), "exact");
  EXPECT_EQ(rows["Layer conv1 / Compute"].at("unit"), "cycles");
  // One base execution of yolo: no pair of differences bounds the shift.
  for (const auto& [path, row] : rowsOf(diff, "yolo")) {
    EXPECT_EQ(row.at("verdict"), "too few executions") << path;
    EXPECT_TRUE(row.at("shift_low").is_null()) << path;
    EXPECT_TRUE(row.at("shift_high_percent").is_null()) << path;
  }

  // In milliseconds: times scaled, cycles not.
  rows = rowsOf(diffJson({sampleLog("two-graphs"), sampleLog("two-graphs-slower"), "--unit", "ms"}, 0), "mobilenet");
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
  ASSERT_EQ(diff.at("graphs").size(), 3u);
  EXPECT_EQ(diff.at("graphs")[0].at("status"), "compared");
  EXPECT_EQ(diff.at("graphs")[1].at("name"), "old");
  EXPECT_EQ(diff.at("graphs")[1].at("status"), "removed");
  EXPECT_EQ(diff.at("graphs")[2].at("name"), "fresh");
  EXPECT_EQ(diff.at("graphs")[2].at("status"), "added");
  std::vector<std::pair<Json, std::string>> order;
  for (const Json& row : diff.at("graphs")[0].at("rows")) order.push_back({row.at("path"), row.at("verdict")});
  const std::vector<std::pair<Json, std::string>> expected = {
      {nullptr, "faster"}, {"Layer a", "faster"}, {"Layer b", "no change"},
      {"Gone", "added"},   {"Gone", "removed"},   {"New", "added"}};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(diff.at("summary"), Json::parse(R"({"slower": 0, "faster": 2, "no_change": 1, "too_few_executions": 0,
                                                "added": 4, "removed": 2})"));
  // Three rows in the correction: the execution time and "Layer a", both with
  // all ten new values below the ten old, p = 2 / C(20, 10), and "Layer b" at
  // p = 1. Holm: 3p for both; Benjamini-Hochberg: 3p / 1 and 3p / 2, the first
  // lowered to 1.5p; none: p.
  const double p = 2.0 / 184756;
  EXPECT_EQ(diff.at("correction_family"), 3);
  auto rows = rowsOf(diff, "kept");
  EXPECT_THAT(rows[""].at("p_adjusted").get<double>(), DoubleNear(3 * p, 1e-15));
  EXPECT_THAT(rows["Layer a"].at("p_adjusted").get<double>(), DoubleNear(3 * p, 1e-15));
  EXPECT_EQ(rows["Layer b"].at("p_adjusted"), 1.0);
  for (const auto& [correction, factor] : {std::pair{"fdr", 1.5}, std::pair{"none", 1.0}}) {
    rows = rowsOf(diffJson({"base.log", "new.log", "--correction", correction}, 0), "kept");
    EXPECT_THAT(rows["Layer a"].at("p_adjusted").get<double>(), DoubleNear(factor * p, 1e-15)) << correction;
  }
  const Json& added = diff.at("graphs")[2].at("rows")[0];
  EXPECT_TRUE(added.at("base").is_null());
  EXPECT_EQ(added.at("new").at("count"), 10);
  EXPECT_TRUE(added.at("p_value").is_null());
  EXPECT_TRUE(added.at("p_adjusted").is_null());
  EXPECT_TRUE(added.at("shift").is_null());

  // --graph keeps the named graphs; --skip-first leaves out warm-up executions,
  // which leaves too few to judge.
  const Json only = diffJson({"base.log", "new.log", "--graph", "old", "--graph", "kept", "--skip-first", "4"}, 0);
  ASSERT_EQ(only.at("graphs").size(), 2u);
  EXPECT_EQ(only.at("graphs")[0].at("rows")[0].at("base").at("count"), 6);
  EXPECT_EQ(only.at("graphs")[0].at("rows")[0].at("verdict"), "too few executions");
  EXPECT_EQ(only.at("skip_first"), 4);
  EXPECT_EQ(only.at("graphs")[1].at("emptied_by_skip_first"), false);
  // Leaving out every execution of a graph in one log is told apart from the
  // graph not being there; leaving out all of them in both lists the graph.
  const Json skipped = diffJson({sampleLog("two-graphs-slower"), sampleLog("two-graphs"), "--skip-first", "1"}, 0);
  for (const Json& graph : skipped.at("graphs")) {
    if (graph.at("name") != "yolo") continue;
    EXPECT_EQ(graph.at("status"), "removed");
    EXPECT_EQ(graph.at("emptied_by_skip_first"), true);
  }
  const Json emptied = diffJson({"base.log", "new.log", "--skip-first", "10", "--graph", "kept"}, 0);
  ASSERT_EQ(emptied.at("graphs").size(), 1u);
  EXPECT_EQ(emptied.at("graphs")[0].at("status"), "emptied");
  EXPECT_EQ(emptied.at("graphs")[0].at("emptied_by_skip_first"), true);
  EXPECT_EQ(emptied.at("graphs")[0].at("rows"), Json::array());
  const ToolRun text = tool({"diff", "base.log", "new.log", "--skip-first", "10"});
  EXPECT_EQ(text.exitCode, 0) << text.err;
  for (const std::string graph : {"kept", "old", "fresh"}) {
    EXPECT_THAT(text.out, HasSubstr("\ngraph " + graph +
                                    ": emptied (--skip-first leaves none of its executions in either log)\n"));
  }
}

TEST_F(DiffJsonTest, SumsThatOverflowAndHostileNamesKeepEveryFormat) {
  // Two events of 1.5e308 in one execution sum to infinity: that row has no
  // median and no shift, yet the JSON holds to its schema and the comparison
  // ends; names with markup stay text in every form.
  const auto log = [](int offset) {
    Json messages = Json::array();
    for (int i = 0; i < 12; ++i) {
      const Json big = {{"name", "Big"}, {"identifier", 3001}, {"valueKind", "Float64"}, {"doubleValue", 1.5e308},
                        {"unit", "None"}};
      Json events = Json::array({big, big, {{"name", "<b>&\"x"}, {"identifier", 3001}, {"valueKind", "UInt64"},
                                             {"unsignedValue", 100 + i + offset}, {"unit", "Microseconds"}}});
      const int at = 1000 + 2000 * i;
      messages.push_back({{"timestamp", at}, {"methodType", "Execute"}, {"name", "g<script>"},
                          {"timing", {{"start", at}, {"end", at + 1000 + i}}}, {"events", events}});
    }
    return Json::array({{{"messages", messages}}}).dump();
  };
  const Json diff = diffJson({pack("base.log", log(0)), pack("new.log", log(50))}, 3);
  auto rows = rowsOf(diff, "g<script>");
  EXPECT_TRUE(rows["Big"].at("base").at("median").is_null());
  EXPECT_TRUE(rows["Big"].at("shift").is_null());
  EXPECT_EQ(rows["<b>&\"x"].at("verdict"), "slower");
  const ToolRun page = tool({"diff", "base.log", "new.log", "--format", "html", "-o", "diff.html"});
  EXPECT_EQ(page.exitCode, 3) << page.err;
  const std::string html = scratch("diff.html");
  EXPECT_EQ(html.find("g<script>"), std::string::npos);
  EXPECT_NE(html.find("g&lt;script&gt;"), std::string::npos);
  EXPECT_EQ(html.find("<b>&"), std::string::npos);
}

TEST_F(DiffTest, FailuresNameTheFileAndTheProblem) {
  const std::string log = stage("two-graphs");
  writeFile(work.file("empty.log"), "x");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"diff", log, "missing.log"}, "missing.log: no such file"},
      {{"diff", "missing.log", log}, "missing.log: no such file"},
      {{"diff", log, log, "--graph", "resnet"}, "--graph resnet: no executions of this graph in " + log + " or " + log},
      {{"diff", log, log, "--graph", "resnet", "--skip-first", "1"},
       "--graph resnet: no executions of this graph in " + log + " or " + log},
      {{"diff", log, log, "-o", "missing/diff.txt"}, "missing/diff.txt: cannot be written: no such file or directory"},
  };
  for (const auto& [args, problem] : cases) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 1) << problem;
    EXPECT_THAT(run.err, ::testing::StartsWith("vyn-profile-log: " + problem)) << run.err;
    EXPECT_EQ(run.out, "");
  }
  // A failed comparison leaves no output file behind; a good one writes it.
  EXPECT_EQ(tool({"diff", log, "missing.log", "-o", "diff.txt"}).exitCode, 1);
  EXPECT_FALSE(fileExists(work.file("diff.txt")));
  EXPECT_EQ(tool({"diff", log, log, "-o", "diff.txt"}).exitCode, 0);
  EXPECT_EQ(scratch("diff.txt"), tool({"diff", log, log}).out);

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"diff", log}, {"diff", log, log, "--threshold", "-1"},
        {"diff", log, log, "--format", "csv"}, {"diff", log, log, "--unit", "min"},
        {"diff", log, log, "--correction", "bonferroni"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
  }
  const ToolRun help = tool({"diff", "--help"});
  for (const char* said : {"two-sided Mann-Whitney U", "holm (Holm's step-down", "fdr (Benjamini-Hochberg",
                           "at least 10 executions on both sides", "Hodges-Lehmann", "95% confidence interval",
                           "the larger of the two logs'", "Exit status: 0 nothing slower, 3 some row slower"}) {
    EXPECT_THAT(help.out, HasSubstr(said));
  }
}

}  // namespace
}  // namespace vyn::testing
