#include "analysis/diff_row_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vyn::tools {

TimeUnit diffTimeUnit(const ProfileDiff& diff, TimeUnit wanted) {
  double typical = 0;
  for (const GraphDiff& graph : diff.graphs) {
    if (graph.rows.empty()) continue;
    const DiffRow& execution = graph.rows.front();
    const SideFigures& side = execution.base ? *execution.base : *execution.next;
    typical = std::max(typical, side.median);
  }
  return resolveTimeUnit(wanted, typical);
}

bool isTimeRow(const DiffRow& row) { return row.execution || row.unit == "us"; }

std::string_view rowUnitName(const DiffRow& row, TimeUnit timeUnit) {
  return isTimeRow(row) ? timeUnitName(timeUnit) : row.unit;
}

double inRowUnit(const DiffRow& row, double value, TimeUnit timeUnit) {
  return isTimeRow(row) ? inTimeUnit(value, timeUnit) : value;
}

std::string changeText(double change) {
  if (std::isnan(change)) return "-";
  if (std::isinf(change)) return change > 0 ? "+inf" : "-inf";
  char text[64];
  std::snprintf(text, sizeof text, "%+.1f%%", change * 100.0);
  return change == 0 || text == std::string("+0.0%") || text == std::string("-0.0%") ? "0.0%" : text;
}

std::string shiftText(const DiffRow& row) {
  if (!row.shift || !row.base || std::isnan(row.shift->estimate)) return "-";
  const profiling::ShiftEstimate& shift = *row.shift;
  const double base = row.base->median;
  std::string text = changeText(shareOf(shift.estimate, base));
  if (shift.rank.k == 0) return text + " [unbounded]";
  return text + " [" + changeText(shareOf(shift.low, base)) + ", " + changeText(shareOf(shift.high, base)) + "]";
}

std::string pValueText(std::optional<double> p) {
  if (!p) return "-";
  return *p < 1e-300 && *p >= 0 ? "<1e-300" : figureText(*p);
}

}  // namespace vyn::tools
