// vyn-profile-log from an installed tree: pack/dump round trips, check on
// damaged logs, the trace timeline and the synthetic logs.
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "format/record_format.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Json = nlohmann::json;
using LogToolTest = ToolTest;

std::string frame(const std::string& bytes) {
  const auto length = static_cast<std::uint32_t>(bytes.size());
  std::string prefix(4, '\0');
  for (int i = 0; i < 4; ++i) prefix[i] = static_cast<char>(length >> (8 * i));
  return prefix + bytes;
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
  for (int level = 0; level < 3; ++level) {
    const auto subEvents = builder.CreateVector(std::vector<flatbuffers::Offset<fb::EventEntry>>(40, event));
    fb::EventEntryBuilder parent(builder);
    parent.add_subEvents(subEvents);
    event = parent.Finish();
  }
  const auto message = fb::CreateMethodMessage(builder, fb::CreateMessageTimestamp(builder, 1), fb::MethodType_Execute,
                                               fb::CreateMethodTiming(builder), 0, builder.CreateVector(&event, 1));
  builder.Finish(fb::CreateProfileLogRecord(builder, 0, builder.CreateVector(&message, 1)));
  return std::string(reinterpret_cast<const char*>(builder.GetBufferPointer()), builder.GetSize());
}

TEST_F(LogToolTest, PackOfDumpGivesBackTheSameBytesEvenOfBadFramesAndStrayBytes) {
  const std::string good = readFile(sampleLog("round-trip"));
  const std::string damaged = good + frame("12345678") + frame("") + "\x07\x07";
  writeFile(work.file("damaged.log"), damaged);
  for (const std::string& log : {sampleLog("two-graphs"), sampleLog("updater"), sampleLog("round-trip")}) {
    ASSERT_FALSE(readFile(log).empty());
    const ToolRun dumped = tool({"dump", log, "-o", "dump.json"});
    EXPECT_EQ(dumped.exitCode, 0);
    EXPECT_EQ(dumped.err, "");
    ASSERT_EQ(tool({"pack", "dump.json", "-o", "again.log"}).exitCode, 0);
    EXPECT_EQ(scratch("again.log"), readFile(log));
  }
  const ToolRun dumped = tool({"dump", "damaged.log", "-o", "dump.json"});
  EXPECT_EQ(dumped.exitCode, 1);
  EXPECT_EQ(dumped.err,
            "vyn-profile-log: damaged.log: record 1 at byte offset " + std::to_string(good.size()) +
                ": record of 8 bytes is too short to hold a record (kept as rawRecord)\n"
                "vyn-profile-log: damaged.log: record 2 at byte offset " + std::to_string(good.size() + 12) +
                ": empty record (length prefix 0) (kept as rawRecord)\n"
                "vyn-profile-log: damaged.log: note: 2 stray bytes after the last record at byte offset " +
                std::to_string(good.size() + 16) + " (readers ignore them; kept as trailingBytes)\n");
  const Json entries = Json::parse(scratch("dump.json"));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1], (Json{{"rawRecord", "MTIzNDU2Nzg="}}));
  EXPECT_EQ(entries[3], (Json{{"trailingBytes", "Bwc="}}));
  ASSERT_EQ(tool({"pack", "dump.json", "-o", "again.log"}).exitCode, 0);
  EXPECT_EQ(scratch("again.log"), damaged);
}

