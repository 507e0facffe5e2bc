// SQL over a fleet's tables read in place: ids across logs, parents and paths,
// every lookup (by id, parent, occurrence, log) giving what a scan gives,
// statements run in turn, the NULL rules of values and aggregates, and one
// refusal of each kind.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/loaded_log.h"
#include "query/fleet_index.h"
#include "query/sql_connection.h"
#include "query/sql_statements.h"
#include "support/log_builder.h"
#include "support/temp_dir.h"

namespace vyn::query {
namespace {

using testing::Event;
using testing::LogBuilder;
using testing::Message;

constexpr int kExecute = 1;
constexpr std::uint32_t kMicroseconds = 1;

// Each row as its cells joined by '|', NULL as "-"; the header likewise.
class Rows : public ResultSink {
 public:
  void columns(const std::vector<std::string>& names) override {
    for (const std::string& name : names) header += (header.empty() ? "" : "|") + name;
  }
  void row(sqlite3_stmt* statement) override {
    std::string line;
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
      if (column != 0) line += '|';
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      line += text != nullptr ? text : "-";
    }
    rows.push_back(line);
  }
  void finish() override {}
  bool healthy() const override { return true; }
  std::string header;
  std::vector<std::string> rows;
};

Event timed(const std::string& name, std::uint64_t value) {
  return Event::named(name, 300).u64(value).withUnit(kMicroseconds);
}

class FleetTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeLog();
    for (int copy = 0; copy < 2; ++copy) {
      std::string problem;
      logs_.push_back(tools::loadLog(work_.file("run.log"), 127, problem));
      ASSERT_NE(logs_.back(), nullptr) << problem;
    }
    fleet_ = std::make_unique<FleetIndex>(std::vector<const tools::LoadedLog*>{logs_[0].get(), logs_[1].get()});
    tables_ = std::make_unique<FleetTables>(*fleet_);
    ASSERT_TRUE(openFleetConnection(connection_, *tables_)) << connection_.problem();
  }

  // Graph a twice, graph b once, graph k once; a's events nest three deep, k's
  // hold a value of every kind.
  void writeLog() {
    constexpr std::uint32_t kObject = 5, kNone = 6;
    std::vector<Message> runs;
    for (std::uint64_t run = 0; run < 2; ++run) {
      Message execute = Message::of(kExecute).named("a").at(run).timed(100 * run, 100 * run + 50);
      Event first = timed("L1", 10);
      Event middle = timed("S1", 3);
      middle.sub(timed("T1", 1));
      first.sub(std::move(middle)).sub(timed("S2", 4));
      execute.event(std::move(first)).event(timed("L2", 5));
      runs.push_back(std::move(execute));
    }
    runs.push_back(Message::of(kExecute).named("b").at(0).timed(300, 340).event(timed("L1", 7)));
    Message kinds = Message::of(kExecute).named("k").at(0).timed(0, 10);
    kinds.event(Event::named("signed", 1).i64(-4).withUnit(kMicroseconds))
        .event(Event::named("huge", 2).u64(UINT64_MAX).withUnit(3))
        .event(Event::named("single", 3).f32(0.1f).withUnit(kNone))
        .event(Event::named("double", 4).f64(2.5).withUnit(2))
        .event(Event::named("nan", 5).f64(std::nan("")).withUnit(kMicroseconds))
        .event(Event::named("text", 6).text("fast, \"really\"").withUnit(kNone))
        .event(Event::named("blob", 7).data({1, 2}).withUnit(kObject))
        .event(Event::named("units", 5004).u64(5).withUnit(kNone))
        .event(Event::named("empty", 9));
    runs.push_back(std::move(kinds));
    LogBuilder log;
    log.messages(std::move(runs));
    log.writeTo(work_.file("run.log"));
  }

  // The rows of sql after its header, or after its problem ("error: ...").
  std::vector<std::string> answer(std::string_view sql) {
    Rows sink;
    std::string problem;
    const bool ran = runStatements(connection_.db(), sql, sink, problem);
    sink.rows.insert(sink.rows.begin(), ran ? sink.header : "error: " + problem);
    return sink.rows;
  }
  std::vector<std::string> rows(const std::string& sql) {
    std::vector<std::string> all = answer(sql);
    EXPECT_EQ(all.at(0).rfind("error: ", 0), std::string::npos) << sql << ": " << all[0];
    return std::vector<std::string>(all.begin() + 1, all.end());
  }

  testing::TempDir work_;
  std::vector<std::unique_ptr<tools::LoadedLog>> logs_;
  std::unique_ptr<FleetIndex> fleet_;
  std::unique_ptr<FleetTables> tables_;
  SqlConnection connection_;
};

