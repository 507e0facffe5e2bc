// How a fleet table answers SQLite's question of how to read it: the cheapest
// equality constraint on one of its key columns, else a scan.
#ifndef VYN_QUERY_INDEX_PLAN_H_
#define VYN_QUERY_INDEX_PLAN_H_

#include <sqlite3.h>

#include <initializer_list>

namespace vyn::query {

// Plan 0 is a scan of every row, in id order.
inline constexpr int kScanPlan = 0;

// A column whose equality constraint the table looks rows up by (-1: the
// rowid), the plan number handed to the cursor, and about how many rows one
// value selects.
struct KeyColumn {
  int column;
  int plan;
  double rows;
};

// Chooses the usable key with the fewest rows, hands its value to the cursor
// as its only argument and tells SQLite that the table checks it itself; rows
// come in id order (column idColumn), so an ORDER BY of it alone costs nothing.
int chooseKeyPlan(sqlite3_index_info& info, std::initializer_list<KeyColumn> keys, double scanRows, int idColumn = 0);

}  // namespace vyn::query

#endif  // VYN_QUERY_INDEX_PLAN_H_
