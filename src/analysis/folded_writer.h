// The export as collapsed stacks, the input of flame-graph tools: one line per
// graph and timed event path, its frames joined by ';', a blank, and its own
// microseconds over all of the graph's executions.
#ifndef VYN_ANALYSIS_FOLDED_WRITER_H_
#define VYN_ANALYSIS_FOLDED_WRITER_H_

#include <vector>

#include "base/text_buffer.h"
#include "model/log_model.h"
#include "stats/execution_profile.h"

namespace vyn::tools {

// Writes the lines of every profile, in the profiles' order, each graph's in
// the order of foldedFrames. In a name, ';' is written ':' and a line feed or
// carriage return a blank, so that names hold no frame or line separator.
void writeFoldedStacks(const profiling::LogModel& model, const std::vector<profiling::ExecutionProfile>& profiles,
                       base::TextBuffer& out);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_FOLDED_WRITER_H_
