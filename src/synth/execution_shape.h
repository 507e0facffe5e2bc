// The events of a synthetic execution: the same tree for every execution of
// every graph, each event with its name, identifier and what it measures.
//
// At the top: a queue wait (host round trips), a burst block and layers. Below
// a layer, up to --sub-events of: its hardware-unit set, Compute, the bytes of
// its DMA transfer, DMA wait, Compute cycles, then Kernel 1, Kernel 2, ...
// Below each timed sub-event, down to --depth levels, timed parts whose word
// changes with the level (Part 1 / Step 1 / Phase 1 ...), so that no name
// repeats along a path and siblings never share a name. A burst block carries
// its settings; queue waits, sets, byte counts and cycles have no sub-events.
#ifndef VYN_SYNTH_EXECUTION_SHAPE_H_
#define VYN_SYNTH_EXECUTION_SHAPE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vyn::tools {

// The identifier of a layer's set of hardware units, as the reports name it.
inline constexpr std::uint32_t kHardwareUnitsEvent = 5004;

enum class SynthRole : std::uint8_t {
  QueueWait,      // microseconds, at the top of a host round trip
  Layer,          // microseconds, at the top
  TimedPart,      // microseconds, below a layer or below another timed part
  HardwareUnits,  // the set of hardware units a layer runs on
  Transfer,       // bytes
  Cycles,         // cycles
  BurstBlock,     // no value; its settings below it
  BurstSetting,   // a count
};

inline bool isTimed(SynthRole role) {
  return role == SynthRole::QueueWait || role == SynthRole::Layer || role == SynthRole::TimedPart;
}

inline constexpr std::uint32_t kTopLevel = UINT32_MAX;

// One event of the tree; the tree is kept in pre-order.
struct ShapeNode {
  std::string name;
  std::uint32_t identifier = 0;
  SynthRole role = SynthRole::Layer;
  std::uint32_t parent = kTopLevel;
  std::uint32_t end = 0;    // one past the last node below it
  std::uint32_t depth = 0;  // 0 at the top
  std::uint32_t timedChildren = 0;
};

class ExecutionShape {
 public:
  ExecutionShape(std::uint32_t events, std::uint32_t subEvents, std::uint32_t depth, bool roundTrip);

  const std::vector<ShapeNode>& nodes() const { return nodes_; }
  // The event names from the top down to node, joined by " / ".
  std::string path(std::uint32_t node) const;
  // The timed event at path; nullopt, with problem saying why, when the path
  // names no event or one that is not a time.
  std::optional<std::uint32_t> findTimed(const std::string& path, std::string& problem) const;

 private:
  void addLayerParts(std::uint32_t layer);
  void addTimedParts(std::uint32_t parent);
  void addBurstSettings(std::uint32_t block);
  std::uint32_t add(std::string name, std::uint32_t identifier, SynthRole role, std::uint32_t parent);
  // The first node below parent (kTopLevel: at the top) named name, or nullopt.
  std::optional<std::uint32_t> child(std::uint32_t parent, const std::string& name) const;
  // The names below parent, a long list shortened, for messages.
  std::string childNames(std::uint32_t parent) const;

  std::uint32_t subEvents_;
  std::uint32_t depth_;
  std::vector<ShapeNode> nodes_;
};

}  // namespace vyn::tools

#endif  // VYN_SYNTH_EXECUTION_SHAPE_H_
