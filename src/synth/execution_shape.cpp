#include "synth/execution_shape.h"

#include <iterator>

namespace vyn::tools {
namespace {

// Back-end event identifiers; the reports give the queue wait, the burst block
// and its settings and the hardware-unit sets their own meaning.
constexpr std::uint32_t kQueueWait = 405;
constexpr std::uint32_t kBurstBlock = 2004;
constexpr std::uint32_t kBurstMode = 2005;
constexpr std::uint32_t kBurstCount = 2010;
constexpr std::uint32_t kBurstId = 2017;
constexpr std::uint32_t kBurstOther = 2018;
constexpr std::uint32_t kLayerBase = 3000;
constexpr std::uint32_t kCompute = 3900;
constexpr std::uint32_t kDmaTransfer = 3901;
constexpr std::uint32_t kDmaWait = 3902;
constexpr std::uint32_t kComputeCycles = 3903;
constexpr std::uint32_t kKernel = 3904;
constexpr std::uint32_t kPart = 3905;

constexpr const char* kSeparator = " / ";

// The word of the timed parts at each level below the layers' own sub-events:
// a level of its own for each, so that a name never repeats along a path.
std::string partName(std::uint32_t level, std::uint32_t index) {
  static const char* const kWords[] = {"Part", "Step", "Phase", "Slice", "Pass", "Tile"};
  const std::uint32_t word = level - 2;
  const std::string number = std::to_string(index + 1);
  if (word < std::size(kWords)) return std::string(kWords[word]) + " " + number;
  return "Level " + std::to_string(level) + " part " + number;
}

}  // namespace

ExecutionShape::ExecutionShape(std::uint32_t events, std::uint32_t subEvents, std::uint32_t depth, bool roundTrip)
    : subEvents_(subEvents), depth_(depth) {
  for (std::uint32_t k = 0; k < events; ++k) {
    if (k == 0 && roundTrip) {
      add("Queue wait", kQueueWait, SynthRole::QueueWait, kTopLevel);
    } else if (k == 1) {
      addBurstSettings(add("Burst", kBurstBlock, SynthRole::BurstBlock, kTopLevel));
    } else {
      addLayerParts(add("Layer " + std::to_string(k), kLayerBase + k, SynthRole::Layer, kTopLevel));
    }
  }
}

std::uint32_t ExecutionShape::add(std::string name, std::uint32_t identifier, SynthRole role, std::uint32_t parent) {
  ShapeNode node;
  node.name = std::move(name);
  node.identifier = identifier;
  node.role = role;
  node.parent = parent;
  node.depth = parent == kTopLevel ? 0 : nodes_[parent].depth + 1;
  const auto index = static_cast<std::uint32_t>(nodes_.size());
  node.end = index + 1;
  nodes_.push_back(std::move(node));
  // Every ancestor's subtree now reaches past this node.
  for (std::uint32_t up = parent; up != kTopLevel; up = nodes_[up].parent) nodes_[up].end = index + 1;
  if (parent != kTopLevel && isTimed(role)) ++nodes_[parent].timedChildren;
  return index;
}

void ExecutionShape::addLayerParts(std::uint32_t layer) {
  if (depth_ == 0) return;
  static const struct {
    const char* name;
    std::uint32_t identifier;
    SynthRole role;
  } kLayerParts[] = {{"Hardware units", kHardwareUnitsEvent, SynthRole::HardwareUnits},
                     {"Compute", kCompute, SynthRole::TimedPart},
                     {"DMA transfer", kDmaTransfer, SynthRole::Transfer},
                     {"DMA wait", kDmaWait, SynthRole::TimedPart},
                     {"Compute cycles", kComputeCycles, SynthRole::Cycles}};
  for (std::uint32_t s = 0; s < subEvents_; ++s) {
    std::uint32_t part;
    if (s < std::size(kLayerParts)) {
      part = add(kLayerParts[s].name, kLayerParts[s].identifier, kLayerParts[s].role, layer);
    } else {
      part = add("Kernel " + std::to_string(s - std::size(kLayerParts) + 1), kKernel, SynthRole::TimedPart, layer);
    }
    if (nodes_[part].role == SynthRole::TimedPart) addTimedParts(part);
  }
}

void ExecutionShape::addTimedParts(std::uint32_t parent) {
  const std::uint32_t level = nodes_[parent].depth + 1;
  if (level > depth_) return;
  for (std::uint32_t s = 0; s < subEvents_; ++s) {
    addTimedParts(add(partName(level, s), kPart, SynthRole::TimedPart, parent));
  }
}

void ExecutionShape::addBurstSettings(std::uint32_t block) {
  if (depth_ == 0) return;
  static const struct {
    const char* name;
    std::uint32_t identifier;
  } kSettings[] = {{"Burst mode", kBurstMode}, {"Burst count", kBurstCount}, {"Burst id", kBurstId}};
  for (std::uint32_t s = 0; s < subEvents_; ++s) {
    if (s < std::size(kSettings)) {
      add(kSettings[s].name, kSettings[s].identifier, SynthRole::BurstSetting, block);
    } else {
      add("Burst setting " + std::to_string(s + 1), kBurstOther, SynthRole::BurstSetting, block);
    }
  }
}

std::string ExecutionShape::path(std::uint32_t node) const {
  std::string text = nodes_[node].name;
  for (std::uint32_t up = nodes_[node].parent; up != kTopLevel; up = nodes_[up].parent) {
    text = nodes_[up].name + kSeparator + text;
  }
  return text;
}

std::optional<std::uint32_t> ExecutionShape::child(std::uint32_t parent, const std::string& name) const {
  const auto end = parent == kTopLevel ? static_cast<std::uint32_t>(nodes_.size()) : nodes_[parent].end;
  for (std::uint32_t node = parent == kTopLevel ? 0 : parent + 1; node < end; node = nodes_[node].end) {
    if (nodes_[node].name == name) return node;
  }
  return std::nullopt;
}

std::string ExecutionShape::childNames(std::uint32_t parent) const {
  std::vector<std::uint32_t> children;
  const auto end = parent == kTopLevel ? static_cast<std::uint32_t>(nodes_.size()) : nodes_[parent].end;
  for (std::uint32_t node = parent == kTopLevel ? 0 : parent + 1; node < end; node = nodes_[node].end) {
    children.push_back(node);
  }
  constexpr std::size_t kShown = 8;
  std::string names;
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (children.size() > kShown && i == kShown - 2) {
      names += ", ..., " + nodes_[children.back()].name + " (" + std::to_string(children.size()) + " in all)";
      break;
    }
    names += (i == 0 ? "" : ", ") + nodes_[children[i]].name;
  }
  return names;
}

