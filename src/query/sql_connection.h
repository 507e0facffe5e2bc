// A SQLite connection that sees a fleet of loaded logs: the fleet's tables
// as virtual tables over the models, the execution view and the percentile
// aggregates.
#ifndef VYN_QUERY_SQL_CONNECTION_H_
#define VYN_QUERY_SQL_CONNECTION_H_

#include <sqlite3.h>

#include <memory>
#include <string>

#include "query/event_table.h"
#include "query/fleet_index.h"
#include "query/indexed_tables.h"

namespace vyn::query {

// The fleet's tables as modules, registered under the names "fleet_log",
// "fleet_graph", "fleet_occurrence" and "fleet_event" (each usable in a query
// by that name). They read fleet, which must outlive the connection.
class FleetTables {
 public:
  explicit FleetTables(const FleetIndex& fleet) : log_(fleet), graph_(fleet), occurrence_(fleet), event_(fleet) {}
  // SQLITE_OK, or the error of the registration that failed.
  int registerIn(sqlite3* db) const;

 private:
  LogTable log_;
  GraphTable graph_;
  OccurrenceTable occurrence_;
  EventTable event_;
};

// An open connection, closed when it goes.
class SqlConnection {
 public:
  SqlConnection() = default;
  ~SqlConnection();
  SqlConnection(const SqlConnection&) = delete;
  SqlConnection& operator=(const SqlConnection&) = delete;

  // Opens the database at path (":memory:" for none); false with problem().
  bool open(const std::string& path);
  // Runs statements that return no rows; false with problem().
  bool execute(const std::string& sql);
  sqlite3* db() const { return db_; }
  const std::string& problem() const { return problem_; }
  // Keeps SQLite's message about the latest failure.
  bool failed();

 private:
  sqlite3* db_ = nullptr;
  std::string problem_;
};

// A connection over a fleet in memory: the tables log, graph, occurrence and
// event, the view execution, and percentile and median. False with the
// connection's problem().
bool openFleetConnection(SqlConnection& connection, const FleetTables& tables);

}  // namespace vyn::query

#endif  // VYN_QUERY_SQL_CONNECTION_H_
