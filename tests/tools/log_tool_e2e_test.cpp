// vyn-profile-log from an installed tree: pack/dump round trips, check on
// damaged logs, the trace timeline and the synthetic logs.
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "format/record_format.h"
#include "support/shared_name_record.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
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

// A small record whose event tables are shared, 40 references at each of three
// levels: the verifier would visit 64,000 event tables in about a kilobyte.
std::string sharedTablesRecord() {
  namespace fb = ::vyn::profiling::fb;
  flatbuffers::FlatBufferBuilder builder;
  auto event = fb::CreateEventEntry(builder, builder.CreateString("leaf"));
  for (int level = 0; level < 3; ++level)
    event = fb::CreateEventEntry(builder, 0, 0, 0, 0,
                                 builder.CreateVector(std::vector<flatbuffers::Offset<fb::EventEntry>>(40, event)));
  const auto message = fb::CreateMethodMessage(builder, fb::CreateMessageTimestamp(builder, 1), fb::MethodType_Execute,
                                               fb::CreateMethodTiming(builder), 0, builder.CreateVector(&event, 1));
  builder.Finish(fb::CreateProfileLogRecord(builder, 0, builder.CreateVector(&message, 1)));
  return std::string(reinterpret_cast<const char*>(builder.GetBufferPointer()), builder.GetSize());
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
// they pack to the same bytes; a key given both ways is refused.
TEST_F(LogToolTest, PackReadsTheSchemasSpellingOfKeysToo) {
  const std::string snake = R"([{"header": {"time_scale": 1.5, "generator_name": "g"}, "messages": [
    {"timestamp": 3, "method_type": "Execute", "timing": {"start": 1, "end": 9, "clock_kind": 2},
     "events": [{"name": "e", "value_kind": "UInt64", "unsigned_value": 7, "sub_events": [{"detail_text": "d"}]}]}]},
   {"raw_record": "AAEC"}, {"trailing_bytes": "Bw=="}])";
  const std::string camel = R"([{"header": {"timeScale": 1.5, "generatorName": "g"}, "messages": [
    {"timestamp": 3, "methodType": "Execute", "timing": {"start": 1, "end": 9, "clockKind": 2},
     "events": [{"name": "e", "valueKind": "UInt64", "unsignedValue": 7, "subEvents": [{"detailText": "d"}]}]}]},
   {"rawRecord": "AAEC"}, {"trailingBytes": "Bw=="}])";
  pack("snake.log", snake);
  pack("camel.log", camel);
  EXPECT_EQ(scratch("camel.log"), scratch("snake.log"));
  writeFile(work.file("both.json"),
            R"([{"messages": [{"timestamp": 1, "timing": {}, "method_type": 1, "methodType": 1}]}])");
  const ToolRun both = tool({"pack", "both.json", "-o", "both.log"});
  EXPECT_EQ(both.exitCode, 1);
  EXPECT_EQ(both.err,
            "vyn-profile-log: both.json: $[0].messages[0].method_type: given twice, as method_type and as "
            "methodType\n");
  EXPECT_FALSE(fileExists(work.file("both.log")));
}

