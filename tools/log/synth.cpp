// synth's command line: the session's shape and size, its seed and the shifts
// planted in it; what cannot make a log is a usage error before anything runs.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/number_options.h"
#include "log/command_line.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "synth/execution_shape.h"
#include "synth/shift_targets.h"
#include "synth/synth_log.h"
#include "synth/synth_options.h"

namespace vyn::tools {
namespace {

// Keeps one record well below the largest buffer FlatBuffers can build.
constexpr std::uint64_t kMaxEventsPerRecord = 4000000;
constexpr std::uint64_t kAny = std::numeric_limits<std::uint64_t>::max();

// The end of `synth --help`: what an execution holds, what a shift does, and
// examples.
constexpr const char* kHelpFooter = R"(An execution holds Layer 0 (with --round-trip a queue wait instead), a burst
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

// A --shift as synth reads it: "GRAPH/EVENT PATH=+10%".
const CLI::Validator kShiftText(
    [](const std::string& text) {
      SynthShift shift;
      return parseSynthShift(text, shift);
    },
    "");

// The events of one message, or kMaxEventsPerRecord + 1 when there are more.
std::uint64_t eventsPerMessage(const SynthOptions& options) {
  constexpr std::uint64_t kTooMany = kMaxEventsPerRecord + 1;
  std::uint64_t perEvent = 1;
  std::uint64_t level = 1;
  for (std::uint32_t d = 0; d < options.depth && perEvent < kTooMany; ++d) {
    level = std::min(level * options.subEvents, kTooMany);
    perEvent += level;
  }
  return std::min(perEvent * options.events, kTooMany);
}

// Writes the log the options ask for; 2 when a --shift names nothing it makes.
int runSynth(const SynthOptions& options) {
  const ExecutionShape shape(options.events, options.subEvents, options.depth, options.roundTrip);
  std::string problem;
  std::vector<ShiftTarget> shifts = resolveShifts(options, shape, problem);
  if (!problem.empty()) {
    reportProblem("--shift", problem);
    return 2;
  }
  base::OutputFile output;
  if (!openCommandOutput(output, options.outputPath)) return 1;
  writeSynthLog(options, shape, std::move(shifts), output, ::isatty(STDERR_FILENO) == 1);
  return closeCommandOutput(output);
}

}  // namespace

Command addSynthCommand(CLI::App& app) {
  auto options = std::make_shared<SynthOptions>();
  auto shiftTexts = std::make_shared<std::vector<std::string>>();
  CLI::App* synth = app.add_subcommand("synth", "Write a synthetic log for demos and benchmarks");
  synth->add_option("--graphs", options->graphs, "graphs in the session")
      ->transform(wholeNumber(1, 100000, "a number of graphs from 1 to 100000"))
      ->capture_default_str();
  auto* executions = synth->add_option("--executions", options->executions, "executions per graph")
                         ->transform(wholeNumber(0, kAny, "a number of executions per graph, 0 or more"))
                         ->capture_default_str();
  synth->add_option("--events", options->events, "top-level events per execution")
      ->transform(wholeNumber(0, kMaxEventsPerRecord, "a number of events from 0 to 4000000"))
      ->capture_default_str();
  synth->add_option("--sub-events", options->subEvents, "sub-events below each layer and each timed sub-event")
      ->transform(wholeNumber(0, kMaxEventsPerRecord, "a number of sub-events from 0 to 4000000"))
      ->capture_default_str();
  synth->add_option("--depth", options->depth, "levels of sub-events")
      ->transform(wholeNumber(0, 60, "a number of levels from 0 to 60"))
      ->capture_default_str();
  synth->add_option("--messages-per-record", options->messagesPerRecord, "messages in one record")
      ->transform(wholeNumber(1, 1000000, "a number of messages from 1 to 1000000"))
      ->capture_default_str();
  synth->add_flag("--round-trip", options->roundTrip, "host round-trip executions, each with a queue-wait event");
  synth->add_option("--size", options->targetSize, "execute until the log reaches this size (e.g. 34MB, 340MB, 1GiB)")
      ->transform(byteSize())
      ->type_name("SIZE")
      ->excludes(executions);
  synth->add_option("--seed", options->seed, "seed of the noise in the generated values")
      ->transform(wholeNumber(0, kAny, "a seed from 0 to 18446744073709551615"))
      ->capture_default_str();
  synth
      ->add_option("--shift", *shiftTexts,
                   "scale an event's time in one graph, e.g. 'graph_0/Layer 7 / Compute=+10%' (repeatable)")
      ->type_name("GRAPH/PATH=CHANGE")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->check(kShiftText);
  synth->add_option("-o,--output", options->outputPath, "binary log to write")->required()->check(notEmptyPath());
  synth->footer(kHelpFooter);

  // Runs once the options are read, before the command: a throw here is a usage error.
  synth->callback([options, shiftTexts] {
    if (eventsPerMessage(*options) * options->messagesPerRecord > kMaxEventsPerRecord) {
      throw CLI::ValidationError("synth", "more than " + std::to_string(kMaxEventsPerRecord) +
                                              " events per record; lower --events, --sub-events, "
                                              "--depth or --messages-per-record");
    }
    for (const std::string& text : *shiftTexts) {
      SynthShift shift;
      parseSynthShift(text, shift);  // its syntax was checked with the option
      options->shifts.push_back(std::move(shift));
    }
    const std::string shiftProblem = synthShiftProblem(*options);
    if (!shiftProblem.empty()) throw CLI::ValidationError("--shift", shiftProblem);
  });
  return {synth, [options] { return runSynth(*options); }};
}

}  // namespace vyn::tools
