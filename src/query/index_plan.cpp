#include "query/index_plan.h"

namespace vyn::query {

int chooseKeyPlan(sqlite3_index_info& info, std::initializer_list<KeyColumn> keys, double scanRows, int idColumn) {
  int chosen = -1;
  const KeyColumn* best = nullptr;
  for (int at = 0; at < info.nConstraint; ++at) {
    const sqlite3_index_info::sqlite3_index_constraint& constraint = info.aConstraint[at];
    if (!constraint.usable || constraint.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
    for (const KeyColumn& key : keys) {
      if (key.column == constraint.iColumn && (best == nullptr || key.rows < best->rows)) {
        best = &key;
        chosen = at;
      }
    }
  }
  const double rows = best != nullptr ? best->rows : scanRows;
  info.idxNum = best != nullptr ? best->plan : kScanPlan;
  info.estimatedCost = rows + 1;
  info.estimatedRows = static_cast<sqlite3_int64>(rows + 1);
  if (best != nullptr) {
    info.aConstraintUsage[chosen].argvIndex = 1;
    info.aConstraintUsage[chosen].omit = 1;
    if (best->rows <= 1) info.idxFlags |= SQLITE_INDEX_SCAN_UNIQUE;
  }
  if (info.nOrderBy == 1 && !info.aOrderBy[0].desc &&
      (info.aOrderBy[0].iColumn == -1 || info.aOrderBy[0].iColumn == idColumn)) {
    info.orderByConsumed = 1;
  }
  return SQLITE_OK;
}

}  // namespace vyn::query