TEST_F(LogToolTest, PackNamesTheJsonPathOfABadValueAndWritesNothing) {
  const std::pair<std::string, std::string> cases[] = {
      {R"({"messages": []})", "$: expected an array of records\n"},
      {R"([{}, {"messages": [{"level": 200}]}])",
       "$[1].messages[0].level: value 200 does not fit in a signed 8-bit integer\n"},
      {R"([{"messages": [{"events": [{"subEvents": [{"unsignedValue": -1}]}]}]}])",
       "$[0].messages[0].events[0].subEvents[0].unsignedValue: must not be negative, found -1\n"},
      {R"([{"trailingBytes": "AA=="}, {}])", "$[0]: trailing_bytes must be the last entry\n"},
      {"[{\"messages\": [}]", "not valid JSON: "},  // the parser's own words follow
      // Which base64 texts are canonical: log_json_test.cpp.
      {R"([{"messages": [{"events": [{"bytesValue": "AP9="}]}]}])",
       "$[0].messages[0].events[0].bytesValue: expected base64 text, found \"AP9=\"\n"},
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
  const std::string shared = sharedTablesRecord();
  // 200 events naming one 20 kB text: 4 MB to copy out of a record of about 21 kB.
  const std::string sharedName = sharedNameRecord(200, 20000);
  const std::string notALog = "not a profiling log: the first record does not verify and its length prefix, ";
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
      // A file that is no log at all is called so: its first four bytes read as a
      // length whose next four point outside it, too large for the file's size
      // (JSON, CSV) or too small for any record.
      {"hello world, this is text\n", 1, notALog + "1819043176 bytes, is implausible for a file of 26 bytes", none},
      {"{\"a\":1}\n", 1, notALog + "576791163 bytes, is implausible for a file of 8 bytes", none},
      {frame("abc"), 1, notALog + "3 bytes, is implausible for a file of 7 bytes", none},
      {good + frame(""), 1, at + "empty record (length prefix 0)", counted},
      {good + "\xff\xff\xff\xff" + "abc", 1,
       at + "truncated record: the length prefix announces 4294967295 bytes, only 3 remain", counted},
      {good + frame(std::string("\xff\x00\x00\x00", 4) + std::string(12, '\0')), 1,
       at + "root offset 255 points outside the record", counted},
      {good + scratch(pack("t.log", R"([{"messages": [{"timing": {}}]}])")), 1,
       at + "message 0 has no timestamp (a required field)", counted},
      {good + scratch(pack("deep.log", nestedRecord(100))), 1,
       at + "the events of message 0 nest deeper than the verifier's limit of 64 tables", counted},
      {good + frame(shared), 1,
       at + "its tables are shared between parents: verifying it would visit more than " +
           std::to_string(shared.size() / 8) + " tables, more than its " + std::to_string(shared.size()) +
           " bytes can hold",
       counted},
      {good + frame(sharedName), 1, at + copyBudgetReason(4000000, sharedName.size()), counted},
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

// A damaged log: the trace stops at the bad record, with a warning, and stays
// valid JSON. A log bad from its first record has no timeline: an existing file
// stays as it was.
TEST_F(LogToolTest, TraceOfADamagedLogStopsAtTheBadRecord) {
  const std::string good = readFile(sampleLog("round-trip"));
  writeFile(work.file("damaged.log"), good + frame("junk"));
  const ToolRun damaged = tool({"trace", "damaged.log", "-o", "trace.json"});
  EXPECT_EQ(damaged.exitCode, 0);
  EXPECT_THAT(damaged.err, HasSubstr("warning: the log stops being readable at record 1 (byte offset " +
                                     std::to_string(good.size()) + ")"));
  const Json events = Json::parse(scratch("trace.json")).at("traceEvents");
  EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const Json& e) { return e.at("ph") == "X"; }), 7);

  writeFile(work.file("notes.txt"), "hello world, this is text\n");
  const ToolRun notALog = tool({"trace", "notes.txt", "-o", "trace.json"});
  EXPECT_EQ(notALog.exitCode, 1);
  EXPECT_THAT(notALog.err, HasSubstr("not a profiling log"));
  EXPECT_THAT(notALog.err, HasSubstr("; trace.json not written"));
  EXPECT_EQ(Json::parse(scratch("trace.json")).at("traceEvents"), events);
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

// One of each session phase, composition and finalization per graph, three
// executions per graph, four messages to a record; the viewer reads it without
// a queue-wait complaint.
TEST_F(LogToolTest, SynthMakesTheAskedShape) {
  ASSERT_EQ(tool({"synth", "--graphs", "2", "--executions", "3", "--events", "20", "--sub-events", "2",
                  "--messages-per-record", "4", "--round-trip", "-o", "synth.log"})
                .exitCode,
            0);
  EXPECT_EQ(tool({"check", "synth.log"}).out,
            "records: 4\nmessages: 15\n  Finalize (2): 2\n  ExecuteRoundTrip (3): 6\n  InitEvents (4): 1\n"
            "  DeInit (5): 1\n  Init (6): 1\n  ComposeGraph (7): 2\n  ExecuteOverall (8): 1\n"
            "  DynamicLibLoad (10): 1\n");
  EXPECT_THAT(view({"synth.log"}).out, StartsWith("Input Log File Location: synth.log\n"));
}

