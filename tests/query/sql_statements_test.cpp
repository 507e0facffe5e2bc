// Several statements in one text: each runs, the last one's rows are the result.
#include "query/sql_statements.h"

#include <gmock/gmock.h>

#include "query/sql_connection.h"

namespace vyn::query {
namespace {

class Collect : public ResultSink {
 public:
  void columns(const std::vector<std::string>& names) override { header = names; }
  void row(sqlite3_stmt* statement) override {
    rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
  }
  void finish() override { finished = true; }
  bool healthy() const override { return true; }

  std::vector<std::string> header;
  std::vector<std::string> rows;
  bool finished = false;
};

TEST(SqlStatements, OnlyBlanksSemicolonsAndCommentsHoldNoStatement) {
  const std::pair<const char*, bool> kCases[] = {
      {"", true},          {" ;\n\t; ", true},        {"-- all\n", true},   {"/* a */ -- b", true}, {"/* open", true},
      {"SELECT 1", false}, {"-- a\nSELECT 1", false}, {"/* a */ x", false}, {"- 1", false},         {"/x", false},
  };
  for (const auto& [text, none] : kCases) EXPECT_EQ(holdsNoStatement(text), none) << text;
}

// The last statement's rows are the result; a failing statement stops the run
// with SQLite's own message, and no rows come of it.
TEST(SqlStatements, TheLastStatementsRowsAreTheResultUnlessOneFails) {
  const struct {
    std::string_view sql;
    std::vector<std::string> header, rows;
    std::string problem;
  } kCases[] = {
      {"SELECT 'a' AS x", {"x"}, {"a"}, ""},
      {"SELECT 'a' AS x; SELECT 'b' AS y UNION ALL SELECT 'c';", {"y"}, {"b", "c"}, ""},
      {"CREATE TABLE t(v); INSERT INTO t VALUES ('p'), ('q'); SELECT v FROM t; -- done", {"v"}, {"p", "q"}, ""},
      {"SELECT 'a' AS x; CREATE TABLE u(w)", {}, {}, ""},  // the last returns nothing
      {"SELEC 1", {}, {}, "near \"SELEC\": syntax error"},
      {std::string_view("SELECT 1;\0SELECT 2", 18), {}, {}, "the SQL holds a NUL byte (at byte 9)"},
      {"CREATE TABLE t(v); SELECT w FROM t", {}, {}, "no such column: w"},
      {"SELECT 1; SELECT * FROM nowhere; SELECT 2", {}, {}, "no such table: nowhere"},
      {"  -- only a comment", {}, {}, "the SQL holds no statement"},
  };
  for (const auto& c : kCases) {
    SqlConnection connection;
    ASSERT_TRUE(connection.open(":memory:"));
    Collect sink;
    std::string problem;
    EXPECT_EQ(runStatements(connection.db(), c.sql, sink, problem), c.problem.empty()) << c.sql;
    EXPECT_EQ(problem, c.problem) << c.sql;
    EXPECT_EQ(sink.rows, c.rows) << c.sql;
    if (c.problem.empty()) {
      EXPECT_EQ(sink.header, c.header) << c.sql;
      EXPECT_TRUE(sink.finished) << c.sql;
    }
  }
}

}  // namespace
}  // namespace vyn::query