// Absent fields and zero ones, numbers at the limits of their fields and beyond
// what JSON holds, texts with NUL bytes or that are not UTF-8, bytes of every
// padding length: dump gives back what was packed, and pack what was dumped.
TEST_F(LogToolTest, DumpAndPackKeepEveryValueExactly) {
  const std::string json = R"([{"header": {"timeScale": "NaN"}, "messages": [
    {"timestamp": {}, "methodType": 0, "timing": {"start": 0}, "level": 0, "events": [{"identifier": 0}]},
    {"timestamp": {"sequence": 9}, "timing": {}, "events": [{}]}, {"timestamp": {"value": 5}, "timing": {}},
    {"timestamp": {"value": 18446744073709551615, "sequence": 0}, "methodType": -128, "name": "a\u0000b",
     "timing": {"start": 0, "end": 18446744073709551615, "clockKind": 255}, "level": 127, "events": [
       {"identifier": 4294967295, "unit": 4294967295, "valueKind": 77, "signedValue": -9223372036854775808,
        "floatValue": 0.1, "doubleValue": 0.1},
       {"floatValue": "-Infinity", "doubleValue": "Infinity"}, {"doubleValue": "NaN"},
       {"name": {"base64": "/w=="}, "stringValue": "caf\u00e9"}, {"name": {"base64": "wK8="}},
       {"name": {"base64": "7aCA"}}, {"name": {"base64": "9JCAgA=="}}, {"name": {"base64": "YWLigg=="}},
       {"bytesValue": "AA=="}, {"bytesValue": "AP8="}, {"bytesValue": "AP8Q"}, {"bytesValue": "AP8QgA=="}]}]}])";
  const ToolRun dumped = tool({"dump", pack("values.log", json), "-o", "dump.json"});
  EXPECT_EQ(dumped.exitCode, 0) << dumped.err;
  Json expected = Json::parse(json);
  expected[0]["messages"][2]["timestamp"] = 5;  // a timestamp with only a value is written as that number
  EXPECT_EQ(Json::parse(scratch("dump.json")), expected);
  ASSERT_EQ(tool({"pack", "dump.json", "-o", "again.log"}).exitCode, 0);
  EXPECT_EQ(scratch("again.log"), scratch("values.log"));
}

TEST_F(LogToolTest, PackNamesTheJsonPathOfABadValueAndWritesNothing) {
  std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"messages": []})", "$: expected an array of records"},
      {R"([{}, {"messages": [{"level": 200}]}])", "$[1].messages[0].level: value 200 does not fit in a signed 8-bit integer"},
      {R"([{"messages": [{"events": [{"subEvents": [{"unsignedValue": -1}]}]}]}])",
       "$[0].messages[0].events[0].subEvents[0].unsignedValue: must not be negative, found -1"},
      {R"([{"trailingBytes": "AA=="}, {}])", "$[0]: trailingBytes must be the last entry"},
  };
  // Only canonical base64 text is taken.
  for (const std::string text : {"abc", "A", "AA=A", "=AAA", "AB==", "AP9=", "A A=", "AA==AA==", "AP8*"}) {
    cases.push_back({R"([{"messages": [{"events": [{"bytesValue": ")" + text + "\"}]}]}]",
                     "$[0].messages[0].events[0].bytesValue: expected base64 text, found \"" + text + "\""});
  }
  for (const auto& [json, message] : cases) {
    writeFile(work.file("bad.json"), json);
    const ToolRun run = tool({"pack", "bad.json", "-o", "bad.log"});
    EXPECT_EQ(run.exitCode, 1) << json;
    EXPECT_EQ(run.err, "vyn-profile-log: bad.json: " + message + "\n");
    EXPECT_FALSE(fileExists(work.file("bad.log"))) << json;
  }
  writeFile(work.file("bad.json"), "[{\"messages\": [}]");
  const ToolRun run = tool({"pack", "bad.json", "-o", "bad.log"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, StartsWith("vyn-profile-log: bad.json: not valid JSON: "));
  EXPECT_THAT(run.err, HasSubstr("line 1, column 16"));
}

TEST_F(LogToolTest, CheckCountsMessagesOfUnknownOrNoMethodType) {
  // Readers skip messages of unknown types without failing; check shows them.
  const std::string odd = pack("odd.log", R"([{"messages": [{"timestamp": 1, "methodType": 42, "timing": {}},
    {"timestamp": 2, "timing": {}}, {"timestamp": 3, "methodType": -3, "timing": {}}]}, {}])");
  writeFile(work.file("empty.log"), "");
  const std::pair<std::string, std::string> cases[] = {
      {odd, "records: 2\nmessages: 3\n  unknown method type (-3): 1\n  unknown method type (42): 1\n"
            "  no method type: 1\n"},
      {"empty.log", "records: 0\nmessages: 0\n"},
  };
  for (const auto& [log, expected] : cases) {
    const ToolRun run = tool({"check", log});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected);
  }
}

