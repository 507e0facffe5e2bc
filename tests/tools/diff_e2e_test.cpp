// vyn-profile-log diff from an installed tree: verdicts and exit statuses on the
// sample logs, matching of graphs and paths by name, the JSON form against its
// schema, and the failures a user can run into.
#include <gmock/gmock.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace vyn::testing {
namespace {

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

TEST_F(DiffTest, SlowerLogExitsThreeAndNamesTheSlowerRows) {
  const std::string base = stage("two-graphs");
  const std::string slower = stage("two-graphs-slower");
  const ToolRun run = tool({"diff", base, slower});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, goldenFile("diff-two-graphs.txt"));

  // A threshold between the two changes (+18.2% and +20.0%) leaves one slower;
  // one above both, none.
  EXPECT_THAT(tool({"diff", base, slower, "--threshold", "19"}).out,
              HasSubstr("\n1 slower, 0 faster, 6 no change, 0 added, 0 removed\n"));
  EXPECT_EQ(tool({"diff", base, slower, "--threshold", "25"}).exitCode, 0);
  // The other way round it is faster, which is not a failure.
  const ToolRun back = tool({"diff", slower, base});
  EXPECT_EQ(back.exitCode, 0) << back.err;
  EXPECT_THAT(back.out, HasSubstr("\n0 slower, 2 faster, 5 no change, 0 added, 0 removed\n"));
}

TEST_F(DiffJsonTest, ALogAgainstItselfHasNoChangeAnywhere) {
  for (const std::string sample : {"two-graphs", "two-graphs-slower"}) {
    const Json diff = diffJson({sampleLog(sample), sampleLog(sample)}, 0);
    EXPECT_EQ(diff.at("summary"), Json::parse(R"({"slower": 0, "faster": 0, "noChange": 7, "added": 0,
                                                  "removed": 0})")) << sample;
    for (const Json& graph : diff.at("graphs")) {
      for (const Json& row : graph.at("rows")) {
        EXPECT_EQ(row.at("verdict"), "no change") << row;
        EXPECT_EQ(row.at("changePercent"), 0.0) << row;
        EXPECT_EQ(row.at("pValue"), 1.0) << row;
      }
    }
  }
  EXPECT_EQ(tool({"diff", sampleLog("two-graphs"), sampleLog("two-graphs")}).exitCode, 0);
}

