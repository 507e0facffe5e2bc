// The frames of a graph's collapsed stacks: how many of the microseconds of
// its executions each timed event spent outside its timed sub-events.
#ifndef VYN_TOOLS_LOG_FOLDED_FRAMES_H_
#define VYN_TOOLS_LOG_FOLDED_FRAMES_H_

#include <cstdint>
#include <vector>

#include "stats/execution_profile.h"

namespace vyn::tools {

struct FoldedFrame {
  // The event path in the profile's paths; kNoParentPath for the graph itself.
  std::uint32_t path = profiling::kNoParentPath;
  std::uint64_t selfMicroseconds = 0;  // rounded to the nearest whole microsecond
};

// The frames of profile, summed over its executions: the graph, then its timed
// event paths in pre-order, sub-paths in order of first appearance. A timed path
// is a path measured in microseconds all of whose ancestors are timed; any
// other path is left out with everything below it.
//
// A frame's width, as the flame-graph tools draw it, is its total or, when its
// timed sub-paths are wider together, their widths' sum; its own time is its
// total less that sum, never below 0. The graph's total is the sum of its
// execution times, a path's the sum of its samples (of whichever kind the
// profile kept); a total below 0 counts as 0. Frames whose own time rounds to
// 0 are left out.
std::vector<FoldedFrame> foldedFrames(const profiling::ExecutionProfile& profile);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_FOLDED_FRAMES_H_
