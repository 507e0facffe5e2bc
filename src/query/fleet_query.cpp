#include "query/fleet_query.h"

#include "query/fleet_index.h"
#include "query/sql_connection.h"
#include "query/sql_statements.h"

namespace vyn::query {

bool queryFleet(const std::vector<const tools::LoadedLog*>& logs, std::string_view sql, QueryFormat format,
                base::OutputFile& output, std::string& problem) {
  const FleetIndex fleet(logs);
  const FleetTables tables(fleet);
  SqlConnection connection;
  if (!openFleetConnection(connection, tables)) {
    problem = connection.problem();
    return false;
  }
  const std::unique_ptr<ResultSink> writer = makeResultWriter(format, output);
  return runStatements(connection.db(), sql, *writer, problem);
}

}  // namespace vyn::query