TEST_F(LogToolTest, CheckStopsAtTheFirstBadRecordWithWhereAndWhy) {
  const std::string good = readFile(sampleLog("updater"));
  const std::string at = "record 1 at byte offset " + std::to_string(good.size()) + ": ";
  const std::string deep = scratch(pack("deep.log", nestedRecord(100)));
  const std::string fine = scratch(pack("fine.log", nestedRecord(40)));
  const std::string noTimestamp = scratch(pack("t.log", R"([{"messages": [{"timing": {}}]}])"));
  const std::string shared = sharedTablesRecord();
  const struct { std::string log; int exitCode; std::string err; int records = 1; } cases[] = {
      {good + frame(""), 1, at + "empty record (length prefix 0)"},
      {good + "\xff\xff\xff\xff" + "abc", 1, at + "truncated record: the length prefix announces 4294967295 bytes, only 3 remain"},
      {good + frame(std::string("\xff\x00\x00\x00", 4) + std::string(12, '\0')), 1,
       at + "root offset 255 points outside the record"},
      {good + noTimestamp, 1, at + "message 0 has no timestamp (a required field)"},
      {good + deep, 1, at + "the events of message 0 nest deeper than the verifier's limit of 64 tables"},
      {good + frame(shared), 1,
       at + "its tables are shared between parents: verifying it would visit more than " +
           std::to_string(shared.size() / 8) + " tables, more than its " + std::to_string(shared.size()) +
           " bytes can hold"},
      {good + fine + "\x01", 0, "note: 1 stray bytes after the last record (ignored by readers)", 2},
  };
  for (const auto& c : cases) {
    writeFile(work.file("damaged.log"), c.log);
    const ToolRun run = tool({"check", "damaged.log"});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.err;
    EXPECT_EQ(run.err, "vyn-profile-log: damaged.log: " + c.err + "\n");
    EXPECT_THAT(run.out, StartsWith("records: " + std::to_string(c.records) + "\n")) << c.err;
  }
}

TEST_F(LogToolTest, TraceHasOneCompleteEventPerMessageOnPerGraphTracks) {
  const ToolRun run = tool({"trace", sampleLog("two-graphs"), "-o", "trace.json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Json trace = Json::parse(scratch("trace.json"));
  std::map<int, std::string> tracks;
  std::vector<Json> slices;
  for (const Json& event : trace.at("traceEvents")) {
    if (event.at("ph") == "M" && event.at("name") == "thread_name") tracks[event.at("tid")] = event.at("args").at("name");
    if (event.at("ph") == "X") slices.push_back(event);
  }
  EXPECT_EQ(tracks, (std::map<int, std::string>{{0, "session"}, {1, "graph mobilenet"}, {2, "graph yolo"}}));
  ASSERT_EQ(slices.size(), 13u);
  std::map<std::string, int> perTrack;
  for (const Json& slice : slices) ++perTrack[tracks[slice.at("tid")] + " " + slice.at("name").get<std::string>()];
  EXPECT_EQ(perTrack, (std::map<std::string, int>{
                          {"session DynamicLibLoad", 1}, {"session Init", 1}, {"session InitEvents", 1},
                          {"session ExecuteOverall", 1}, {"session DeInit", 1}, {"graph mobilenet ComposeGraph", 1},
                          {"graph mobilenet Finalize", 1}, {"graph mobilenet Execute", 2},
                          {"graph mobilenet ApplyBinarySection", 1}, {"graph yolo ComposeGraph", 1},
                          {"graph yolo Finalize", 1}, {"graph yolo Execute", 1}}));
  const Json& yolo = slices[8];  // the yolo execution, in file order
  EXPECT_EQ(yolo.at("ts"), 21600);
  EXPECT_EQ(yolo.at("dur"), 2500);
  EXPECT_EQ(yolo.at("args").at("events").at(0).at("subEvents").at(0).at("name"), "Hardware units");
  EXPECT_EQ(yolo.at("args").at("events").at(1),
            Json::parse(R"({"name": "Occupancy", "identifier": 3010, "value": 0.75, "unit": "None"})"));

  // A damaged log: the trace stops at the bad record and stays valid JSON.
  const std::string good = readFile(sampleLog("round-trip"));
  writeFile(work.file("damaged.log"), good + frame("junk"));
  const ToolRun damaged = tool({"trace", "damaged.log", "-o", "trace.json"});
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_THAT(damaged.err, HasSubstr("record 1 at byte offset " + std::to_string(good.size())));
  const Json events = Json::parse(scratch("trace.json")).at("traceEvents");
  EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const Json& e) { return e.at("ph") == "X"; }), 7);
}

