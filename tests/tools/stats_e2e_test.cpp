// `vyn-profile-log stats`: the figures of a small log worked out by hand, and
// the CSV and JSON forms of every sample log read back by their usual readers.
#include "tools/tool_runner.h"

namespace vyn::testing {
namespace {

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
            "graph,event_path,depth,unit,executions,occurrences,total,mean,p50,p99,max,share,values\n"
            "net,,,ms,3,3,0.9,0.3,0.3,0.398,0.4,1,\n"
            "net,Layer a,0,ms,3,3,0.24,0.08,0.08,0.0996,0.1,0.26666666666666666,\n");

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

// What pandas and JSON Schema validators would make of every sample log.
TEST_F(StatsTest, CsvParsesAndJsonFollowsItsSchemaForEverySampleLog) {
  for (const std::string sample : {"two-graphs", "two-graphs-slower", "round-trip", "updater"}) {
    SCOPED_TRACE(sample);
    const std::string log = stage(sample);
    ASSERT_EQ(tool({"stats", log, "--format", "csv", "-o", "stats.csv"}).exitCode, 0);
    ASSERT_EQ(tool({"stats", log, "--format", "json", "-o", "stats.json"}).exitCode, 0);
    const std::string check = "cd '" + work.path() + "' && python3 - <<'EOF'\n"
        "import csv, json, sys\n"
        "rows = list(csv.reader(open('stats.csv', newline='')))\n"
        "assert rows[0] == ['graph','event_path','depth','unit','executions','occurrences','total',"
        "'mean','p50','p99','max','share','values'], rows[0]\n"
        "for row in rows[1:]:\n"
        "    assert len(row) == 13, row\n"
        "    for cell in row[2:3] + row[4:12]:\n"
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

}  // namespace
}  // namespace vyn::testing
