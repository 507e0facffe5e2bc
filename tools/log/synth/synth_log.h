// Writes a synthetic log of the shape and size the options ask for.
#ifndef VYN_TOOLS_LOG_SYNTH_SYNTH_LOG_H_
#define VYN_TOOLS_LOG_SYNTH_SYNTH_LOG_H_

#include <vector>

#include "base/output_file.h"
#include "log/synth/execution_shape.h"
#include "log/synth/shift_targets.h"
#include "log/synth/synth_options.h"

namespace vyn::tools {

// Writes the whole log into output, record by record, in bounded memory; with
// progress, a line on standard error tells how many MiB are written so far.
void writeSynthLog(const SynthOptions& options, const ExecutionShape& shape, std::vector<ShiftTarget> shifts,
                   base::OutputFile& output, bool progress);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_SYNTH_SYNTH_LOG_H_
