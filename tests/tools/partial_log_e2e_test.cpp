// Logs that stop being readable before their end, as a killed run leaves them:
// the analysis commands use the records before the first bad one, say where
// the log stops, mark their JSON and pages incomplete, and --strict refuses.
#include <gmock/gmock.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "tools/log_json_text.h"
#include "tools/tool_runner.h"

namespace vyn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Json = nlohmann::json;

// Three records of executions of "net", each of its own durations, so that a
// record more or less changes every figure: the first also holds the Init.
const std::vector<std::string> kRecords = {
    logOf({R"({"timestamp": 1, "methodType": "Init", "name": "ctx", "timing": {"start": 1, "end": 501}})",
           execute("net", 1000, 100, event("Layer a", 40)), execute("net", 2000, 200, event("Layer a", 60))}),
    logOf({execute("net", 3000, 300, event("Layer a", 80)), execute("net", 4000, 450, event("Layer a", 90))}),
    logOf({execute("net", 5000, 700, event("Layer a", 300)), execute("net", 6000, 900, event("Layer a", 500))}),
};

class PartialLogTest : public ToolTest {
 protected:
  // whole.log, and cut.log: the same cut 5 bytes short of the end of its last record.
  void SetUp() override {
    for (std::size_t at = 0; at < kRecords.size(); ++at) {
      frames.push_back(scratch(pack("record" + std::to_string(at) + ".log", kRecords[at])));
    }
    writeFile(work.file("whole.log"), frames[0] + frames[1] + frames[2]);
    writeFile(work.file("cut.log"), frames[0] + frames[1] + frames[2].substr(0, frames[2].size() - 5));
    writeFile(work.file("good.log"), frames[0] + frames[1]);
    where = "the log stops being readable at record 2 (byte offset " + std::to_string(goodSize()) + "): ";
  }
  std::size_t goodSize() const { return frames[0].size() + frames[1].size(); }

