// The order in which a comparison lists its graphs and rows: what costs most
// and what most surely changed first.
#include <algorithm>
#include <cmath>
#include <tuple>

#include "stats/diff_compare.h"

namespace vyn::tools {
namespace {

// 0 the execution time, 1 a row with an adjusted p, 2 a row with too few
// executions, 3 a row of one log.
int group(const DiffRow& row) {
  if (row.execution) return 0;
  if (row.pAdjusted) return 1;
  if (row.test) return 2;
  return 3;
}

double changeSize(const DiffRow& row) { return std::isnan(row.change) ? 0.0 : std::fabs(row.change); }

}  // namespace

void sortRows(std::vector<DiffRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const DiffRow& a, const DiffRow& b) {
    const int groupA = group(a);
    const int groupB = group(b);
    if (groupA != groupB) return groupA < groupB;
    if (a.pAdjusted && b.pAdjusted && *a.pAdjusted != *b.pAdjusted) return *a.pAdjusted < *b.pAdjusted;
    if (a.test && b.test && a.test->pValue != b.test->pValue) return a.test->pValue < b.test->pValue;
    if (changeSize(a) != changeSize(b)) return changeSize(a) > changeSize(b);
    return std::tie(a.path, a.unit) < std::tie(b.path, b.unit);
  });
}

void sortGraphs(std::vector<GraphDiff>& graphs) {
  std::stable_sort(graphs.begin(), graphs.end(),
                   [](const GraphDiff& a, const GraphDiff& b) { return a.cost > b.cost; });
}

}  // namespace vyn::tools
