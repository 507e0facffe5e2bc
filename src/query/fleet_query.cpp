#include "query/fleet_query.h"

#include "base/input_protection.h"

#include "query/fleet_index.h"
#include "query/sql_connection.h"
#include "query/sql_statements.h"

namespace vyn::query {
namespace {

// SQL may attach other databases, and write to them, but not to a log being
// queried: an ATTACH that names one (or names its file by an expression) is denied.
int refuseAttachingALog(void* logs, int action, const char* file, const char*, const char*, const char*) {
  if (action != SQLITE_ATTACH) return SQLITE_OK;
  if (file == nullptr) return SQLITE_DENY;
  const auto& paths = *static_cast<const std::vector<std::string>*>(logs);
  return base::overwritesInput(file, paths).empty() ? SQLITE_OK : SQLITE_DENY;
}

}  // namespace

bool queryFleet(const std::vector<const tools::LoadedLog*>& logs, std::string_view sql, QueryFormat format,
                base::OutputFile& output, std::string& problem) {
  const FleetIndex fleet(logs);
  const FleetTables tables(fleet);
  SqlConnection connection;
  if (!openFleetConnection(connection, tables)) {
    problem = connection.problem();
    return false;
  }
  std::vector<std::string> paths;
  for (const tools::LoadedLog* log : logs) paths.push_back(log->path);
  sqlite3_set_authorizer(connection.db(), refuseAttachingALog, &paths);
  const std::unique_ptr<ResultSink> writer = makeResultWriter(format, output);
  return runStatements(connection.db(), sql, *writer, problem);
}

}  // namespace vyn::query
