// vyn-profile-log export from an installed tree: the rows against hand-written
// golden files, both forms read back by Python's csv and json modules and
// validated against the JSON Schema, the reader level, and failures.
#include <gmock/gmock.h>
#include <sys/wait.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;
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

// Runs the Python reader of exports (export_rows_check.py) over pairs of a CSV
// and a JSONL export in dir; returns its exit status, with what it printed.
ToolRun readWithPython(const TempDir& dir, const std::vector<std::string>& files) {
  std::string command = std::string("'") + VYN_PYTHON + "' '" + VYN_EXPORT_CHECK + "' '" + VYN_EXPORT_SCHEMA + "'";
  for (const std::string& file : files) command += " '" + dir.file(file) + "'";
  command += " >'" + dir.file("python.out") + "' 2>'" + dir.file("python.err") + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir.file("python.out")),
          readFile(dir.file("python.err"))};
}

TEST_F(ExportTest, RowsOfLogsAreTheDocumentedOnesInBothForms) {
  const ToolRun run = tool({"export", sampleLog("two-graphs"), "-o", "two-graphs.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(scratch("two-graphs.csv"), exportGolden("two-graphs.csv"));
  // The same bytes on standard output.
  EXPECT_EQ(tool({"export", sampleLog("two-graphs"), "-o", "-", "--format", "csv"}).out,
            exportGolden("two-graphs.csv"));

  const std::string log = pack("odd.log", kOddValuesLog);
  ASSERT_EQ(tool({"export", log, "-o", "odd.csv"}).exitCode, 0);
  EXPECT_EQ(scratch("odd.csv"), exportGolden("odd-values.csv"));
  ASSERT_EQ(tool({"export", log, "-o", "odd.jsonl", "--format", "jsonl"}).exitCode, 0);
  EXPECT_EQ(scratch("odd.jsonl"), exportGolden("odd-values.jsonl"));

  // No phase at all: the header row alone, an empty JSON Lines file.
  const std::string empty = pack("empty.log", "[{}]");
  EXPECT_EQ(tool({"export", empty, "-o", "-"}).out,
            "graph,phase,occurrence,timestamp_us,duration_us,event_path,depth,identifier,value,unit,text\n");
  EXPECT_EQ(tool({"export", empty, "-o", "-", "--format", "jsonl"}).out, "");
}

// Texts that are not UTF-8 keep their bytes in CSV; JSON text must be UTF-8.
TEST_F(ExportTest, TextsThatAreNotUtf8KeepTheirBytesInCsvAndBecomeReplacementsInJson) {
  const std::string log = pack("bytes.log", R"([{"messages": [{"timestamp": 5, "methodType": "DeInit",
    "timing": {"start": 5, "end": 6}, "events": [{"name": {"base64": "/2HDqQ=="}, "identifier": 1,
      "valueKind": "String", "stringValue": "\u0001"}]}]}])");
  EXPECT_EQ(tool({"export", log, "-o", "-"}).out,
            "graph,phase,occurrence,timestamp_us,duration_us,event_path,depth,identifier,value,unit,text\n"
            ",deinit,0,5,1,,,,,,\n"
            ",deinit,0,5,,\xff" "a\xc3\xa9,0,1,,us,\x01\n");
  EXPECT_EQ(tool({"export", log, "-o", "-", "--format", "jsonl"}).out,
            "{\"graph\":null,\"phase\":\"deinit\",\"occurrence\":0,\"timestamp_us\":5,\"duration_us\":1,"
            "\"event_path\":null,\"depth\":null,\"identifier\":null,\"value\":null,\"unit\":null,\"text\":null}\n"
            "{\"graph\":null,\"phase\":\"deinit\",\"occurrence\":0,\"timestamp_us\":5,\"duration_us\":null,"
            "\"event_path\":\"\xef\xbf\xbd" "a\xc3\xa9\",\"depth\":0,\"identifier\":1,\"value\":null,\"unit\":\"us\","
            "\"text\":\"\\u0001\"}\n");
}

