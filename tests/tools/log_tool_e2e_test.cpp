// vyn-profile-log from an installed tree: pack/dump round trips, check on
// damaged logs, the trace timeline and the synthetic logs.
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Json = nlohmann::json;
using LogToolTest = ToolTest;

std::string frame(const std::string& bytes) {
  const auto n = static_cast<std::uint32_t>(bytes.size());
  return std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)} + bytes;
}

// A record with one message whose single event nests `depth` levels deep, as JSON.
std::string nestedRecord(int depth) {
  std::string json = R"({"name": "leaf"})";
  for (int i = 1; i < depth; ++i) json = R"({"name": "level", "subEvents": [)" + json + "]}";
  return R"([{"messages": [{"timestamp": 1, "methodType": 1, "timing": {}, "events": [)" + json + "]}]}]";
}

// Absent fields and zero ones, numbers at the limits of their fields and beyond
// what JSON holds, texts with NUL bytes or that are not UTF-8, bytes of every
// padding length, frames that hold no record, stray bytes at the end: dump gives
// back what was packed, and pack what was dumped, byte for byte.
TEST_F(LogToolTest, DumpAndPackKeepEveryValueAndEveryByteExactly) {
  const std::string json = R"([{"raw_record": "MTIzNDU2Nzg="}, {"raw_record": ""}, {"header": {"time_scale": "NaN"},
   "messages": [
    {"timestamp": {}, "method_type": 0, "timing": {"start": 0}, "level": 0, "events": [{"identifier": 0}]},
    {"timestamp": {"sequence": 9}, "timing": {}, "events": [{}]}, {"timestamp": {"value": 5}, "timing": {}},
    {"timestamp": {"value": 18446744073709551615, "sequence": 0}, "method_type": -128, "name": "a\u0000b",
     "timing": {"start": 0, "end": 18446744073709551615, "clock_kind": 255}, "level": 127, "events": [
       {"identifier": 4294967295, "unit": 4294967295, "value_kind": 77, "signed_value": -9223372036854775808,
        "float_value": 0.1, "double_value": 0.1},
       {"float_value": "-Infinity", "double_value": "Infinity"}, {"double_value": "NaN"},
       {"name": {"base64": "/w=="}, "string_value": "caf\u00e9"}, {"name": {"base64": "wK8="}},
       {"name": {"base64": "7aCA"}}, {"name": {"base64": "9JCAgA=="}}, {"name": {"base64": "YWLigg=="}},
       {"bytes_value": "AA=="}, {"bytes_value": "AP8="}, {"bytes_value": "AP8Q"}, {"bytes_value": "AP8QgA=="}]}]},
   {"trailing_bytes": "Bwc="}])";
  const ToolRun dumped = tool({"dump", pack("values.log", json), "-o", "dump.json"});
  EXPECT_EQ(dumped.exitCode, 1);
  const std::string prefix = "vyn-profile-log: values.log: ";
  EXPECT_EQ(dumped.err, prefix + "record 0 at byte offset 0: record of 8 bytes is too short to hold a record " +
                            "(kept as raw_record)\n" + prefix +
                            "record 1 at byte offset 12: empty record (length prefix 0) (kept as " + "raw_record)\n" +
                            prefix + "note: 2 stray bytes after the last record at byte offset " +
                            std::to_string(scratch("values.log").size() - 2) +
                            " (readers ignore them; kept as trailing_bytes)\n");
  Json expected = Json::parse(json);
  expected[2]["messages"][2]["timestamp"] = 5;  // a timestamp with only a value is written as that number
  EXPECT_EQ(Json::parse(scratch("dump.json")), expected);
  ASSERT_EQ(tool({"pack", "dump.json", "-o", "again.log"}).exitCode, 0);
  EXPECT_EQ(scratch("again.log"), scratch("values.log"));

  for (const std::string& log : {sampleLog("two-graphs"), sampleLog("updater"), sampleLog("round-trip")}) {
    EXPECT_EQ(tool({"dump", log, "-o", "dump.json"}).err, "");
    ASSERT_EQ(tool({"pack", "dump.json", "-o", "again.log"}).exitCode, 0);
    EXPECT_EQ(scratch("again.log"), readFile(log));
  }
}

