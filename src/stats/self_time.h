// How much of a graph's executions each timed event path spent outside its
// timed sub-paths: the self time that flame graphs draw and `stats` lists.
#ifndef VYN_STATS_SELF_TIME_H_
#define VYN_STATS_SELF_TIME_H_

#include <vector>

#include "stats/execution_profile.h"

namespace vyn::profiling {

struct SelfTimes {
  // By path: whether it is timed (measured, in microseconds); for a timed path
  // its time less its timed sub-paths' (0 for the others).
  std::vector<bool> timed;
  std::vector<double> self;
  // The executions' summed time less the time of the timed top-level paths.
  double graph = 0;
};

// The self times of profile, summed over its executions. A timed path's time
// is its total (the sum of its samples, of whichever kind the profile kept; a
// total below 0 counts as 0), and its width, as its parent sees it, is that
// total or, when its timed sub-paths are wider together, their widths' sum.
// Its self time is its total less its timed sub-paths' widths, never below 0;
// the graph's, the sum of its execution times less its timed top-level paths'
// widths, never below 0. Only timed sub-paths are taken off: whatever lies
// below a path in another unit, or with no value, stays in that path's own time.
SelfTimes selfTimes(const ExecutionProfile& profile);

}  // namespace vyn::profiling

#endif  // VYN_STATS_SELF_TIME_H_
