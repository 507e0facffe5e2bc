#include "query/sql_statements.h"

#include <climits>
#include <string>

namespace vyn::query {
namespace {

// A prepared statement, finalized when it goes.
class Statement {
 public:
  ~Statement() { sqlite3_finalize(statement_); }
  sqlite3_stmt** slot() { return &statement_; }
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace

bool holdsNoStatement(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == ';') {
      ++at;
    } else if (text.compare(at, 2, "--") == 0) {
      const std::size_t end = text.find('\n', at);
      at = end == std::string_view::npos ? text.size() : end + 1;
    } else if (text.compare(at, 2, "/*") == 0) {
      const std::size_t end = text.find("*/", at + 2);
      at = end == std::string_view::npos ? text.size() : end + 2;
    } else {
      return false;
    }
  }
  return true;
}

bool runStatements(sqlite3* db, std::string_view sql, ResultSink& sink, std::string& problem) {
  if (holdsNoStatement(sql)) {
    problem = "the SQL holds no statement";
    return false;
  }
  // SQLite reads a statement up to a NUL byte: what follows would be lost.
  const std::size_t nul = sql.find('\0');
  if (nul != std::string_view::npos) {
    problem = "the SQL holds a NUL byte (at byte " + std::to_string(nul) + ")";
    return false;
  }
  if (sql.size() > static_cast<std::size_t>(INT_MAX)) {
    problem = "the SQL is too long";
    return false;
  }
  const char* rest = sql.data();
  const char* const end = sql.data() + sql.size();
  while (!holdsNoStatement(std::string_view(rest, static_cast<std::size_t>(end - rest)))) {
    Statement statement;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, rest, static_cast<int>(end - rest), statement.slot(), &tail) != SQLITE_OK) {
      problem = sqlite3_errmsg(db);
      return false;
    }
    if (tail == nullptr || tail <= rest) {
      problem = "the SQL could not be read past byte " + std::to_string(rest - sql.data());
      return false;
    }
    rest = tail;
    if (statement.get() == nullptr) continue;  // a comment alone
    const bool last = holdsNoStatement(std::string_view(rest, static_cast<std::size_t>(end - rest)));
    if (last) {
      std::vector<std::string> names;
      const int count = sqlite3_column_count(statement.get());
      for (int column = 0; column < count; ++column) {
        const char* name = sqlite3_column_name(statement.get(), column);
        names.emplace_back(name != nullptr ? name : "");
      }
      sink.columns(names);
    }
    int status;
    while ((status = sqlite3_step(statement.get())) == SQLITE_ROW) {
      if (!last) continue;
      sink.row(statement.get());
      if (!sink.healthy()) return false;
    }
    if (status != SQLITE_DONE) {
      problem = sqlite3_errmsg(db);
      return false;
    }
    if (last) sink.finish();
  }
  return true;
}

}  // namespace vyn::query