std::optional<std::uint32_t> ExecutionShape::findTimed(const std::string& path, std::string& problem) const {
  std::uint32_t node = kTopLevel;
  std::size_t from = 0;
  while (true) {
    const std::size_t separator = path.find(kSeparator, from);
    const std::string name = path.substr(from, separator == std::string::npos ? std::string::npos : separator - from);
    const std::optional<std::uint32_t> found = child(node, name);
    if (!found) {
      if (nodes_.empty()) {
        problem = "no event '" + name + "': the executions have no events (--events 0)";
      } else if (node == kTopLevel) {
        problem =
            "no event '" + name + "' at the top of an execution; the top-level events are " + childNames(kTopLevel);
      } else if (nodes_[node].end == node + 1) {
        problem = "no event '" + name + "' below '" + this->path(node) + "', which has no sub-events";
      } else {
        problem =
            "no event '" + name + "' below '" + this->path(node) + "'; the events below it are " + childNames(node);
      }
      return std::nullopt;
    }
    node = *found;
    if (separator == std::string::npos) break;
    from = separator + std::char_traits<char>::length(kSeparator);
  }
  if (!isTimed(nodes_[node].role)) {
    problem = "'" + path + "' is not a time; only microsecond events can be shifted";
    return std::nullopt;
  }
  return node;
}

}  // namespace vyn::tools
