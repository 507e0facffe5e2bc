// A fleet of loaded logs written as a SQLite database: the tables of a query
// (log, graph, occurrence, event) as real tables with the same columns and
// ids, indexes on their keys, and the execution view.
#ifndef VYN_QUERY_DATABASE_EXPORT_H_
#define VYN_QUERY_DATABASE_EXPORT_H_

#include <string>
#include <vector>

#include "query/fleet_index.h"

namespace vyn::query {

// Writes the database to a temporary file beside path, in one transaction,
// and puts it in place only when it is complete: on failure an existing file
// at path stays as it was. Refuses a path that names one of inputs, and
// standard output. False with problem, in words that name what failed.
bool writeFleetDatabase(const FleetIndex& fleet, const std::string& path, const std::vector<std::string>& inputs,
                        std::string& problem);

}  // namespace vyn::query

#endif  // VYN_QUERY_DATABASE_EXPORT_H_
