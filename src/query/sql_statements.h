// Running a text of SQL statements, one after another; the rows of the last
// one go to a sink.
#ifndef VYN_QUERY_SQL_STATEMENTS_H_
#define VYN_QUERY_SQL_STATEMENTS_H_

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

namespace vyn::query {

// Where a result goes: its column names once, then each row as the statement
// holds it (read it with sqlite3_column_*).
class ResultSink {
 public:
  virtual ~ResultSink() = default;
  virtual void columns(const std::vector<std::string>& names) = 0;
  virtual void row(sqlite3_stmt* statement) = 0;
  // The rows are all there.
  virtual void finish() = 0;
  // False once writing failed: the run stops then.
  virtual bool healthy() const = 0;
};

// Whether text holds nothing but blanks, semicolons and SQL comments.
bool holdsNoStatement(std::string_view text);

// Runs every statement of sql on db; the rows of the last one go to sink (its
// columns and finish() even when it returns none). Earlier statements' rows
// are read and dropped. False with problem, SQLite's own message, when a
// statement fails (the sink may have had some rows), or when sql holds none.
bool runStatements(sqlite3* db, std::string_view sql, ResultSink& sink, std::string& problem);

}  // namespace vyn::query

#endif  // VYN_QUERY_SQL_STATEMENTS_H_