  // The stats JSON of a log without the keys that name it and say how much of it was read.
  Json figuresOf(const std::string& log) {
    const ToolRun run = tool({"stats", log, "--format", "json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    Json figures = Json::parse(run.out);
    for (const char* key : {"log", "complete", "unreadable"}) figures.erase(key);
    return figures;
  }

  std::vector<std::string> frames;  // each record with its length prefix
  std::string where;
};

// The figures are those of the good records alone; the warning says where the
// log stops, how much is left unread and how to keep the rest.
TEST_F(PartialLogTest, StatsUsesTheRecordsBeforeTheFirstBadOneAndSaysWhereTheLogStops) {
  const std::string problem = "truncated record: the length prefix announces " + std::to_string(frames[2].size() - 4) +
                              " bytes, only " + std::to_string(frames[2].size() - 9) + " remain";
  const std::size_t unread = frames[2].size() - 5;
  const ToolRun text = tool({"stats", "cut.log"});
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_THAT(text.err, StartsWith("vyn-profile-log: cut.log: warning: " + where + problem + "; " +
                                   std::to_string(unread) + " bytes ("));
  EXPECT_THAT(text.err, HasSubstr("% of the file) left unread. Using the 2 records before it; to keep"));
  // The heading says so too, for a text kept without its standard error.
  EXPECT_THAT(text.out, StartsWith("Statistics of cut.log (incomplete: the 2 records before byte offset " +
                                   std::to_string(goodSize()) + ", where the log stops being readable)\n"));
  const ToolRun good = tool({"stats", "good.log"});
  EXPECT_EQ(text.out.substr(text.out.find('\n')), good.out.substr(good.out.find('\n')));

  const Json document = Json::parse(tool({"stats", "cut.log", "--format", "json"}).out);
  EXPECT_EQ(document.at("complete"), false);
  EXPECT_EQ(document.at("unreadable").at("unread_bytes"), unread);
  EXPECT_EQ(figuresOf("cut.log"), figuresOf("good.log"));
}

// A log bad from its first record (cut short), or not a log at all, has nothing
// to analyse and stays an error.
TEST_F(PartialLogTest, ALogWithNothingReadableIsAnError) {
  writeFile(work.file("bad-first.log"), frames[0].substr(0, frames[0].size() - 5));
  writeFile(work.file("notes.txt"), "hello world, this is text\n");
  const std::vector<std::string> cases[] = {{"stats", "bad-first.log", "record 0 at byte offset 0: truncated record: "},
                                            {"report", "notes.txt", "not a profiling log"},
                                            {"trace", "missing.log", "no such file"}};
  for (const auto& c : cases) {
    const ToolRun run = tool({c[0], c[1], "-o", "out"});
    EXPECT_EQ(run.exitCode, 1) << c[0];
    EXPECT_THAT(run.err, HasSubstr(c[2]));
    EXPECT_FALSE(fileExists(work.file("out")));
  }
}

// Every command that reads a log goes on with its readable part, with the same
// warning, and refuses it under --strict, writing nothing.
TEST_F(PartialLogTest, EveryAnalysisCommandWarnsAndStrictRefuses) {
  const std::vector<std::vector<std::string>> commands = {
      {"stats", "cut.log", "-o", "out"},
      {"diff", "whole.log", "cut.log", "-o", "out"},
      {"export", "cut.log", "-o", "out"},
      {"report", "cut.log", "-o", "out"},
      {"trace", "cut.log", "-o", "out"},
      {"query", "cut.log", "SELECT 1", "-o", "out"},
      {"export", "whole.log", "cut.log", "--format", "sqlite", "-o", "out"},
  };
  for (std::vector<std::string> args : commands) {
    SCOPED_TRACE(args[0]);
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.err, StartsWith("vyn-profile-log: cut.log: warning: " + where));
    EXPECT_NE(scratch("out"), "");
    std::filesystem::remove(work.file("out"));

    args.push_back("--strict");
    const ToolRun strict = tool(args);
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_EQ(strict.out, "");
    EXPECT_THAT(strict.err, StartsWith("vyn-profile-log: cut.log: " + where));
    EXPECT_THAT(strict.err, HasSubstr("--strict takes only a whole log, so nothing was written; to keep the 2"));
    EXPECT_FALSE(fileExists(work.file("out")));
  }
  // The log table says which log was read whole, and how far.
  const ToolRun logs =
      tool({"query", "whole.log", "cut.log", "SELECT path, records, complete FROM log ORDER BY id", "--format", "csv"});
  EXPECT_EQ(logs.out, "path,records,complete\nwhole.log,3,1\ncut.log,2,0\n");
}

// The report carries a notice at the top, with the log's name escaped.
TEST_F(PartialLogTest, TheReportSaysTheLogIsIncomplete) {
  const std::string name = "a<b>&.log";
  std::filesystem::copy_file(work.file("cut.log"), work.file(name));

  const std::string notice = "<p class=\"incomplete\" role=\"alert\"><strong>Incomplete log";
  const std::string escapedName = "<span class=\"log\">a&lt;b&gt;&amp;.log</span>: the log stops being readable";
  ASSERT_EQ(tool({"report", name, "-o", "report.html"}).exitCode, 0);
  const std::string reportPage = scratch("report.html");
  EXPECT_THAT(reportPage, HasSubstr(notice + ":</strong> " + escapedName));
  EXPECT_THAT(reportPage, HasSubstr("<code class=\"log\">vyn-profile-log repair &#39;a&lt;b&gt;&amp;.log&#39; -o "
                                    "&#39;a&lt;b&gt;&amp;.repaired.log&#39;</code>"));
  EXPECT_LT(reportPage.find(notice), reportPage.find("<table"));
  ASSERT_EQ(tool({"report", "whole.log", "-o", "whole.html"}).exitCode, 0);
  EXPECT_EQ(scratch("whole.html").find("class=\"incomplete\""), std::string::npos);
}

}  // namespace
}  // namespace vyn::testing