// Files written before the keys were snake_case use the schema's own spelling:
// they pack to the same bytes. A bad value, or a key given both ways, is
// refused with its JSON path, and nothing is written.
TEST_F(LogToolTest, PackReadsBothSpellingsOfKeysAndNamesTheJsonPathOfABadValue) {
  const std::string snake = R"([{"header": {"time_scale": 1.5, "generator_name": "g"}, "messages": [
    {"timestamp": 3, "method_type": "Execute", "timing": {"start": 1, "end": 9, "clock_kind": 2},
     "events": [{"name": "e", "value_kind": "UInt64", "unsigned_value": 7, "sub_events": [{"detail_text": "d"}]}]}]},
   {"raw_record": "AAEC"}, {"trailing_bytes": "Bw=="}])";
  const std::string camel = R"([{"header": {"timeScale": 1.5, "generatorName": "g"}, "messages": [
    {"timestamp": 3, "methodType": "Execute", "timing": {"start": 1, "end": 9, "clockKind": 2},
     "events": [{"name": "e", "valueKind": "UInt64", "unsignedValue": 7, "subEvents": [{"detailText": "d"}]}]}]},
   {"rawRecord": "AAEC"}, {"trailingBytes": "Bw=="}])";
  EXPECT_EQ(scratch(pack("camel.log", camel)), scratch(pack("snake.log", snake)));

  const std::pair<std::string, std::string> cases[] = {
      {R"([{"messages": [{"events": [{"subEvents": [{"unsignedValue": -1}]}]}]}])",
       "$[0].messages[0].events[0].subEvents[0].unsignedValue: must not be negative, found -1\n"},
      {R"([{"messages": [{"timestamp": 1, "timing": {}, "method_type": 1, "methodType": 1}]}])",
       "$[0].messages[0].method_type: given twice, as method_type and as methodType\n"},
  };
  for (const auto& [json, message] : cases) {
    writeFile(work.file("bad.json"), json);
    const ToolRun run = tool({"pack", "bad.json", "-o", "bad.log"});
    EXPECT_EQ(run.exitCode, 1) << json;
    EXPECT_THAT(run.err, StartsWith("vyn-profile-log: bad.json: " + message));
    EXPECT_FALSE(fileExists(work.file("bad.log"))) << json;
  }
}

TEST_F(LogToolTest, CheckCountsMessagesPerTypeOrStopsAtTheFirstBadRecordWithWhereAndWhy) {
  const std::string good = readFile(sampleLog("updater"));
  const std::string at = "record 1 at byte offset " + std::to_string(good.size()) + ": ";
  const std::string counted = "records: 1\nmessages: 2\n  UpdateBinarySection (17): 2\n";  // the good record
  const std::string none = "records: 0\nmessages: 0\n";
  const struct {
    std::string log;
    int exitCode;
    std::string err;
    std::string out;
  } cases[] = {
      // Readers skip messages of unknown types without failing; check shows them.
      {scratch(pack("odd.log", R"([{"messages": [{"timestamp": 1, "methodType": 42, "timing": {}},
         {"timestamp": 2, "timing": {}}, {"timestamp": 3, "methodType": -3, "timing": {}}]}, {}])")),
       0, "",
       "records: 2\nmessages: 3\n  unknown method type (-3): 1\n  unknown method type (42): 1\n  no method type: 1\n"},
      {"", 0, "", none},
      {good + frame(""), 1, at + "empty record (length prefix 0)", counted},
      {good + scratch(pack("deep.log", nestedRecord(100))), 1,
       at + "the events of message 0 nest deeper than the verifier's limit of 64 tables", counted},
      {good + scratch(pack("fine.log", nestedRecord(40))) + "\x01", 0,
       "note: 1 stray bytes after the last record (ignored by readers)",
       "records: 2\nmessages: 3\n  Execute (1): 1\n  UpdateBinarySection (17): 2\n"},
  };
  for (const auto& c : cases) {
    writeFile(work.file("checked.log"), c.log);
    const ToolRun run = tool({"check", "checked.log"});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.err;
    EXPECT_EQ(run.err, c.err.empty() ? "" : "vyn-profile-log: checked.log: " + c.err + "\n");
    EXPECT_EQ(run.out, c.out) << c.err;
  }
}

