#include "query/database_export.h"

#include <unistd.h>

#include "base/input_protection.h"
#include "base/replacement_file.h"
#include "query/fleet_schema.h"
#include "query/sql_connection.h"

namespace vyn::query {
namespace {

// The statements that fill the database from the fleet's virtual tables:
// each table with id as its rowid and its indexes, then its rows in id order.
// The ids are left to SQLite: a fleet's ids run from 1 without gaps in scan
// order, which is what an empty table gives its rows one by one, and SQLite
// then appends each row without first looking its id up.
// The keys arrive nearly in order (an event's occurrence and parent come before
// it), so the indexes grow at their end as the rows come in, which costs less
// than sorting them all once the rows are in. An event's log needs no index:
// each log's events are one range of ids.
std::string fillingStatements() {
  std::string sql =
      "PRAGMA page_size = 65536; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
      "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -262144; PRAGMA threads = 2; BEGIN;";
  for (const TableSpec& table : fleetTables()) {
    const std::string name(table.name);
    sql += tableDeclaration(table, name, true) + ";";
    for (std::string_view key : table.keys) {
      const std::string column(key);
      sql +=
          "CREATE INDEX " + name + "_" + column + " ON " + name + "(" + column + ") WHERE " + column + " IS NOT NULL;";
    }
    std::string columns;  // all but the id
    for (std::size_t i = 1; i < table.columns.size(); ++i) {
      if (i > 1) columns += ", ";
      columns += table.columns[i].name;
    }
    sql += "INSERT INTO " + name + "(" + columns + ") SELECT " + columns + " FROM fleet_" + name + ";";
  }
  sql += viewDeclarations("main");
  sql += "COMMIT;";
  return sql;
}

}  // namespace

bool writeFleetDatabase(const FleetIndex& fleet, const std::string& path, const std::vector<std::string>& inputs,
                        std::string& problem) {
  if (path == "-") {
    problem = "a database cannot be written to standard output; name a file";
    return false;
  }
  problem = base::overwritesInput(path, inputs);
  if (!problem.empty()) return false;
  base::ReplacementFile file;
  const int descriptor = file.create(path);
  if (descriptor < 0) {
    problem = file.problem();
    return false;
  }
  ::close(descriptor);
  {
    const FleetTables tables(fleet);
    SqlConnection connection;
    const bool written = connection.open(file.temporaryPath()) &&
                         (tables.registerIn(connection.db()) == SQLITE_OK || connection.failed()) &&
                         connection.execute(fillingStatements());
    if (!written) {
      problem = "cannot write the database: " + connection.problem();
      return false;  // the temporary file goes with `file`
    }
  }
  if (!file.commit()) {
    problem = file.problem();
    return false;
  }
  return true;
}

}  // namespace vyn::query