// A log that cannot be read or loaded, and an output that cannot be written,
// are named with the problem; a failed output that is no regular file stays.
TEST_F(LogToolTest, FailedReadsAndWritesAreNamedAndOnlyRegularFilesRemoved) {
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  writeFile(work.file("in.json"), "[{}]");
  const std::string good = readFile(sampleLog("two-graphs"));
  writeFile(work.file("damaged.log"), good + frame("junk"));
  // Through a link, so that even a wrong removal could only take the link.
  std::filesystem::create_symlink("/dev/full", work.file("full"));
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"check", "missing.log"}, "missing.log: no such file\n"},
      {{"export", "missing.log", "-o", "out.csv"}, "missing.log: no such file\n"},
      {{"export", "damaged.log", "-o", "out.csv", "--strict"},
       "damaged.log: the log stops being readable at record 2 (byte offset " + std::to_string(good.size()) + "): "},
      {{"pack", "in.json", "-o", "missing/out.log"}, "missing/out.log: cannot be written: no such file or directory\n"},
      {{"export", sampleLog("updater"), "-o", "missing/out.csv"},
       "missing/out.csv: cannot be written: no such file or directory\n"},
      {{"synth", "-o", "full"}, "full: write failed: no space left on device\n"},
      {{"export", sampleLog("updater"), "-o", "full"}, "full: write failed: no space left on device\n"},
  };
  for (const auto& [args, problem] : cases) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 1) << problem;
    EXPECT_THAT(run.err, StartsWith("vyn-profile-log: " + problem));
  }
  EXPECT_FALSE(fileExists(work.file("out.csv")));
  EXPECT_TRUE(fileExists(work.file("full")));
}

// Outputs are written whole or not at all: a write that fails (here on the
// file size limit) leaves an existing file as it was and nothing beside it.
TEST_F(LogToolTest, AFailedWriteLeavesTheExistingFileAsItWas) {
  ASSERT_EQ(tool({"synth", "--size", "300KB", "-o", "big.log"}).exitCode, 0);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"synth", "--size", "1MB", "-o", "out.log"}, "out.log"},
      {{"dump", "big.log", "-o", "out.json"}, "out.json"},
  };
  shellSetup = "ulimit -f 64; trap '' XFSZ; ";  // files of at most 64 blocks; past that, writes fail
  for (const auto& [args, output] : cases) {
    writeFile(work.file(output), "earlier content\n");
    const auto before = scratchNames();
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 1) << output;
    EXPECT_EQ(run.err, "vyn-profile-log: " + output + ": write failed: file too large\n");
    EXPECT_EQ(scratch(output), "earlier content\n");
    EXPECT_EQ(scratchNames(), before) << output;
  }
}

// An output interrupted while it is written leaves no temporary file behind.
TEST_F(LogToolTest, AnInterruptedWriteLeavesTheExistingFileAsItWas) {
  writeFile(work.file("out.log"), "earlier content\n");
  const auto before = scratchNames();
  shellSetup = "{ sleep 0.3; kill -TERM $$; } & ";
  EXPECT_EQ(tool({"synth", "--size", "4GiB", "-o", "out.log"}).exitCode, -1);
  EXPECT_EQ(scratch("out.log"), "earlier content\n");
  EXPECT_EQ(scratchNames(), before);
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
                                               {"stats", log, "-o", "hard.log"},
                                               {"export", "link.log", "-o", log},
                                               {"diff", log, log, "-o", "link.log"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 1) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, HasSubstr("is the same file as the input " + args[1] + "; refusing to write over it"));
  }
  // "viewer" stands for vyn-profile-viewer.
  const std::vector<std::string> toStandardOutput[] = {{"dump", log},
                                                       {"check", log},
                                                       {"stats", log},
                                                       {"diff", sampleLog("two-graphs"), log},
                                                       {"export", log, "-o", "-"},
                                                       {"report", log, "-o", "-"},
                                                       {"trace", log, "-o", "-"},
                                                       {"pack", json, "-o", "-"},
                                                       {"viewer", log},
                                                       {"viewer", log, "--generic", "--csv", "report.csv"}};
  for (std::vector<std::string> args : toStandardOutput) {
    const std::string what = ::testing::PrintToString(args);
    const std::string program = args[0] == "viewer" ? "vyn-profile-viewer" : "vyn-profile-log";
    if (args[0] == "viewer") args.erase(args.begin());
    const std::string input = args[0] == "pack" ? json : log;
    std::string command = "cd '" + work.path() + "' && exec '" + stagePath("bin/" + program) + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " </dev/null >>'" + input + "' 2>'" + capture.file("stderr") + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << what;
    EXPECT_EQ(readFile(capture.file("stderr")),
              program + ": standard output: is the same file as the input " + input + "; refusing to write over it\n")
        << what;
  }
  EXPECT_EQ(scratch(log), original);
  EXPECT_EQ(scratch(json), originalJson);
  EXPECT_FALSE(fileExists(work.file("report.csv")));
}

