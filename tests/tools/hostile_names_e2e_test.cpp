// Names in a log are arbitrary bytes. A log whose graph, event and text names
// hold control sequences, ill-formed UTF-8, line breaks, separators, markup, a
// very long name and an empty one goes through every command and format: none
// may crash, JSON stays valid, a table keeps one line per row, a CSV file one
// record per row, and no control byte reaches standard output raw from text
// meant for a terminal. The plug-in's reports write names as their format
// defines and are only required to succeed.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "base/utf8.h"
#include "support/log_builder.h"
#include "tool_runner.h"
#include "vyn/profiling/profile_event.h"

namespace vyn::testing {
namespace {

constexpr int kExecute = 1, kFinalize = 2, kInit = 6, kComposeGraph = 7;
namespace EventUnit = profiling::EventUnit;

// Hostile names and, at the same index, tame ones of the same shape: distinct,
// empty where the hostile one is empty.
const std::vector<std::string> kHostile = {"evil\x1b[2J\x1b[31mRED",
                                           "bad\xff\xfe\xc3",
                                           "two\nlines\r\nthree",
                                           "semi;colon,comma\"quote",
                                           "<script>alert(1)</script>&amp;",
                                           std::string(300, 'L'),
                                           "",
                                           "csi\xc2\x9b"
                                           "31m\x7f",
                                           "tab\there\\back"};
const std::vector<std::string> kTame = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "", "golf", "hotel"};

// Three graphs, each composed, finalized and executed 12 times; every execution
// has timed events (one with timed sub-events), a cycles event, a text value
// and an object-valued event whose data file is named like the graph.
void writeLog(const std::vector<std::string>& names, const std::string& path) {
  LogBuilder log;
  log.messages(
      {Message::of(kInit).lasting(50).event(Event::named(names[0], 100).u64(7).withUnit(EventUnit::Microseconds))});
  const std::size_t graphs = 3;
  for (std::size_t g = 0; g < graphs; ++g) {
    const std::string& graph = names[g * 3];
    log.messages(
        {Message::of(kComposeGraph).named(graph).lasting(30), Message::of(kFinalize).named(graph).lasting(20)});
    std::vector<Message> executions;
    for (std::uint64_t run = 0; run < 12; ++run) {
      Message execute = Message::of(kExecute).named(graph).at(run).timed(1000 * run, 1000 * run + 900 + run);
      for (std::size_t e = 0; e < names.size(); ++e) {
        Event event = Event::named(names[e], 300).u64(10 + e + run % 3).withUnit(EventUnit::Microseconds);
        if (e == 1) {
          event.sub(Event::named(names[(e + 4) % names.size()], 301).u64(3).withUnit(EventUnit::Microseconds))
              .sub(Event::named(names[(e + 5) % names.size()], 301).u64(2000).withUnit(EventUnit::Cycles));
        }
        execute.event(std::move(event));
      }
      execute.event(Event::named("value", 300).text(names[(g + run) % names.size()]));
      execute.event(Event::named("blob", 122).data({1, 2, 3}).withUnit(EventUnit::Object).withDetail(graph + ".bin"));
      executions.push_back(std::move(execute));
    }
    log.messages(std::move(executions));
  }
  log.writeTo(path);
}

// Where text holds what a terminal would take as a control (C0 but the line
// feed, DEL, C1, bytes that are not UTF-8), with the bytes around it; empty
// when it holds none.
std::string rawControl(const std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    const base::Utf8Sequence sequence = base::utf8SequenceAt(text, at);
    const bool control = (c < 0x20 && c != '\n') || c == 0x7F || !sequence.wellFormed ||
                         (c == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0);
    if (control) {
      const std::size_t from = at < 40 ? 0 : at - 40;
      return "byte " + std::to_string(at) + " in: " +
             nlohmann::json(text.substr(from, 80)).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    }
    at += sequence.length;
  }
  return {};
}

std::ptrdiff_t lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// Records of RFC 4180 CSV: a line break inside double quotes is part of a field.
std::size_t csvRecords(const std::string& text) {
  std::size_t records = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == '\n' && !quoted) ++records;
  }
  EXPECT_FALSE(quoted) << "a quoted field is never closed";
  return records;
}

bool everyLineIsJson(const std::string& text) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!nlohmann::json::accept(line)) return false;
  }
  return true;
}

enum class Form { Terminal, Csv, JsonDocument, JsonLines };

// Every name a query can show: graphs, events and their paths, text values,
// and texts made of them.
constexpr const char* kEveryName =
    "SELECT g.name AS graph, e.name, e.path, e.text, e.name || char(10) || e.text FROM event AS e "
    "JOIN occurrence AS o ON o.id = e.occurrence_id LEFT JOIN graph AS g ON g.id = o.graph_id "
    "UNION ALL SELECT name, name, name, name, name FROM graph";

