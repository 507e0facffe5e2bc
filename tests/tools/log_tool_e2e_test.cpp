// vyn-profile-log from an installed tree: pack/dump round trips, check on
// damaged logs, the trace timeline and the synthetic logs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "format/record_format.h"
#include "support/temp_dir.h"
#include "tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;

class LogToolTest : public ::testing::Test {
 protected:
  ToolRun tool(const std::vector<std::string>& args) { return runTool(logToolPath(), args, work.path()); }

  // Packs JSON text into the scratch directory; returns the log's name.
  std::string pack(const std::string& name, const std::string& json) {
    writeFile(work.file(name + ".json"), json);
    const ToolRun run = tool({"pack", name + ".json", "-o", name});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return name;
  }

  Json dumpJson(const std::string& log) {
    const ToolRun run = tool({"dump", log});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return Json::parse(run.out);
  }

  TempDir work;
};

std::string frame(const std::string& bytes) {
  const auto length = static_cast<std::uint32_t>(bytes.size());
  std::string prefix(4, '\0');
  for (int i = 0; i < 4; ++i) prefix[i] = static_cast<char>(length >> (8 * i));
  return prefix + bytes;
}

// An event nested `depth` levels deep, as JSON.
std::string nestedEvent(int depth) {
  std::string json = R"({"name": "leaf"})";
  for (int i = 1; i < depth; ++i) json = R"({"name": "level", "subEvents": [)" + json + "]}";
  return json;
}

// A small record whose event tables are shared, 40 references at each of three
// levels: the verifier would visit 64,000 event tables in about a kilobyte.
std::string sharedTablesRecord() {
  namespace fb = ::vyn::profiling::fb;
  flatbuffers::FlatBufferBuilder builder;
  auto event = fb::CreateEventEntry(builder, builder.CreateString("leaf"));
  for (int level = 0; level < 3; ++level) {
    const std::vector<flatbuffers::Offset<fb::EventEntry>> children(40, event);
    const auto subEvents = builder.CreateVector(children);
    fb::EventEntryBuilder parent(builder);
    parent.add_subEvents(subEvents);
    event = parent.Finish();
  }
  const auto events = builder.CreateVector(std::vector<flatbuffers::Offset<fb::EventEntry>>{event});
  const auto message = fb::CreateMethodMessage(builder, fb::CreateMessageTimestamp(builder, 1),
                                               fb::MethodType_Execute, fb::CreateMethodTiming(builder), 0,
                                               events);
  const auto messages = builder.CreateVector(std::vector<flatbuffers::Offset<fb::MethodMessage>>{message});
  builder.Finish(fb::CreateProfileLogRecord(builder, 0, messages));
  return std::string(reinterpret_cast<const char*>(builder.GetBufferPointer()), builder.GetSize());
}

class SampleRoundTripTest : public LogToolTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SampleRoundTripTest, PackOfDumpGivesBackTheSameBytes) {
  const std::string original = readFile(sampleLog(GetParam()));
  ASSERT_FALSE(original.empty());
  const ToolRun dumped = tool({"dump", sampleLog(GetParam()), "-o", "dump.json"});
  ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
  EXPECT_EQ(dumped.err, "");
  const ToolRun packed = tool({"pack", "dump.json", "-o", "again.log"});
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  EXPECT_EQ(readFile(work.file("again.log")), original);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleRoundTripTest,
                         ::testing::Values("two-graphs", "round-trip", "updater"));