TEST_F(FleetTablesTest, EveryLookupGivesWhatAScanGives) {
  const std::string columns = "id, log_id, occurrence_id, parent_id, depth, name, path, kind, value, unit, text";
  // (table, key column, values to look up): the lookup's rows against the
  // scan's rows filtered by the same key, written so that no index is used.
  const struct {
    const char* table;
    const char* key;
    const char* columns;
    int last;
  } kKeys[] = {
      {"event", "id", nullptr, 41},
      {"event", "rowid", nullptr, 41},
      {"event", "parent_id", nullptr, 41},
      {"event", "occurrence_id", nullptr, 9},
      {"event", "log_id", nullptr, 3},
      {"occurrence", "id", "*", 9},
      {"occurrence", "log_id", "*", 3},
      {"occurrence", "graph_id", "*", 7},
      {"graph", "id", "*", 7},
      {"graph", "log_id", "*", 3},
      {"log", "id", "id, path, complete", 3},
  };
  for (const auto& key : kKeys) {
    const std::string shown = key.columns != nullptr ? key.columns : columns;
    for (int value = -1; value <= key.last; ++value) {
      const std::string select = "SELECT " + shown + " FROM " + key.table + " WHERE ";
      const std::string lookedUp = select + key.key + " = " + std::to_string(value);
      const std::string scanned = select + "+" + key.key + " = " + std::to_string(value);
      EXPECT_EQ(rows(lookedUp), rows(scanned)) << lookedUp;
    }
    // Values that name no row.
    for (const char* odd : {"'x'", "2.5", "NULL", "9223372036854775807"}) {
      const std::string sql = std::string("SELECT count(*) FROM ") + key.table + " WHERE " + key.key + " = " + odd;
      EXPECT_EQ(rows(sql), std::vector<std::string>{"0"}) << sql;
    }
  }
  // Sub-events found through their parent, joined both ways.
  EXPECT_EQ(rows("SELECT p.id, c.id FROM event AS p JOIN event AS c ON c.parent_id = p.id ORDER BY c.id"),
            rows("SELECT parent_id, id FROM event WHERE parent_id IS NOT NULL ORDER BY id"));
}

TEST(SqlStatements, OnlyBlanksSemicolonsAndCommentsHoldNoStatement) {
  const std::pair<const char*, bool> kCases[] = {
      {"", true},          {" ;\n\t; ", true},        {"-- all\n", true},   {"/* a */ -- b", true}, {"/* open", true},
      {"SELECT 1", false}, {"-- a\nSELECT 1", false}, {"/* a */ x", false}, {"- 1", false},         {"/x", false},
  };
  for (const auto& [text, none] : kCases) EXPECT_EQ(holdsNoStatement(text), none) << text;
}

