// SQL over loaded logs: the whole of `vyn-profile-log query` once its logs
// are loaded (docs/sql.md).
#ifndef VYN_QUERY_FLEET_QUERY_H_
#define VYN_QUERY_FLEET_QUERY_H_

#include <string>
#include <string_view>
#include <vector>

#include "analysis/loaded_log.h"
#include "base/output_file.h"
#include "query/query_result_writers.h"

namespace vyn::query {

// Runs the statements of sql over the logs, log ids 1, 2, ... in their order,
// and writes the last statement's rows to output in format. False with
// problem when SQLite refuses or fails a statement (its own message), or when
// writing failed (problem empty: the output names it); the caller then
// discards the output.
bool queryFleet(const std::vector<const tools::LoadedLog*>& logs, std::string_view sql, QueryFormat format,
                base::OutputFile& output, std::string& problem);

}  // namespace vyn::query

#endif  // VYN_QUERY_FLEET_QUERY_H_
