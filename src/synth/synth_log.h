// Writes a synthetic log of the shape and size the options ask for.
#ifndef VYN_SYNTH_SYNTH_LOG_H_
#define VYN_SYNTH_SYNTH_LOG_H_

#include <vector>

#include "base/output_file.h"
#include "synth/execution_shape.h"
#include "synth/shift_targets.h"
#include "synth/synth_options.h"

namespace vyn::tools {

// Writes the whole log into output, record by record, in bounded memory; with
// progress, a line on standard error tells how many MiB are written so far.
void writeSynthLog(const SynthOptions& options, const ExecutionShape& shape, std::vector<ShiftTarget> shifts,
                   base::OutputFile& output, bool progress);

}  // namespace vyn::tools

#endif  // VYN_SYNTH_SYNTH_LOG_H_