// Answers worked out from the log above: ids numbered in pre-order across the
// fleet, values, units and texts as the export's cells (no value where its
// cell is empty) with their kind. Statements run in turn and the last one's
// rows are the result; a failing one stops the run with its problem and no
// rows. percentile() and median() as stats interpolates them (tools_sql
// compares the two); here what SQL adds: NULLs left out, texts read as
// numbers. One refusal of each kind.
TEST_F(FleetTablesTest, AnswersAndRefusals) {
  const struct {
    std::string_view sql;
    std::vector<std::string> answer;
  } kCases[] = {
      {"SELECT id, log_id, occurrence_id, parent_id, depth, path FROM event WHERE id <= 5 OR id IN (11, 12, 21, 23)",
       {"id|log_id|occurrence_id|parent_id|depth|path", "1|1|1|-|0|L1", "2|1|1|1|1|L1 / S1", "3|1|1|2|2|L1 / S1 / T1",
        "4|1|1|1|1|L1 / S2", "5|1|1|-|0|L2", "11|1|3|-|0|L1", "12|1|4|-|0|signed", "21|2|5|-|0|L1",
        "23|2|5|22|2|L1 / S1 / T1"}},
      {"SELECT count(*) AS n FROM event", {"n", "40"}},
      {"SELECT id, log_id, name FROM graph", {"id|log_id|name", "1|1|a", "2|1|b", "3|1|k", "4|2|a", "5|2|b", "6|2|k"}},
      {"SELECT id, log_id, graph_id, phase, occurrence, duration_us FROM occurrence WHERE log_id = 2",
       {"id|log_id|graph_id|phase|occurrence|duration_us", "5|2|4|execute|0|50", "6|2|4|execute|1|50",
        "7|2|5|execute|0|40", "8|2|6|execute|0|10"}},
      {"SELECT log_id, graph, occurrence, duration_us FROM execution WHERE log_id = 1",
       {"log_id|graph|occurrence|duration_us", "1|a|0|50", "1|a|1|50", "1|b|0|40", "1|k|0|10"}},
      {"SELECT name, kind, typeof(value), value, unit, text FROM event WHERE occurrence_id = 4",
       {"name|kind|typeof(value)|value|unit|text", "signed|signed|integer|-4|us|-",
        "huge|unsigned|real|1.84467440737096e+19|cycles|-",
        "single|single|real|0.1|none|-",  // the single's shortest text, not 0.100000001490116
        "double|double|real|2.5|bytes|-", "nan|double|null|-|us|-", "text|text|null|-|none|fast, \"really\"",
        "blob|object|null|-|object|-", "units|units|null|-|none|ZEL, DMA", "empty|none|null|-|us|-"}},
      {"SELECT count(*) AS n FROM event WHERE log_id = 2 AND name = 'huge' AND value = 18446744073709551615.0",
       {"n", "1"}},
      {"SELECT 'a' AS x; SELECT 'b' AS y UNION ALL SELECT 'c';", {"y", "b", "c"}},
      {"CREATE TEMP TABLE t(v); INSERT INTO t VALUES ('p'), ('q'); SELECT v FROM t; -- done", {"v", "p", "q"}},
      {"SELECT 'a' AS x; CREATE TEMP TABLE u(w)", {""}},
      {"SELEC 1", {"error: near \"SELEC\": syntax error"}},
      {std::string_view("SELECT 1;\0SELECT 2", 18), {"error: the SQL holds a NUL byte (at byte 9)"}},
      {"SELECT 1; SELECT * FROM nowhere; SELECT 2", {"error: no such table: nowhere"}},
      {"  -- only a comment", {"error: the SQL holds no statement"}},
      // 1 5 7: not 0 0 1 5 7 with NULLs as zeros (1), nor 1 5 without the text (3).
      {"WITH t(x) AS (VALUES (NULL),(5),(NULL),(1),('7')) SELECT median(x) AS m FROM t", {"m", "5.0"}},
      {"WITH t(x) AS (VALUES (NULL),(NULL)) SELECT percentile(x, 50) AS p FROM t", {"p", "-"}},
      {"SELECT median(id) AS m FROM graph WHERE 0", {"m", "-"}},
      {"SELECT percentile(1, 'high')", {"error: percentile(x, p): p must be a number from 0 to 100"}},
      {"SELECT percentile(id, id) FROM graph",
       {"error: percentile(x, p): p must be the same for every row of a group"}},
      {"SELECT median('slow')", {"error: median(): the values must be numbers, not text or blobs"}},
      {"UPDATE occurrence SET duration_us = 0", {"error: table occurrence may not be modified"}},
  };
  for (const auto& c : kCases) EXPECT_EQ(answer(c.sql), c.answer) << c.sql;
}

}  // namespace
}  // namespace vyn::query