// A repeatable option takes one value each time it is given, so options and
// positionals mix in any order: every order gives the same output (the outputs
// name no file of their own, only the logs).
TEST_F(LogToolTest, OptionsAndPositionalsComeInAnyOrder) {
  const std::string base = sampleLog("two-graphs"), slower = sampleLog("two-graphs-slower");
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{"stats", base, "--graph", "yolo", "--graph", "mobilenet", "-o", "a"},
       {"stats", "--graph", "yolo", base, "--graph", "mobilenet", "-o", "b"}},
      {{"report", base, "--graph", "yolo", "-o", "a"}, {"report", "--graph", "yolo", base, "-o", "b"}},
      {{"diff", base, slower, "--graph", "yolo", "-o", "a"}, {"diff", "--graph", "yolo", base, slower, "-o", "b"}},
      {{"diff", base, slower, "--graph", "yolo", "-o", "a"}, {"diff", base, "--graph", "yolo", slower, "-o", "b"}},
  };
  for (const auto& [usual, mixed] : cases) {
    std::filesystem::remove(work.file("b"));
    const ToolRun first = tool(usual), second = tool(mixed);
    EXPECT_EQ(second.exitCode, first.exitCode) << ::testing::PrintToString(mixed) << second.err;
    EXPECT_EQ(second.err, first.err);
    ASSERT_TRUE(fileExists(work.file("b"))) << ::testing::PrintToString(mixed);
    EXPECT_EQ(scratch("b"), scratch("a")) << ::testing::PrintToString(mixed);
  }
  // One graph of two: stats shows only it.
  tool({"stats", "--graph", "yolo", base, "-o", "one.txt"});
  EXPECT_THAT(scratch("one.txt"), HasSubstr("Graph yolo"));
  EXPECT_THAT(scratch("one.txt"), Not(HasSubstr("Graph mobilenet")));
}

