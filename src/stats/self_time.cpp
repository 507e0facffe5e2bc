#include "stats/self_time.h"

#include <algorithm>

#include "vyn/profiling/profile_event.h"

namespace vyn::profiling {
namespace {

// Microseconds: code 1, and every code that names no other unit, as the
// analyses read them.
bool inMicroseconds(std::uint8_t unit) {
  switch (unit) {
    case EventUnit::Bytes:
    case EventUnit::Cycles:
    case EventUnit::Count:
    case EventUnit::Object:
    case EventUnit::None:
      return false;
    default:
      return true;
  }
}

double sum(const std::vector<double>& values) {
  double total = 0;
  for (const double value : values) total += value;
  return total;
}

// A profile keeps every occurrence, the sum per execution, or both; either
// adds up to the path's total.
double pathTotal(const PathProfile& path) {
  const double total = path.perExecution.empty() ? sum(path.samples) : sum(path.perExecution);
  return std::max(total, 0.0);
}

}  // namespace

SelfTimes selfTimes(const ExecutionProfile& profile) {
  const std::vector<PathProfile>& paths = profile.paths;
  const std::size_t count = paths.size();
  SelfTimes times;
  times.timed.resize(count);
  times.self.assign(count, 0.0);
  for (std::size_t at = 0; at < count; ++at) {
    times.timed[at] = paths[at].values == PathValues::Measured && inMicroseconds(paths[at].unit);
  }
  // Parents come before their sub-paths, so one pass backward adds every
  // sub-path's width to its parent's before the parent's own is taken.
  std::vector<double> below(count, 0.0);  // the widths of the timed sub-paths
  double belowGraph = 0;
  for (std::size_t at = count; at-- > 0;) {
    if (!times.timed[at]) continue;
    const double total = pathTotal(paths[at]);
    times.self[at] = std::max(total - below[at], 0.0);
    const double width = std::max(total, below[at]);
    (paths[at].parent == kNoParentPath ? belowGraph : below[paths[at].parent]) += width;
  }
  times.graph = std::max(sum(profile.executionTimes) - belowGraph, 0.0);
  return times;
}

}  // namespace vyn::profiling