TEST_F(DiffJsonTest, JsonHasEveryFigureWithItsUnitAndTheTest) {
  const Json diff = diffJson({sampleLog("two-graphs"), sampleLog("two-graphs-slower")}, 3);
  EXPECT_EQ(diff.at("test"), "mann-whitney-u");
  EXPECT_EQ(diff.at("timeUnit"), "us");
  EXPECT_EQ(diff.at("summary"), Json::parse(R"({"slower": 2, "faster": 0, "noChange": 5, "added": 0,
                                                "removed": 0})"));
  auto rows = rowsOf(diff, "mobilenet");
  // Base 1500 and 1300 us, new eight times between 1580 and 1740: the exact
  // p of complete separation is 2 / C(10, 2).
  EXPECT_EQ(rows[""].at("base"), Json::parse(R"({"count": 2, "median": 1400.0, "mean": 1400.0, "p99": 1498.0})"));
  EXPECT_EQ(rows[""].at("new").at("median"), 1655.0);
  EXPECT_THAT(rows[""].at("changePercent").get<double>(), DoubleNear(255.0 / 1400 * 100, 1e-9));
  EXPECT_THAT(rows[""].at("pValue").get<double>(), DoubleNear(2.0 / 45, 1e-12));
  EXPECT_EQ(rows[""].at("pValueMethod"), "exact");
  EXPECT_EQ(rows[""].at("verdict"), "slower");
  EXPECT_EQ(rows["Layer conv1"].at("verdict"), "slower");
  EXPECT_EQ(rows["Layer conv1 / Compute"].at("unit"), "cycles");
  EXPECT_EQ(rows["Layer conv1 / Compute"].at("verdict"), "no change");
  // One base execution of yolo: no difference can be told, however large.
  for (const auto& [path, row] : rowsOf(diff, "yolo")) EXPECT_EQ(row.at("verdict"), "no change") << path;

  // In milliseconds: times scaled, cycles not.
  rows = rowsOf(diffJson({sampleLog("two-graphs"), sampleLog("two-graphs-slower"), "--unit", "ms"}, 3), "mobilenet");
  EXPECT_EQ(rows[""].at("unit"), "ms");
  EXPECT_EQ(rows[""].at("base").at("median"), 1.4);
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
  ASSERT_EQ(diff.at("graphs").size(), 3u);
  EXPECT_EQ(diff.at("graphs")[0].at("status"), "compared");
  EXPECT_EQ(diff.at("graphs")[1].at("name"), "old");
  EXPECT_EQ(diff.at("graphs")[1].at("status"), "removed");
  EXPECT_EQ(diff.at("graphs")[2].at("name"), "fresh");
  EXPECT_EQ(diff.at("graphs")[2].at("status"), "added");
  std::vector<std::pair<Json, std::string>> order;
  for (const Json& row : diff.at("graphs")[0].at("rows")) order.push_back({row.at("path"), row.at("verdict")});
  const std::vector<std::pair<Json, std::string>> expected = {
      {nullptr, "faster"}, {"Layer a", "faster"}, {"Gone", "added"},
      {"Gone", "removed"}, {"Layer b", "no change"}, {"New", "added"}};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(diff.at("summary"), Json::parse(R"({"slower": 0, "faster": 2, "noChange": 1, "added": 4,
                                                "removed": 2})"));
  const Json& added = diff.at("graphs")[2].at("rows")[0];
  EXPECT_TRUE(added.at("base").is_null());
  EXPECT_EQ(added.at("new").at("count"), 10);
  EXPECT_TRUE(added.at("pValue").is_null());

  // --graph keeps the named graphs; --skip-first leaves out warm-up executions.
  const Json only = diffJson({"base.log", "new.log", "--graph", "old", "--graph", "kept", "--skip-first", "4"}, 0);
  ASSERT_EQ(only.at("graphs").size(), 2u);
  EXPECT_EQ(only.at("graphs")[0].at("rows")[0].at("base").at("count"), 6);
  EXPECT_EQ(only.at("skipFirst"), 4);
  // Leaving out every execution of a graph in one log only is told apart from
  // the graph not being there.
  const Json skipped = diffJson({sampleLog("two-graphs-slower"), sampleLog("two-graphs"), "--skip-first", "1"}, 0);
  EXPECT_EQ(skipped.at("graphs")[1].at("status"), "removed");
  EXPECT_EQ(skipped.at("graphs")[1].at("emptiedBySkipFirst"), true);
  EXPECT_EQ(only.at("graphs")[1].at("emptiedBySkipFirst"), false);
}

TEST_F(DiffTest, FailuresNameTheFileAndTheProblem) {
  const std::string log = stage("two-graphs");
  writeFile(work.file("empty.log"), "x");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"diff", log, "missing.log"}, "missing.log: no such file"},
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
  EXPECT_EQ(tool({"diff", log, "missing.log", "-o", "diff.txt"}).exitCode, 1);
  EXPECT_FALSE(fileExists(work.file("diff.txt")));
  EXPECT_EQ(tool({"diff", log, log, "-o", "diff.txt"}).exitCode, 0);
  EXPECT_EQ(scratch("diff.txt"), tool({"diff", log, log}).out);

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"diff", log}, {"diff", log, log, "--threshold", "-1"},
        {"diff", log, log, "--format", "csv"}, {"diff", log, log, "--unit", "min"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
  }
  const ToolRun help = tool({"diff", "--help"});
  EXPECT_THAT(help.out, HasSubstr("two-sided Mann-Whitney U"));
  EXPECT_THAT(help.out, HasSubstr("Exit status: 0 nothing slower, 3 some row slower"));
}

}  // namespace
}  // namespace vyn::testing