// One slice per message, in the log's order. Timing without both bounds in
// order lasts 0; each graph has a track of its own, which a tensor-update pass
// shares; every value kind has its JSON form, an unknown one none.
TEST_F(LogToolTest, TraceTakesTheLogsReadingsOfTimingGraphsAndValues) {
  const ToolRun run = tool({"trace", pack("odd.log", R"([{"messages": [
    {"timestamp": 7, "methodType": "Execute", "name": "g", "timing": {"start": 500, "end": 100}},
    {"timestamp": 9, "methodType": "FinalizeAfterTensorUpdates", "name": "g [pass 1]", "timing": {"end": 40},
     "level": 2, "events": [{"identifier": 1, "valueKind": "Int64", "signedValue": -4, "unit": "Bytes"},
       {"name": "f", "valueKind": "Float32", "floatValue": 0.5, "unit": 99,
        "subEvents": [{"name": "t", "valueKind": "String", "stringValue": "x,y"}]},
       {"name": "b", "valueKind": "Bytes", "bytesValue": [1, 2, 3]},
       {"name": "odd", "valueKind": 77, "unsignedValue": 5}]},
    {"timestamp": 5, "methodType": "ComposeGraph", "name": "h", "timing": {"start": 2, "end": 6}},
    {"timestamp": 3, "methodType": 42, "timing": {}}, {"timestamp": 4, "timing": {"start": 1, "end": 2}}]}])"),
                            "-o", "odd.json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(scratch("odd.json"),
            R"({"traceEvents":[
{"name":"Execute","cat":"Execute","ph":"X","ts":500,"dur":0,"pid":1,"tid":1,"args":{"name":"g","timestamp":7}},
{"name":"FinalizeAfterTensorUpdates","cat":"FinalizeAfterTensorUpdates","ph":"X","ts":9,"dur":0,"pid":1,"tid":1,)"
            R"("args":{"name":"g [pass 1]","timestamp":9,"level":2,"events":[{"name":"null","identifier":1,"value":-4,)"
            R"("unit":"Bytes"},{"name":"f","value":0.5,"unit":99,"sub_events":[{"name":"t","value":"x,y"}]},)"
            R"({"name":"b","value":"3 bytes"},{"name":"odd"}]}},
{"name":"ComposeGraph","cat":"ComposeGraph","ph":"X","ts":2,"dur":4,"pid":1,"tid":2,"args":{"name":"h","timestamp":5}},
{"name":"method type 42","cat":"unknown","ph":"X","ts":3,"dur":0,"pid":1,"tid":0,"args":{"timestamp":3}},
{"name":"no method type","cat":"unknown","ph":"X","ts":1,"dur":1,"pid":1,"tid":0,"args":{"timestamp":4}},
{"name":"process_name","ph":"M","pid":1,"tid":0,"args":{"name":"vyn profiling log odd.log"}},
{"name":"thread_name","ph":"M","pid":1,"tid":0,"args":{"name":"session"}},
{"name":"thread_sort_index","ph":"M","pid":1,"tid":0,"args":{"sort_index":0}},
{"name":"thread_name","ph":"M","pid":1,"tid":1,"args":{"name":"graph g"}},
{"name":"thread_sort_index","ph":"M","pid":1,"tid":1,"args":{"sort_index":1}},
{"name":"thread_name","ph":"M","pid":1,"tid":2,"args":{"name":"graph h"}},
{"name":"thread_sort_index","ph":"M","pid":1,"tid":2,"args":{"sort_index":2}}
],"displayTimeUnit":"ms"}
)");
}

// An output that cannot be written is named with the problem; a failed output
// that is no regular file stays.
TEST_F(LogToolTest, FailedReadsAndWritesAreNamedAndOnlyRegularFilesRemoved) {
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // Through a link, so that even a wrong removal could only take the link.
  std::filesystem::create_symlink("/dev/full", work.file("full"));
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"synth", "-o", "full"}, "full: write failed: no space left on device\n"},
  };
  for (const auto& [args, problem] : cases) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 1) << problem;
    EXPECT_THAT(run.err, StartsWith("vyn-profile-log: " + problem));
  }
  EXPECT_TRUE(fileExists(work.file("full")));
}

// Outputs are written whole or not at all: a write that fails (here on the file
// size limit) or is killed part way leaves an existing file as it was and
// nothing beside it.
TEST_F(LogToolTest, AFailedOrInterruptedWriteLeavesTheExistingFileAsItWas) {
  const std::tuple<std::string, std::string, int, std::string> cases[] = {
      {"ulimit -f 64; trap '' XFSZ; ", "1MB", 1, "vyn-profile-log: out.log: write failed: file too large\n"},
      {"{ sleep 0.3; kill -TERM $$; } & ", "4GiB", -1, ""},
  };
  for (const auto& [setup, size, exitCode, err] : cases) {
    writeFile(work.file("out.log"), "earlier content\n");
    const auto before = scratchNames();
    shellSetup = setup;
    const ToolRun run = tool({"synth", "--size", size, "-o", "out.log"});
    EXPECT_EQ(run.exitCode, exitCode) << setup;
    EXPECT_THAT(run.err, StartsWith(err));
    EXPECT_EQ(scratch("out.log"), "earlier content\n");
    EXPECT_EQ(scratchNames(), before) << setup;
  }
}

