// The shifts of a synth command line, resolved against the session it makes:
// which graph, which event of its executions.
#ifndef VYN_SYNTH_SHIFT_TARGETS_H_
#define VYN_SYNTH_SHIFT_TARGETS_H_

#include <string>
#include <vector>

#include "synth/execution_shape.h"
#include "synth/execution_timing.h"
#include "synth/synth_options.h"

namespace vyn::tools {

// The name of the session's graph at index.
std::string synthGraphName(std::uint32_t index);

// The targets of options.shifts, in order; empty, with problem saying which
// shift is wrong and why, when one names no graph or no timed event of shape,
// or when together they would make an event absurdly long.
std::vector<ShiftTarget> resolveShifts(const SynthOptions& options, const ExecutionShape& shape, std::string& problem);

}  // namespace vyn::tools

#endif  // VYN_SYNTH_SHIFT_TARGETS_H_
