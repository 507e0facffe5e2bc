#include "query/fleet_schema.h"

#include <stdexcept>

namespace vyn::query {

const std::vector<TableSpec>& fleetTables() {
  static const std::vector<TableSpec> kTables{
      {"log",
       {{"id", "INTEGER"},
        {"path", "TEXT"},
        {"bytes", "INTEGER"},
        {"records", "INTEGER"},
        {"complete", "INTEGER"},
        {"time_scale", "REAL"},
        {"epoch_timestamp_us", "INTEGER"},
        {"steady_clock_timestamp", "INTEGER"},
        {"generator_name", "TEXT"},
        {"generator_version", "TEXT"},
        {"backend_version", "TEXT"},
        {"generated_by_updater", "INTEGER"}},
       {}},
      {"graph", {{"id", "INTEGER"}, {"log_id", "INTEGER"}, {"name", "TEXT"}}, {"log_id"}},
      {"occurrence",
       {{"id", "INTEGER"},
        {"log_id", "INTEGER"},
        {"graph_id", "INTEGER"},
        {"phase", "TEXT"},
        {"occurrence", "INTEGER"},
        {"timestamp_us", "INTEGER"},
        {"duration_us", "INTEGER"},
        {"queue_wait_us", "INTEGER"}},
       {"log_id", "graph_id"}},
      {"event",
       {{"id", "INTEGER"},
        {"log_id", "INTEGER"},
        {"occurrence_id", "INTEGER"},
        {"parent_id", "INTEGER"},
        {"depth", "INTEGER"},
        {"name", "TEXT"},
        {"path", "TEXT"},
        {"identifier", "INTEGER"},
        {"kind", "TEXT"},
        {"value", ""},
        {"unit", "TEXT"},
        {"text", "TEXT"}},
       {"occurrence_id", "parent_id"}},
  };
  return kTables;
}

const TableSpec& fleetTable(std::string_view name) {
  for (const TableSpec& table : fleetTables()) {
    if (table.name == name) return table;
  }
  throw std::logic_error("no fleet table named " + std::string(name));
}

std::string tableDeclaration(const TableSpec& table, std::string_view name, bool idIsRowid) {
  std::string sql = "CREATE TABLE ";
  sql += name;
  sql += '(';
  bool first = true;
  for (const ColumnSpec& column : table.columns) {
    if (!first) sql += ", ";
    sql += column.name;
    if (!column.type.empty()) {
      sql += ' ';
      sql += column.type;
    }
    if (first && idIsRowid) sql += " PRIMARY KEY";
    first = false;
  }
  sql += ')';
  return sql;
}

std::string viewDeclarations(std::string_view schema) {
  std::string sql = "CREATE VIEW ";
  sql += schema;
  sql +=
      ".execution AS SELECT o.log_id AS log_id, g.name AS graph, o.occurrence AS occurrence, "
      "o.timestamp_us AS timestamp_us, o.duration_us AS duration_us, o.queue_wait_us AS queue_wait_us "
      "FROM occurrence AS o JOIN graph AS g ON g.id = o.graph_id WHERE o.phase = 'execute';";
  return sql;
}

}  // namespace vyn::query