// No command writes over its input, through any spelling or link; nor does
// one whose standard output is appended to its input ("dump in.log >> in.log";
// '>' would have the shell empty the file before the tool starts).
TEST_F(LogToolTest, NoCommandWritesOverItsInput) {
  const std::string log = pack("in.log", R"([{"messages": [{"timestamp": 1, "methodType": 1, "timing": {}}]}])");
  const std::string json = "in.log.json", original = scratch(log), originalJson = scratch(json);
  std::filesystem::create_symlink(log, work.file("link.log"));
  std::filesystem::create_hard_link(work.file(log), work.file("hard.log"));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"dump", log, "-o", "link.log"},
                                               {"trace", "link.log", "-o", "./in.log"},
                                               {"repair", log, "-o", "hard.log"},
                                               {"pack", json, "-o", json},
                                               {"diff", log, log, "-o", "link.log"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 1) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, HasSubstr("is the same file as the input " + args[1] + "; refusing to write over it"));
  }
  // "viewer" stands for vyn-profile-viewer.
  const std::vector<std::string> toStandardOutput[] = {{"dump", log},
                                                       {"check", log},
                                                       {"report", log, "-o", "-"},
                                                       {"pack", json, "-o", "-"},
                                                       {"viewer", log, "--generic", "--csv", "report.csv"}};
  for (std::vector<std::string> args : toStandardOutput) {
    const bool viewer = args[0] == "viewer";
    if (viewer) args.erase(args.begin());
    appendOutputTo = args[0] == "pack" ? json : log;
    const ToolRun run = viewer ? view(args) : tool(args);
    EXPECT_EQ(run.exitCode, 1) << ::testing::PrintToString(args);
    EXPECT_EQ(run.err, std::string(viewer ? "vyn-profile-viewer" : "vyn-profile-log") +
                           ": standard output: is the same file as the input " + appendOutputTo +
                           "; refusing to write over it\n");
  }
  EXPECT_EQ(scratch(log), original);
  EXPECT_EQ(scratch(json), originalJson);
  EXPECT_FALSE(fileExists(work.file("report.csv")));
}

// Each command's --help ends with its own examples and its exit statuses. A
// usage error exits with 2 and writes nothing; a number outside what an option
// takes is refused in the validators' words (number_options_test.cpp).
TEST_F(LogToolTest, HelpShowsEachCommandsExamplesAndUsageErrorsExitWithTwo) {
  for (const std::string command :
       {"pack", "dump", "check", "synth", "trace", "stats", "report", "export", "diff", "repair"}) {
    const ToolRun help = tool({command, "--help"});
    EXPECT_EQ(help.exitCode, 0) << command;
    EXPECT_THAT(help.out, HasSubstr("\nExamples:\n  vyn-profile-log " + command + " ")) << command;
    EXPECT_THAT(help.out, HasSubstr("\nExit status: 0 ")) << command;
  }
  EXPECT_THAT(tool({"--help"}).out, HasSubstr("\nExit status: 0 success (repair: at least one record kept); 1 "));

  const std::string log = sampleLog("two-graphs"), usage = "\nRun 'vyn-profile-log --help' for usage.\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"stats", log, "--top", "-1"}, "--top: -1 is negative; give a number of event paths, or 0 for all" + usage},
      {{"diff", log, log, "--threshold", "-5"}, "--threshold: -5 is negative; give a percentage of 0 or more" + usage},
      {{"synth", "-o", "x", "--size", "123456789012345GB"},
       "--size: '123456789012345GB' is more bytes than 64 bits hold; give at most 18446744073709551615 bytes" + usage},
      {{}, usage},
      {{"synth", "--size", "1M", "--executions", "3", "-o", "x"}, usage},
      {{"synth", "--events", "1000", "--sub-events", "10", "--depth", "4", "-o", "x"}, usage},
      {{"repair", "x"}, usage},
      // An unknown command names itself and the commands there are.
      {{"frobnicate", "x"}, "vyn-profile-log: unknown command 'frobnicate'; the commands are pack, dump, check, "},
  };
  for (const auto& [args, words] : cases) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, HasSubstr(words));
    EXPECT_FALSE(fileExists(work.file("x")));
  }
  // 0 paths are all of them.
  EXPECT_EQ(tool({"stats", log, "--top", "0"}).out, tool({"stats", log, "--top", "1000"}).out);
}

}  // namespace
}  // namespace vyn::testing