TEST_F(LogToolTest, DumpKeepsBadFramesAndStrayBytesSoPackRestoresThem) {
  const std::string good = readFile(sampleLog("round-trip"));
  const std::string damaged = good + frame("12345678") + frame("") + "\x07\x07";
  writeFile(work.file("damaged.log"), damaged);
  const ToolRun dumped = tool({"dump", "damaged.log", "-o", "dump.json"});
  EXPECT_EQ(dumped.exitCode, 1);
  EXPECT_EQ(dumped.err,
            "vyn-profile-log: damaged.log: record 1 at byte offset " + std::to_string(good.size()) +
                ": record of 8 bytes is too short to hold a record (kept as rawRecord)\n"
                "vyn-profile-log: damaged.log: record 2 at byte offset " + std::to_string(good.size() + 12) +
                ": empty record (length prefix 0) (kept as rawRecord)\n"
                "vyn-profile-log: damaged.log: note: 2 stray bytes after the last record at byte offset " +
                std::to_string(good.size() + 16) + " (readers ignore them; kept as trailingBytes)\n");
  const Json entries = Json::parse(readFile(work.file("dump.json")));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1], (Json{{"rawRecord", "MTIzNDU2Nzg="}}));
  EXPECT_EQ(entries[3], (Json{{"trailingBytes", "Bwc="}}));

  ASSERT_EQ(tool({"pack", "dump.json", "-o", "again.log"}).exitCode, 0);
  EXPECT_EQ(readFile(work.file("again.log")), damaged);
}

TEST_F(LogToolTest, DumpTellsAbsentFieldsFromZeroOnes) {
  const std::string log = pack("zero.log", R"([{"messages": [
    {"timestamp": {}, "methodType": 0, "timing": {"start": 0}, "level": 0, "events": [{"identifier": 0}]},
    {"timestamp": {"sequence": 9}, "timing": {}, "events": [{}]}]}])");
  const Json messages = dumpJson(log)[0]["messages"];
  EXPECT_EQ(messages[0], Json::parse(R"({"timestamp": {}, "methodType": 0, "timing": {"start": 0},
                                         "level": 0, "events": [{"identifier": 0}]})"));
  EXPECT_EQ(messages[1], Json::parse(R"({"timestamp": {"sequence": 9}, "timing": {}, "events": [{}]})"));
}

