// percentile(x, p) and median(x): stats' interpolation between the closest
// ranks, NULLs left out, and the errors a user can act on.
#include "query/percentile_aggregates.h"

#include <gmock/gmock.h>

#include <string>

#include "query/sql_connection.h"

namespace vyn::query {
namespace {

// The first column of the only row of sql, as text ("NULL" for NULL), or the error.
std::string answer(const std::string& sql) {
  SqlConnection connection;
  EXPECT_TRUE(connection.open(":memory:"));
  EXPECT_EQ(registerPercentileAggregates(connection.db()), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  std::string result;
  if (sqlite3_prepare_v2(connection.db(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    result = std::string("error: ") + sqlite3_errmsg(connection.db());
  } else if (sqlite3_step(statement) != SQLITE_ROW) {
    result = std::string("error: ") + sqlite3_errmsg(connection.db());
  } else if (sqlite3_column_type(statement, 0) == SQLITE_NULL) {
    result = "NULL";
  } else {
    result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  }
  sqlite3_finalize(statement);
  return result;
}

TEST(PercentileAggregates, InterpolateBetweenTheClosestRanksAndLeaveNullsOut) {
  // (values, aggregate) -> the answer worked out by hand: rank (n - 1) p / 100.
  const struct {
    const char* values;
    const char* aggregate;
    const char* expected;
  } kCases[] = {
      {"(4),(1),(3),(2)", "percentile(x, 50)", "2.5"},                           // rank 1.5 between 2 and 3
      {"(4),(1),(3),(2)", "median(x)", "2.5"},                                   //
      {"(3),(1),(2)", "median(x)", "2.0"},                                       // rank 1
      {"(10)", "percentile(x, 99)", "10.0"},                                     // one value
      {"(1),(2),(3),(4),(5),(6),(7),(8),(9),(10)", "percentile(x, 90)", "9.1"},  // rank 8.1
      {"(1300),(1500)", "percentile(x, 99)", "1498.0"},                          // rank 0.99
      {"(NULL),(5),(NULL),(1)", "percentile(x, 0)", "1.0"},
      {"(NULL),(5),(NULL),(1)", "percentile(x, 100)", "5.0"},
      {"(NULL),(NULL)", "median(x)", "NULL"},  // no value: NULL
      {"(2.5),(0.5)", "median(x)", "1.5"},     // reals
      {"('7'),(3)", "median(x)", "5.0"},       // a text that reads as a number
  };
  for (const auto& c : kCases) {
    const std::string sql = "WITH t(x) AS (VALUES " + std::string(c.values) + ") SELECT " + c.aggregate + " FROM t";
    EXPECT_EQ(answer(sql), c.expected) << sql;
  }
  EXPECT_EQ(answer("SELECT median(x) FROM (SELECT 1 AS x WHERE 0)"), "NULL");  // no rows
}

TEST(PercentileAggregates, RefuseWhatHasNoPercentile) {
  const struct {
    const char* sql;
    const char* error;
  } kCases[] = {
      {"SELECT percentile(1, 101)", "p must be a number from 0 to 100"},
      {"SELECT percentile(1, -0.5)", "p must be a number from 0 to 100"},
      {"SELECT percentile(1, 'high')", "p must be a number from 0 to 100"},
      {"SELECT percentile(1, NULL)", "p must be a number from 0 to 100"},
      {"WITH t(x) AS (VALUES (1),(2)) SELECT percentile(x, x) FROM t", "p must be the same for every row"},
      {"SELECT median('slow')", "the values must be numbers"},
  };
  for (const auto& c : kCases) EXPECT_THAT(answer(c.sql), ::testing::HasSubstr(c.error)) << c.sql;
}

}  // namespace
}  // namespace vyn::query
