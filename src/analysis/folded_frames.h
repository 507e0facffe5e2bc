// The frames of a graph's collapsed stacks: how many of the microseconds of
// its executions each timed event spent outside its timed sub-events.
#ifndef VYN_ANALYSIS_FOLDED_FRAMES_H_
#define VYN_ANALYSIS_FOLDED_FRAMES_H_

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
// event paths in pre-order, sub-paths in order of first appearance. A path makes
// a frame when it is measured in microseconds and its parent makes one (the
// graph, for a top-level path); any other path is left out with everything
// below it, and its time stays in the nearest frame above it.
//
// A frame's own time is the self time of profiling::selfTimes: its total less
// its timed sub-paths' widths, never below 0, where a sub-path is as wide as
// its total or, when its own timed sub-paths are wider together, their sum; so
// the flame-graph tools draw every frame at that width. Frames whose own time
// rounds to 0 are left out.
std::vector<FoldedFrame> foldedFrames(const profiling::ExecutionProfile& profile);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_FOLDED_FRAMES_H_
