#include "synth/execution_timing.h"

#include <cmath>
#include <utility>

namespace vyn::tools {
namespace {

// What each constant of a graph is for (graphConstant's purpose).
enum Purpose : std::uint32_t { kTypical, kTimedShare, kWeight, kValue };

// The spreads (of the logarithm) of the noise: one factor for the whole
// execution (clock and memory state), one per value, the queue waits' own
// (they depend on what else the host runs) and the overhead's.
constexpr double kExecutionSpread = 0.015;
constexpr double kValueSpread = 0.02;
constexpr double kQueueWaitSpread = 0.05;
constexpr double kOverheadSpread = 0.1;
// About one execution in 500 is held up (preemption, a page fault) for 5 to 25
// times its usual overhead.
constexpr double kHiccupChance = 0.002;

constexpr std::uint64_t kMillion = 1000000;

std::uint64_t wholeMicroseconds(double time) { return time < 1.5 ? 1 : static_cast<std::uint64_t>(std::llround(time)); }

// floor(value * factor / 10^6), without overflow for any value below 10^18.
std::uint64_t scaled(std::uint64_t value, std::uint64_t factorMillionths) {
  return value / kMillion * factorMillionths + value % kMillion * factorMillionths / kMillion;
}

}  // namespace

ExecutionTiming::ExecutionTiming(const ExecutionShape& shape, std::vector<ShiftTarget> shifts)
    : shape_(shape),
      shifts_(std::move(shifts)),
      typical_(shape.nodes().size()),
      typicalSelf_(shape.nodes().size()),
      values_(shape.nodes().size()) {}

double ExecutionTiming::typicalTimes(std::uint32_t graph) {
  const std::vector<ShapeNode>& nodes = shape_.nodes();
  double topLevel = 0;
  for (std::uint32_t n = 0; n < nodes.size(); ++n) {
    const ShapeNode& node = nodes[n];
    if (!isTimed(node.role)) continue;
    if (node.role == SynthRole::QueueWait) typical_[n] = 20.0 + 60.0 * graphConstant(graph, n, kTypical);
    if (node.role == SynthRole::Layer) typical_[n] = 40.0 * std::pow(10.0, graphConstant(graph, n, kTypical));
    if (node.parent == kTopLevel) topLevel += typical_[n];
    typicalSelf_[n] = 0;
    if (node.timedChildren == 0) continue;
    // 65% to 90% of the event's time goes to its timed sub-events, shared by
    // weights of 0.5 to 1.5; the rest is its own.
    const double share = 0.65 + 0.25 * graphConstant(graph, n, kTimedShare);
    double weights = 0;
    for (std::uint32_t c = n + 1; c < node.end; c = nodes[c].end) {
      if (isTimed(nodes[c].role)) weights += 0.5 + graphConstant(graph, c, kWeight);
    }
    for (std::uint32_t c = n + 1; c < node.end; c = nodes[c].end) {
      if (isTimed(nodes[c].role)) {
        typical_[c] = typical_[n] * share * (0.5 + graphConstant(graph, c, kWeight)) / weights;
      }
    }
    typicalSelf_[n] = typical_[n] * (1.0 - share);
  }
  return topLevel;
}

std::uint64_t ExecutionTiming::constantValue(std::uint32_t graph, std::uint32_t node) const {
  const double fixed = graphConstant(graph, node, kValue);
  switch (shape_.nodes()[node].role) {
    case SynthRole::HardwareUnits:
      return 1 + static_cast<std::uint64_t>(fixed * 7);  // a non-empty set of three units
    case SynthRole::Transfer:
      return 4096 * (1 + static_cast<std::uint64_t>(fixed * 256));
    case SynthRole::Cycles:
      return 2000 + static_cast<std::uint64_t>(fixed * 88000);
    case SynthRole::BurstSetting:
      return 1 + static_cast<std::uint64_t>(fixed * 16);
    default:
      return 0;
  }
}

std::uint64_t ExecutionTiming::draw(std::uint32_t graph, SynthRandom& random) {
  const std::vector<ShapeNode>& nodes = shape_.nodes();
  const double overheadTypical = 15.0 + 0.03 * typicalTimes(graph);
  const double execution = random.jitter(kExecutionSpread);

  // From the last node back, so that sub-events come before their event and
  // their sum is known when it is drawn.
  std::uint64_t topLevel = 0;
  for (std::size_t i = nodes.size(); i-- > 0;) {
    const auto n = static_cast<std::uint32_t>(i);
    const ShapeNode& node = nodes[n];
    std::uint64_t& value = values_[n];
    switch (node.role) {
      case SynthRole::QueueWait:
        value = wholeMicroseconds(typical_[n] * random.jitter(kQueueWaitSpread));
        break;
      case SynthRole::Layer:
      case SynthRole::TimedPart:
        if (node.timedChildren == 0) {
          value = wholeMicroseconds(typical_[n] * execution * random.jitter(kValueSpread));
        } else {
          value = 0;
          for (std::uint32_t c = n + 1; c < node.end; c = nodes[c].end) {
            if (isTimed(nodes[c].role)) value += values_[c];
          }
          value += wholeMicroseconds(typicalSelf_[n] * execution * random.jitter(kValueSpread));
        }
        break;
      case SynthRole::Cycles:
        value = static_cast<std::uint64_t>(
            std::llround(static_cast<double>(constantValue(graph, n)) * random.jitter(kValueSpread)));
        break;
      default:
        value = constantValue(graph, n);
    }
    if (isTimed(node.role) && node.parent == kTopLevel) topLevel += value;
  }

  std::uint64_t overhead = wholeMicroseconds(overheadTypical * execution * random.jitter(kOverheadSpread));
  const double hiccup = random.unit();
  const double hiccupSize = random.unit();
  if (hiccup < kHiccupChance) overhead += wholeMicroseconds(overheadTypical * (5.0 + 20.0 * hiccupSize));

  std::uint64_t time = topLevel + overhead;
  for (const ShiftTarget& shift : shifts_) {
    if (shift.graph == graph) time = applyShift(shift, time);
  }
  return time;
}

std::uint64_t ExecutionTiming::applyShift(const ShiftTarget& shift, std::uint64_t executionTime) {
  const std::vector<ShapeNode>& nodes = shape_.nodes();
  const std::uint64_t before = values_[shift.node];
  for (std::uint32_t n = shift.node; n < nodes[shift.node].end; ++n) {
    if (isTimed(nodes[n].role)) values_[n] = scaled(values_[n], shift.factorMillionths);
  }
  const std::uint64_t after = values_[shift.node];
  // Each ancestor, and the execution, holds the event's old time whole.
  for (std::uint32_t up = nodes[shift.node].parent; up != kTopLevel; up = nodes[up].parent) {
    values_[up] = values_[up] - before + after;
  }
  return executionTime - before + after;
}

}  // namespace vyn::tools