TEST_F(LogToolTest, SynthMakesTheAskedShapeAndSizeTheSameForTheSameSeed) {
  std::vector<std::string> args = {"synth", "--graphs", "2", "--executions", "3", "--events", "20", "--sub-events",
                                   "2", "--messages-per-record", "4", "--round-trip", "--seed", "7", "-o", "synth.log"};
  ASSERT_EQ(tool(args).exitCode, 0);
  args.back() = "again.log";
  ASSERT_EQ(tool(args).exitCode, 0);
  EXPECT_EQ(scratch("again.log"), scratch("synth.log"));
  ASSERT_EQ(tool({"dump", "synth.log", "-o", "synth.json"}).exitCode, 0);
  ASSERT_EQ(tool({"pack", "synth.json", "-o", "repacked.log"}).exitCode, 0);
  EXPECT_EQ(scratch("repacked.log"), scratch("synth.log"));

  // One of each session phase, composition and finalization per graph, three
  // executions per graph; four messages to a record.
  const ToolRun checked = tool({"check", "synth.log"});
  EXPECT_EQ(checked.exitCode, 0) << checked.err;
  EXPECT_EQ(checked.out, "records: 4\nmessages: 15\n  Finalize (2): 2\n  ExecuteRoundTrip (3): 6\n  InitEvents (4): 1\n"
                         "  DeInit (5): 1\n  Init (6): 1\n  ComposeGraph (7): 2\n  ExecuteOverall (8): 1\n"
                         "  DynamicLibLoad (10): 1\n");
  // The viewer reads it without a queue-wait complaint.
  const ToolRun viewed = view({"synth.log"});
  EXPECT_EQ(viewed.exitCode, 0);
  EXPECT_THAT(viewed.out, StartsWith("Input Log File Location: synth.log\n"));

  ASSERT_EQ(tool({"synth", "--size", "300KB", "-o", "sized.log"}).exitCode, 0);
  const auto size = std::filesystem::file_size(work.file("sized.log"));
  EXPECT_GE(size, 300000u);
  EXPECT_LT(size, 600000u);
}

TEST_F(LogToolTest, FailedReadsAndWritesAreNamedAndOnlyRegularFilesRemoved) {
  ToolRun run = tool({"check", "missing.log"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vyn-profile-log: missing.log: no such file\n");

  writeFile(work.file("in.json"), "[{}]");
  run = tool({"pack", "in.json", "-o", "missing/out.log"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vyn-profile-log: missing/out.log: cannot be written: no such file or directory\n");

  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // Through a link, so that even a wrong removal could only take the link.
  std::filesystem::create_symlink("/dev/full", work.file("full"));
  run = tool({"synth", "-o", "full"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vyn-profile-log: full: write failed: no space left on device\n");
  EXPECT_TRUE(fileExists(work.file("full")));
}

TEST_F(LogToolTest, UsageErrorsExitWithTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"pack", "in.json"}, {"synth"}, {"synth", "--size", "lots", "-o", "x"},
        {"synth", "--size", "1M", "--executions", "3", "-o", "x"}, {"synth", "--messages-per-record", "0", "-o", "x"},
        {"synth", "--events", "1000", "--sub-events", "10", "--depth", "4", "-o", "x"}, {"frobnicate"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, HasSubstr("Run 'vyn-profile-log --help' for usage."));
    EXPECT_FALSE(fileExists(work.file("x")));
  }
}

}  // namespace
}  // namespace vyn::testing
