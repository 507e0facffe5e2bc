// The end of `synth --help`: what an execution holds, what a shift does, and
// examples.
#include "log/synth/synth_options.h"

namespace vyn::tools {

const char* synthHelpFooter() {
  return R"(An execution holds Layer 0 (with --round-trip a queue wait instead), a burst
block (Burst, its settings below it) and Layer 2, Layer 3, ...; below each layer
up to --sub-events of: Hardware units, Compute, DMA transfer, DMA wait, Compute
cycles, Kernel 1, Kernel 2, ...; below each timed sub-event, down to --depth
levels, its parts (Part 1, Part 2, ..., below those Step 1, ...). An event's time
holds the times below it, an execution's its top-level events. Each graph has
its own typical times; the seed draws only the noise, so logs made with
different seeds differ by chance alone.

--shift GRAPH/EVENT PATH=CHANGE scales an event's time, and the times below it,
in every execution of the graph, by a percentage (+10%, -25%, +0.5%); the events
above it and the execution take as much longer or shorter. The path is written
as stats and diff write it. Shifts take no draws from the seed: with the same
seed, a log differs from the one made without the shift only there.

Sizes: K, M, G (and KiB, MiB, GiB) are powers of 1024, KB, MB, GB powers of 1000.
The same options and seed make the same log, byte for byte.

Examples:
  vyn-profile-log synth -o demo.log
  vyn-profile-log synth --graphs 2 --events 20 --sub-events 2 --messages-per-record 64 \
      --round-trip --size 34MB -o bench.log           the benchmark's shape
  vyn-profile-log synth --executions 200 --seed 1 -o base.log
  vyn-profile-log synth --executions 200 --seed 2 -o new.log \
      --shift 'graph_0/Layer 7 / Compute=+10%'
  vyn-profile-log diff base.log new.log                finds the planted change

Exit status: 0 written, 1 the output could not be written, 2 a usage error (a
--shift that names no graph or no timed event of the log is one).)";
}

}  // namespace vyn::tools