TEST_F(LogToolTest, PackNamesTheJsonPathOfABadValueAndWritesNothing) {
  const struct {
    const char* json;
    const char* message;
  } cases[] = {
      {R"({"messages": []})", "$: expected an array of records"},
      {R"([{"messages": [{"methodType": "Exec"}]}])",
       "$[0].messages[0].methodType: unknown method type \"Exec\" (expected a number or one of: Execute, "
       "Finalize, ExecuteRoundTrip, InitEvents, DeInit, Init, ComposeGraph, ExecuteOverall, ExecuteEvents, "
       "DynamicLibLoad, ApplyBinarySection, ApplyBinarySection2, ContextGetBinarySize, ContextGetBinary, "
       "ContextGetBinarySectionSize, FinalizeAfterTensorUpdates, UpdateBinarySection)"},
      {R"([{}, {"messages": [{"level": 200}]}])",
       "$[1].messages[0].level: value 200 does not fit in a signed 8-bit integer"},
      {R"([{"messages": [{"events": [{"subEvents": [{"unsignedValue": -1}]}]}]}])",
       "$[0].messages[0].events[0].subEvents[0].unsignedValue: must not be negative, found -1"},
      {R"([{"messages": [{"events": [{"bytesValue": "abc"}]}]}])",
       "$[0].messages[0].events[0].bytesValue: expected base64 text, found \"abc\""},
      {R"([{"header": {"timeScale": 1, "genratorName": "x"}}])",
       "$[0].header.genratorName: unknown field (expected one of: timeScale, epochTimestamp, "
       "steadyClockTimestamp, version, generatorVersion, backendVersion, generatorName)"},
      {R"([{"trailingBytes": "AA=="}, {}])", "$[0]: trailingBytes must be the last entry"},
  };
  for (const auto& c : cases) {
    writeFile(work.file("bad.json"), c.json);
    const ToolRun run = tool({"pack", "bad.json", "-o", "bad.log"});
    EXPECT_EQ(run.exitCode, 1) << c.json;
    EXPECT_EQ(run.err, std::string("vyn-profile-log: bad.json: ") + c.message + "\n");
    EXPECT_FALSE(fileExists(work.file("bad.log"))) << c.json;
  }

  writeFile(work.file("broken.json"), "[{\"messages\": [}]");
  const ToolRun run = tool({"pack", "broken.json", "-o", "bad.log"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, ::testing::StartsWith("vyn-profile-log: broken.json: not valid JSON: "));
  EXPECT_THAT(run.err, HasSubstr("line 1, column 16"));
}

TEST_F(LogToolTest, PackWarnsAboutRecordsThatWillNotVerify) {
  writeFile(work.file("no-timing.json"), R"([{"messages": [{"timestamp": 1}]}])");
  const ToolRun run = tool({"pack", "no-timing.json", "-o", "no-timing.log"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "vyn-profile-log: no-timing.json: warning: $[0]: the record will not verify: "
                     "message 0 has no timing (a required field)\n");
  EXPECT_TRUE(fileExists(work.file("no-timing.log")));
}

TEST_F(LogToolTest, CheckCountsRecordsAndMessagesPerMethodType) {
  ToolRun run = tool({"check", sampleLog("two-graphs")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "records: 2\n"
            "messages: 13\n"
            "  Execute (1): 3\n"
            "  Finalize (2): 2\n"
            "  InitEvents (4): 1\n"
            "  DeInit (5): 1\n"
            "  Init (6): 1\n"
            "  ComposeGraph (7): 2\n"
            "  ExecuteOverall (8): 1\n"
            "  DynamicLibLoad (10): 1\n"
            "  ApplyBinarySection (11): 1\n");

  // Readers skip messages of unknown types without failing; check shows them.
  const std::string log = pack("odd.log", R"([{"messages": [
    {"timestamp": 1, "methodType": 42, "timing": {}}, {"timestamp": 2, "timing": {}},
    {"timestamp": 3, "methodType": -3, "timing": {}}]}, {}])");
  run = tool({"check", log});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "records: 2\nmessages: 3\n  unknown method type (-3): 1\n  unknown method type (42): 1\n"
            "  no method type: 1\n");

  writeFile(work.file("empty.log"), "");
  run = tool({"check", "empty.log"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "records: 0\nmessages: 0\n");
}

TEST_F(LogToolTest, CheckStopsAtTheFirstBadRecordWithWhereAndWhy) {
  const std::string good = readFile(sampleLog("updater"));
  const std::string at = std::to_string(good.size());
  const std::string deep = readFile(work.file(pack("deep.log", R"([{"messages": [
      {"timestamp": 1, "methodType": 1, "timing": {}, "events": [)" + nestedEvent(100) + "]}]}]")));
  const std::string fine = readFile(work.file(pack("fine.log", R"([{"messages": [
      {"timestamp": 1, "methodType": 1, "timing": {}, "events": [)" + nestedEvent(40) + "]}]}]")));
  const std::string noTimestamp = readFile(work.file(pack("t.log", R"([{"messages": [{"timing": {}}]}])")));
  const std::string rootOutside = frame(std::string("\xff\x00\x00\x00", 4) + std::string(12, '\0'));
  const std::string shared = sharedTablesRecord();

  const struct {
    std::string log;
    int exitCode;
    std::string err;
    int records = 1;  // verified before the end
  } cases[] = {
      {good + frame(""), 1, "record 1 at byte offset " + at + ": empty record (length prefix 0)"},
      {good + std::string("\xff\xff\xff\xff", 4) + "abc", 1,
       "record 1 at byte offset " + at +
           ": truncated record: the length prefix announces 4294967295 bytes, only 3 remain"},
      {good + rootOutside, 1, "record 1 at byte offset " + at + ": root offset 255 points outside the record"},
      {good + noTimestamp, 1,
       "record 1 at byte offset " + at + ": message 0 has no timestamp (a required field)"},
      {good + deep, 1,
       "record 1 at byte offset " + at +
           ": the events of message 0 nest deeper than the verifier's limit of 64 tables"},
      {good + frame(shared), 1,
       "record 1 at byte offset " + at +
           ": its tables are shared between parents: verifying it would visit more than " +
           std::to_string(shared.size() / 8) + " tables, more than its " + std::to_string(shared.size()) +
           " bytes can hold"},
      {good + fine + "\x01", 0, "note: 1 stray bytes after the last record (ignored by readers)", 2},
  };
  for (const auto& c : cases) {
    writeFile(work.file("damaged.log"), c.log);
    const ToolRun run = tool({"check", "damaged.log"});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.err;
    EXPECT_EQ(run.err, "vyn-profile-log: damaged.log: " + c.err + "\n");
    EXPECT_THAT(run.out, ::testing::StartsWith("records: " + std::to_string(c.records) + "\n")) << c.err;
  }
}

