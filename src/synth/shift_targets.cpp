#include "synth/shift_targets.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace vyn::tools {
namespace {

// Shifts of one graph may compound (a layer and its Compute, or one path twice);
// beyond this factor a time stops looking like a measurement.
constexpr double kLargestCompoundFactor = 1e6;
constexpr const char* kGraphPrefix = "graph_";

std::optional<std::uint32_t> graphIndex(const std::string& name, std::uint32_t graphs) {
  const std::string prefix = kGraphPrefix;
  if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size() || name.size() > prefix.size() + 9) {
    return std::nullopt;
  }
  std::uint32_t index = 0;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
    index = index * 10 + static_cast<std::uint32_t>(name[i] - '0');
  }
  if (index >= graphs || synthGraphName(index) != name) return std::nullopt;  // no leading zeros
  return index;
}

std::string graphNames(std::uint32_t graphs) {
  if (graphs == 1) return "the only graph is " + synthGraphName(0);
  return "the graphs are " + synthGraphName(0) + (graphs == 2 ? " and " : " to ") + synthGraphName(graphs - 1);
}

}  // namespace

std::string synthGraphName(std::uint32_t index) { return kGraphPrefix + std::to_string(index); }

std::vector<ShiftTarget> resolveShifts(const SynthOptions& options, const ExecutionShape& shape, std::string& problem) {
  std::vector<ShiftTarget> targets;
  std::vector<double> compound(options.graphs, 1.0);
  for (const SynthShift& shift : options.shifts) {
    const std::optional<std::uint32_t> graph = graphIndex(shift.graph, options.graphs);
    if (!graph) {
      problem = "'" + shift.text + "': no graph named '" + shift.graph + "' (" + graphNames(options.graphs) + ")";
      return {};
    }
    std::string pathProblem;
    const std::optional<std::uint32_t> node = shape.findTimed(shift.path, pathProblem);
    if (!node) {
      problem = "'" + shift.text + "': " + pathProblem;
      return {};
    }
    // Only growth compounds towards absurd: a shrinking shift may touch other events.
    compound[*graph] *= std::max(1.0, static_cast<double>(shift.factorMillionths) / 1e6);
    if (compound[*graph] > kLargestCompoundFactor) {
      problem = "'" + shift.text + "': together the shifts of " + shift.graph +
                " would make an event over a million times as long";
      return {};
    }
    targets.push_back({*graph, *node, shift.factorMillionths});
  }
  return targets;
}

std::string synthShiftProblem(const SynthOptions& options) {
  if (options.shifts.empty()) return {};
  const ExecutionShape shape(options.events, options.subEvents, options.depth, options.roundTrip);
  std::string problem;
  resolveShifts(options, shape, problem);
  return problem;
}

}  // namespace vyn::tools