class HostileNamesTest : public ToolTest {
 protected:
  void SetUp() override {
    writeLog(kHostile, work.file("hostile.log"));
    writeLog(kTame, work.file("tame.log"));
  }
};

TEST_F(HostileNamesTest, EveryCommandAndFormatKeepsItsFormWhateverTheNames) {
  // "LOG" stands for the log.
  const std::pair<std::vector<std::string>, Form> kCases[] = {
      {{"check", "LOG"}, Form::Terminal},
      {{"stats", "LOG"}, Form::Terminal},
      {{"stats", "LOG", "--verbose"}, Form::Terminal},
      {{"stats", "LOG", "--format", "csv"}, Form::Csv},
      {{"stats", "LOG", "--format", "json"}, Form::JsonDocument},
      {{"diff", "LOG", "LOG"}, Form::Terminal},
      {{"diff", "LOG", "LOG", "--format", "json"}, Form::JsonDocument},
      {{"export", "LOG", "-o", "-"}, Form::Csv},
      {{"export", "LOG", "-o", "-", "--format", "jsonl"}, Form::JsonLines},
      {{"export", "LOG", "-o", "-", "--format", "folded"}, Form::Terminal},
      {{"dump", "LOG", "-o", "-"}, Form::JsonDocument},
      {{"trace", "LOG", "-o", "-"}, Form::JsonDocument},
      {{"query", "LOG", kEveryName}, Form::Terminal},
      {{"query", "LOG", kEveryName, "--format", "csv"}, Form::Csv},
      {{"query", "LOG", kEveryName, "--format", "json"}, Form::JsonDocument},
  };
  for (const auto& [args, form] : kCases) {
    const std::string what = ::testing::PrintToString(args);
    std::vector<std::string> hostileArgs = args, tameArgs = args;
    std::replace(hostileArgs.begin(), hostileArgs.end(), std::string("LOG"), std::string("hostile.log"));
    std::replace(tameArgs.begin(), tameArgs.end(), std::string("LOG"), std::string("tame.log"));
    const ToolRun hostile = tool(hostileArgs), tame = tool(tameArgs);
    ASSERT_EQ(hostile.exitCode, tame.exitCode) << what << "\n" << hostile.err;
    EXPECT_THAT(hostile.exitCode, ::testing::AnyOf(0, 3)) << what << "\n" << hostile.err;
    EXPECT_EQ(rawControl(hostile.err), "") << what;
    switch (form) {
      case Form::Terminal:
        EXPECT_EQ(rawControl(hostile.out), "") << what;
        [[fallthrough]];
      case Form::JsonLines:  // a table and JSON Lines keep one line per row
        EXPECT_EQ(lines(hostile.out), lines(tame.out)) << what << "\n" << hostile.out;
        EXPECT_TRUE(form == Form::Terminal || everyLineIsJson(hostile.out)) << what;
        break;
      case Form::Csv:
        EXPECT_EQ(csvRecords(hostile.out), csvRecords(tame.out)) << what << "\n" << hostile.out;
        break;
      case Form::JsonDocument:
        EXPECT_TRUE(nlohmann::json::accept(hostile.out)) << what << "\n" << hostile.out;
        break;
    }
  }
}

// Markup in a graph, an event or the log's own name shows as text, in an
// attribute too; no control byte reaches the page raw.
TEST_F(HostileNamesTest, PagesShowMarkupAsTextHoldNoRawControlAndThePluginsReportsSucceed) {
  writeFile(work.file("<b>run&.log"), scratch("hostile.log"));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"report", "<b>run&.log", "-o", "page.html"},
        std::vector<std::string>{"diff", "<b>run&.log", "hostile.log", "--format", "html", "-o", "page.html"}}) {
    const ToolRun run = tool(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::string page = scratch("page.html");
    for (const char* raw : {"<script", "<b>", "comma\"quote"}) EXPECT_EQ(page.find(raw), std::string::npos) << raw;
    for (const char* text : {"&lt;script&gt;alert(1)&lt;/script&gt;&amp;amp;", "title=\"semi;colon,comma&quot;quote",
                             "&lt;b&gt;run&amp;.log"}) {
      EXPECT_NE(page.find(text), std::string::npos) << args[0] << ": " << text;
    }
    // Tabs and carriage returns are blanks to HTML.
    std::replace(page.begin(), page.end(), '\t', ' ');
    std::replace(page.begin(), page.end(), '\r', ' ');
    EXPECT_EQ(rawControl(page), "") << args[0];
  }

  // The plug-in's reports, through the viewer with both readers, data files on.
  for (const char* reader : {"", "--generic"}) {
    std::vector<std::string> args = {"--csv", "report.csv", "--data-files", "hostile.log"};
    if (*reader != 0) args.insert(args.begin(), reader);
    const ToolRun run = view(args);
    EXPECT_EQ(run.exitCode, 0) << reader << run.err;
    EXPECT_EQ(rawControl(run.err), "") << reader;
  }
}

}  // namespace
}  // namespace vyn::testing