// Numbers are read as written, in decimal: nothing negative where counts are
// asked for, nothing that wraps or overflows; the refusal says what to give.
// (The validators' words are checked in number_options_test.cpp; here, that
// each command's options carry them to the user.)
TEST_F(LogToolTest, NumbersOutsideWhatAnOptionTakesAreRefusedInWords) {
  const std::string log = sampleLog("two-graphs");
  const std::string levels = "; give a level from -128 to 127";
  const std::string executions = "; give a number of executions, 0 or more";
  const struct {
    std::vector<std::string> args;
    std::string refusal;
  } cases[] = {
      {{"stats", log, "--top", "-1"}, "--top: -1 is negative; give a number of event paths, or 0 for all"},
      {{"stats", log, "--skip-first", "-1"}, "--skip-first: -1 is negative" + executions},
      {{"stats", log, "--visibility", "128"}, "--visibility: 128 is more than 127" + levels},
      {{"report", log, "-o", "x", "--skip-first", "18446744073709551616"},
       "--skip-first: 18446744073709551616 is more than 18446744073709551615" + executions},
      {{"export", log, "-o", "x", "--visibility", "1.5"}, "--visibility: '1.5' is not a whole number" + levels},
      {{"diff", log, log, "--threshold", "-5"}, "--threshold: -5 is negative; give a percentage of 0 or more"},
      {{"diff", log, log, "--visibility", ""}, "--visibility: '' is not a whole number" + levels},
      {{"synth", "-o", "x", "--graphs", "0"}, "--graphs: 0 is less than 1; give a number of graphs from 1 to 100000"},
      {{"synth", "-o", "x", "--events", "4000001"},
       "--events: 4000001 is more than 4000000; give a number of events from 0 to 4000000"},
      {{"synth", "-o", "x", "--size", "123456789012345GB"},
       "--size: '123456789012345GB' is more bytes than 64 bits hold; give at most 18446744073709551615 bytes"},
  };
  for (const auto& c : cases) {
    const ToolRun run = tool(c.args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(c.args);
    EXPECT_EQ(run.err, "vyn-profile-log: " + c.refusal + "\nRun 'vyn-profile-log --help' for usage.\n");
    EXPECT_FALSE(fileExists(work.file("x")));
  }

  // 0 paths are all of them.
  const ToolRun all = tool({"stats", log, "--top", "0"});
  const ToolRun many = tool({"stats", log, "--top", "1000"});
  EXPECT_EQ(all.exitCode, 0);
  EXPECT_EQ(all.out, many.out);
  EXPECT_NE(all.out, tool({"stats", log, "--top", "1"}).out);
}

// Each command's --help ends with its own examples and its exit statuses.
TEST_F(LogToolTest, EveryCommandsHelpShowsItsOwnExamples) {
  for (const std::string command :
       {"pack", "dump", "check", "synth", "trace", "stats", "report", "export", "diff", "repair"}) {
    const ToolRun help = tool({command, "--help"});
    EXPECT_EQ(help.exitCode, 0) << command;
    EXPECT_THAT(help.out, HasSubstr("\nExamples:\n  vyn-profile-log " + command + " ")) << command;
    // No example of another command.
    const std::string examples = help.out.substr(help.out.find("\nExamples:\n"));
    for (std::size_t at = examples.find("vyn-profile-log "); at != std::string::npos;
         at = examples.find("vyn-profile-log ", at + 1)) {
      // pack's examples start from a dump, synth's end in a diff of what it made.
      const bool recipe = (command == "pack" && examples.compare(at, 20, "vyn-profile-log dump") == 0) ||
                          (command == "synth" && examples.compare(at, 20, "vyn-profile-log diff") == 0);
      EXPECT_TRUE(recipe || examples.compare(at, 16 + command.size(), "vyn-profile-log " + command) == 0)
          << command << ": " << examples.substr(at, 40);
    }
    EXPECT_THAT(help.out, HasSubstr("\nExit status: 0 ")) << command;
    EXPECT_THAT(help.out, HasSubstr("2 a usage error")) << command;
  }
}

TEST_F(LogToolTest, UsageErrorsExitWithTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{},
        {"pack", "in.json"},
        {"export", "x"},
        {"synth"},
        {"frobnicate"},
        {"synth", "--size", "1M", "--executions", "3", "-o", "x"},
        {"synth", "--events", "1000", "--sub-events", "10", "--depth", "4", "-o", "x"},
        {"dump", "x", "-o", ""},
        {"repair", "x"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, HasSubstr("Run 'vyn-profile-log --help' for usage."));
    EXPECT_FALSE(fileExists(work.file("x")));
  }
  // An unknown command names itself and the commands there are.
  EXPECT_THAT(tool({"frobnicate", "x"}).err,
              StartsWith("vyn-profile-log: unknown command 'frobnicate'; the commands are pack, dump, check, "));
  EXPECT_THAT(tool({"dump", "x", "-o", ""}).err, HasSubstr("--output: the path is empty"));
  const ToolRun help = tool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.out, HasSubstr("\nExamples:\n  vyn-profile-log "));
  EXPECT_THAT(help.out, HasSubstr("\nExit status: 0 success (repair: at least one record kept); 1 "));
}

}  // namespace
}  // namespace vyn::testing