// What a user's reader sees: every export of the sample logs parses with
// Python's csv module into 11 fields of which the numeric ones are numbers or
// empty, its JSON Lines form holds the same rows and fits the schema, and names
// with separators come back as they were.
TEST_F(ExportTest, EveryExportReadsBackWithPythonAndFitsTheSchema) {
  if (std::string(VYN_PYTHON).empty()) GTEST_SKIP() << "python3 not found at configure time";
  pack("odd.log", kOddValuesLog);
  std::vector<std::string> files;
  for (const std::string log : {"two-graphs", "two-graphs-slower", "round-trip", "updater", "odd"}) {
    const std::string input = log == "odd" ? work.file("odd.log") : sampleLog(log);
    for (const std::string format : {"csv", "jsonl"}) {
      const ToolRun run = tool({"export", input, "-o", log + "." + format, "--format", format});
      ASSERT_EQ(run.exitCode, 0) << run.err;
      files.push_back(log + "." + format);
    }
  }
  const ToolRun python = readWithPython(work, files);
  ASSERT_TRUE(python.exitCode == 0 || python.exitCode == 77) << python.err;

  const Json rows = Json::parse(python.out).at(work.file("odd.csv"));
  std::vector<std::string> names;  // graph of the first execution, then every event path and text
  names.push_back(rows.at(3).at(0));
  for (const Json& row : rows) {
    if (row.at(6) != "" && row.at(1) == "execute") names.push_back(row.at(5).get<std::string>() + " | " +
                                                                     row.at(10).get<std::string>());
  }
  EXPECT_THAT(names, ::testing::ElementsAre(
                         "net, \"v2\"", "a,b | ", "a,b / say \"hi\" | ", "a,b / say \"hi\" / line\nbreak | x,y",
                         "nan | ", "inf | ", "single | ", "tiny | ", "big | ", "Hardware units | ZEL, DMA", "blob | ",
                         "tab\there | say \"no\""));
  if (python.exitCode == 77) GTEST_SKIP() << python.err;
}

// A reader of level N takes the messages whose level is below N.
TEST_F(ExportTest, VisibilityLeavesOutMessagesAtOrAboveTheLevel) {
  const std::string log = pack("levels.log", R"([{"messages": [
    {"timestamp": 1, "methodType": "Execute", "name": "g", "timing": {"start": 1, "end": 3}, "level": 4},
    {"timestamp": 5, "methodType": "Execute", "name": "g", "timing": {"start": 5, "end": 9}, "level": 5},
    {"timestamp": 10, "methodType": "Init", "name": "ctx", "timing": {"start": 10, "end": 20}, "level": 5}]}])");
  const std::string header =
      "graph,phase,occurrence,timestamp_us,duration_us,event_path,depth,identifier,value,unit,text\n";
  EXPECT_EQ(tool({"export", log, "-o", "-"}).out,
            header + ",init,0,10,10,,,,,,\ng,execute,0,1,2,,,,,,\ng,execute,1,5,4,,,,,,\n");
  EXPECT_EQ(tool({"export", log, "-o", "-", "--visibility", "5"}).out, header + "g,execute,0,1,2,,,,,,\n");
  EXPECT_EQ(tool({"export", log, "-o", "-", "--visibility", "-128"}).out, header);
}

TEST_F(ExportTest, FailuresNameTheFileAndLeaveNoOutputBehind) {
  const std::string good = readFile(sampleLog("two-graphs"));
  writeFile(work.file("damaged.log"), good + std::string("\x04\x00\x00\x00junk", 8));
  const struct {
    std::vector<std::string> args;
    std::string problem;
  } cases[] = {
      {{"export", "missing.log", "-o", "out.csv"}, "missing.log: no such file"},
      {{"export", "damaged.log", "-o", "out.csv"}, "damaged.log: the log could not be loaded: record 2 at byte offset " +
                                                       std::to_string(good.size()) + ": "},
      {{"export", sampleLog("updater"), "-o", "missing/out.csv"},
       "missing/out.csv: cannot be written: no such file or directory"},
  };
  for (const auto& c : cases) {
    const ToolRun run = tool(c.args);
    EXPECT_EQ(run.exitCode, 1) << c.problem;
    EXPECT_THAT(run.err, HasSubstr("vyn-profile-log: " + c.problem));
    EXPECT_FALSE(fileExists(work.file("out.csv")));
  }
  // An output that exists stays as it was when the log does not load.
  writeFile(work.file("kept.csv"), "kept");
  EXPECT_EQ(tool({"export", "damaged.log", "-o", "kept.csv"}).exitCode, 1);
  EXPECT_EQ(scratch("kept.csv"), "kept");
  if (fileExists("/dev/full")) {
    const ToolRun full = tool({"export", sampleLog("two-graphs"), "-o", "/dev/full"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "vyn-profile-log: /dev/full: write failed: no space left on device\n");
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"export", "in.log"}, {"export", "in.log", "-o", "x", "--format", "xml"},
        {"export", "in.log", "-o", "x", "--visibility", "128"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, HasSubstr("Run 'vyn-profile-log --help' for usage."));
  }
}

}  // namespace
}  // namespace vyn::testing
