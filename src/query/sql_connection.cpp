#include "query/sql_connection.h"

#include "query/fleet_schema.h"
#include "query/percentile_aggregates.h"
#include "query/virtual_table.h"

namespace vyn::query {

int FleetTables::registerIn(sqlite3* db) const {
  int status = VirtualTable<IndexedTable>::registerIn(db, "fleet_log", log_);
  if (status == SQLITE_OK) status = VirtualTable<IndexedTable>::registerIn(db, "fleet_graph", graph_);
  if (status == SQLITE_OK) status = VirtualTable<IndexedTable>::registerIn(db, "fleet_occurrence", occurrence_);
  if (status == SQLITE_OK) status = VirtualTable<EventTable>::registerIn(db, "fleet_event", event_);
  return status;
}

SqlConnection::~SqlConnection() { sqlite3_close_v2(db_); }

bool SqlConnection::open(const std::string& path) {
  const int status = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (status != SQLITE_OK) {
    problem_ = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(status);
    return false;
  }
  sqlite3_extended_result_codes(db_, 1);
  return true;
}

bool SqlConnection::failed() {
  problem_ = sqlite3_errmsg(db_);
  return false;
}

bool SqlConnection::execute(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  problem_ = message != nullptr ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  return false;
}

bool openFleetConnection(SqlConnection& connection, const FleetTables& tables) {
  if (!connection.open(":memory:")) return false;
  if (tables.registerIn(connection.db()) != SQLITE_OK) return connection.failed();
  if (registerPercentileAggregates(connection.db()) != SQLITE_OK) return connection.failed();
  std::string sql;
  for (const TableSpec& table : fleetTables()) {
    sql += "CREATE VIRTUAL TABLE ";
    sql += table.name;
    sql += " USING fleet_";
    sql += table.name;
    sql += ";";
  }
  sql += viewDeclarations("main");
  return connection.execute(sql);
}

}  // namespace vyn::query
