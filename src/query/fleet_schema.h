// The tables of a fleet as SQL sees them: the same columns in a query over
// loaded logs (virtual tables) and in an exported database (real tables).
#ifndef VYN_QUERY_FLEET_SCHEMA_H_
#define VYN_QUERY_FLEET_SCHEMA_H_

#include <string>
#include <string_view>
#include <vector>

namespace vyn::query {

struct ColumnSpec {
  std::string_view name;
  std::string_view type;  // a declared type; empty for a column of numbers of either kind
};

struct TableSpec {
  std::string_view name;
  std::vector<ColumnSpec> columns;  // the first is "id"
  // The columns besides id a database indexes: those looked up by; an index
  // leaves out the rows where its column is NULL (top-level events' parent).
  std::vector<std::string_view> keys;
};

// log, graph, occurrence, event: in the order they are written.
const std::vector<TableSpec>& fleetTables();
const TableSpec& fleetTable(std::string_view name);

// "CREATE TABLE name(...)" with the table's columns; for a database, id is
// the INTEGER PRIMARY KEY (the rowid).
std::string tableDeclaration(const TableSpec& table, std::string_view name, bool idIsRowid);

// The views over the tables (execution), as CREATE VIEW statements; schema
// names where they go ("temp" or "main").
std::string viewDeclarations(std::string_view schema);

}  // namespace vyn::query

#endif  // VYN_QUERY_FLEET_SCHEMA_H_
