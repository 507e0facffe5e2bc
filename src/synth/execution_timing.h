// The values of one synthetic execution: every event's value and the
// execution's time, drawn so that they nest as a runtime's measurements do.
//
// Each graph has a typical time for each layer (40 to 400 us, fixed by the graph
// and the layer) and splits it among the layer's timed sub-events, and theirs
// among their parts, keeping some time of each event for itself. An execution
// draws the leaves and those self times with noise (a factor common to the
// whole execution and one per value, both log-normal) and adds them up: an
// event's time is its timed sub-events' sum and its self time, the execution's
// the top-level events' sum and its overhead, which now and then takes a
// hiccup. Times are whole microseconds, at least 1.
//
// A shift then scales an event's time and every time below it by its factor,
// rounded down; the event's ancestors and the execution change by as many
// microseconds as the event did, so everything still nests. Shifts take no
// draws: a log made with a shift differs from one made without only there.
#ifndef VYN_SYNTH_EXECUTION_TIMING_H_
#define VYN_SYNTH_EXECUTION_TIMING_H_

#include <cstdint>
#include <vector>

#include "synth/execution_shape.h"
#include "synth/synth_random.h"

namespace vyn::tools {

// A shift resolved against the session: graph index, timed node, factor.
struct ShiftTarget {
  std::uint32_t graph = 0;
  std::uint32_t node = 0;
  std::uint64_t factorMillionths = 1000000;
};

class ExecutionTiming {
 public:
  ExecutionTiming(const ExecutionShape& shape, std::vector<ShiftTarget> shifts);

  // Draws an execution of graph; returns its time in microseconds. The values
  // of its events are then in values(), by node.
  std::uint64_t draw(std::uint32_t graph, SynthRandom& random);
  const std::vector<std::uint64_t>& values() const { return values_; }

 private:
  // The typical times of graph: each timed node's, and what a timed node with
  // timed sub-events keeps for itself.
  double typicalTimes(std::uint32_t graph);
  std::uint64_t constantValue(std::uint32_t graph, std::uint32_t node) const;
  std::uint64_t applyShift(const ShiftTarget& shift, std::uint64_t executionTime);

  const ExecutionShape& shape_;
  std::vector<ShiftTarget> shifts_;
  std::vector<double> typical_;
  std::vector<double> typicalSelf_;
  std::vector<std::uint64_t> values_;
};

}  // namespace vyn::tools

#endif  // VYN_SYNTH_EXECUTION_TIMING_H_
