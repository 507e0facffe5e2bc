// The aggregates SQL lacks for timing samples: percentile(x, p) and median(x),
// as stats computes them (stats/sample_summary.h). NULLs are left out; a group
// of none gives NULL.
#ifndef VYN_QUERY_PERCENTILE_AGGREGATES_H_
#define VYN_QUERY_PERCENTILE_AGGREGATES_H_

#include <sqlite3.h>

namespace vyn::query {

// Registers percentile and median on db: SQLITE_OK or SQLite's error code.
int registerPercentileAggregates(sqlite3* db);

}  // namespace vyn::query

#endif  // VYN_QUERY_PERCENTILE_AGGREGATES_H_