TEST_F(LogToolTest, MissingInputIsNamed) {
  const ToolRun run = tool({"check", "missing.log"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vyn-profile-log: missing.log: no such file\n");
}

TEST_F(LogToolTest, TraceHasOneCompleteEventPerMessageOnPerGraphTracks) {
  const ToolRun run = tool({"trace", sampleLog("two-graphs"), "-o", "trace.json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Json trace = Json::parse(readFile(work.file("trace.json")));
  std::map<int, std::string> tracks;
  std::vector<Json> slices;
  for (const Json& event : trace.at("traceEvents")) {
    if (event.at("ph") == "M" && event.at("name") == "thread_name") {
      tracks[event.at("tid")] = event.at("args").at("name");
    } else if (event.at("ph") == "X") {
      slices.push_back(event);
    }
  }
  EXPECT_EQ(tracks, (std::map<int, std::string>{{0, "session"}, {1, "graph mobilenet"}, {2, "graph yolo"}}));
  ASSERT_EQ(slices.size(), 13u);

  std::map<std::string, int> perTrack;
  for (const Json& slice : slices) ++perTrack[tracks[slice.at("tid")] + " " + slice.at("name").get<std::string>()];
  EXPECT_EQ(perTrack, (std::map<std::string, int>{{"session DynamicLibLoad", 1},
                                                  {"session Init", 1},
                                                  {"session InitEvents", 1},
                                                  {"session ExecuteOverall", 1},
                                                  {"session DeInit", 1},
                                                  {"graph mobilenet ComposeGraph", 1},
                                                  {"graph mobilenet Finalize", 1},
                                                  {"graph mobilenet Execute", 2},
                                                  {"graph mobilenet ApplyBinarySection", 1},
                                                  {"graph yolo ComposeGraph", 1},
                                                  {"graph yolo Finalize", 1},
                                                  {"graph yolo Execute", 1}}));

  const Json& yolo = slices[8];  // the yolo execution, in file order
  EXPECT_EQ(yolo.at("ts"), 21600);
  EXPECT_EQ(yolo.at("dur"), 2500);
  EXPECT_EQ(yolo.at("args").at("events").at(0).at("subEvents").at(0).at("name"), "Hardware units");
  EXPECT_EQ(yolo.at("args").at("events").at(1),
            Json::parse(R"({"name": "Occupancy", "identifier": 3010, "value": 0.75, "unit": "None"})"));
}

TEST_F(LogToolTest, TraceOfADamagedLogStopsAtTheBadRecordAndStaysValidJson) {
  const std::string good = readFile(sampleLog("round-trip"));
  writeFile(work.file("damaged.log"), good + frame("junk"));
  const ToolRun run = tool({"trace", "damaged.log", "-o", "trace.json"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("record 1 at byte offset " + std::to_string(good.size())));
  const Json trace = Json::parse(readFile(work.file("trace.json")));
  EXPECT_EQ(std::count_if(trace.at("traceEvents").begin(), trace.at("traceEvents").end(),
                          [](const Json& e) { return e.at("ph") == "X"; }),
            7);
}

TEST_F(LogToolTest, SynthMakesTheBenchmarkShapeInRecordsOfTheAskedSize) {
  const std::vector<std::string> shape = {"synth", "--graphs", "2", "--executions", "3", "--events", "20",
                                          "--sub-events", "2", "--messages-per-record", "4", "--round-trip",
                                          "--seed", "7", "-o"};
  std::vector<std::string> args = shape;
  args.push_back("synth.log");
  ASSERT_EQ(tool(args).exitCode, 0);
  args.back() = "again.log";
  ASSERT_EQ(tool(args).exitCode, 0);
  EXPECT_EQ(readFile(work.file("again.log")), readFile(work.file("synth.log")));

  const ToolRun checked = tool({"check", "synth.log"});
  EXPECT_EQ(checked.exitCode, 0) << checked.err;
  EXPECT_THAT(checked.out, HasSubstr("  ExecuteRoundTrip (3): 6\n"));

  ASSERT_EQ(tool({"dump", "synth.log", "-o", "synth.json"}).exitCode, 0);
  ASSERT_EQ(tool({"pack", "synth.json", "-o", "repacked.log"}).exitCode, 0);
  EXPECT_EQ(readFile(work.file("repacked.log")), readFile(work.file("synth.log")));

  const Json records = Json::parse(readFile(work.file("synth.json")));
  int executions = 0;
  for (const Json& record : records) {
    EXPECT_LE(record.at("messages").size(), 4u);
    for (const Json& message : record.at("messages")) {
      if (message.at("methodType") != "ExecuteRoundTrip") continue;
      ++executions;
      const Json& events = message.at("events");
      ASSERT_EQ(events.size(), 20u);
      int queueWaits = 0;
      for (const Json& event : events) {
        EXPECT_EQ(event.at("subEvents").size(), 2u);
        queueWaits += event.at("identifier") == 405;
      }
      EXPECT_EQ(queueWaits, 1);
    }
  }
  EXPECT_EQ(executions, 6);

  // The viewer reads it without a queue-wait complaint.
  const ToolRun viewed = runTool(viewerPath(), {"synth.log"}, work.path());
  EXPECT_EQ(viewed.exitCode, 0);
  EXPECT_THAT(viewed.out, ::testing::StartsWith("Input Log File Location: synth.log\n"));

  ASSERT_EQ(tool({"synth", "--size", "300KB", "-o", "sized.log"}).exitCode, 0);
  const auto size = std::filesystem::file_size(work.file("sized.log"));
  EXPECT_GE(size, 300000u);
  EXPECT_LT(size, 600000u);
}

TEST_F(LogToolTest, FailedWritesAreReportedAndOnlyRegularFilesRemoved) {
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // Through a link, so that even a wrong removal could only take the link.
  std::filesystem::create_symlink("/dev/full", work.file("full"));
  ToolRun run = tool({"synth", "-o", "full"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vyn-profile-log: full: write failed: no space left on device\n");
  EXPECT_TRUE(fileExists(work.file("full")));

  run = tool({"pack", sampleJson("updater"), "-o", "missing/updater.log"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vyn-profile-log: missing/updater.log: cannot be written: no such file or directory\n");
}

TEST_F(LogToolTest, UsageErrorsExitWithTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"pack", "in.json"}, {"synth"}, {"synth", "--size", "lots", "-o", "x"},
        {"synth", "--size", "1M", "--executions", "3", "-o", "x"},
        {"synth", "--messages-per-record", "0", "-o", "x"},
        {"synth", "--events", "1000", "--sub-events", "10", "--depth", "4", "-o", "x"}, {"frobnicate"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, HasSubstr("Run 'vyn-profile-log --help' for usage."));
    EXPECT_FALSE(fileExists(work.file("x")));
  }
}

}  // namespace
}  // namespace vyn::testing
