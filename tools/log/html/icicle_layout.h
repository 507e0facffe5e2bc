// Where an averaged event tree's boxes go in a top-down flame (icicle) chart:
// each event as wide as its share of the whole, its sub-events under it, laid
// left to right from its left edge.
#ifndef VYN_TOOLS_LOG_HTML_ICICLE_LAYOUT_H_
#define VYN_TOOLS_LOG_HTML_ICICLE_LAYOUT_H_

#include <cstdint>
#include <vector>

namespace vyn::tools {

inline constexpr std::uint32_t kIcicleTop = 0xFFFFFFFFu;

struct IcicleNode {
  std::uint32_t parent = kIcicleTop;  // index of the parent node, before this one
  double value = 0;                   // the node's part of the whole
};

struct IcicleBox {
  std::uint32_t node = 0;
  std::uint32_t depth = 0;  // 0 for the top-level nodes
  double left = 0;          // fractions of the whole's width
  double right = 0;
};

// Lays nodes given parents before their children: the top-level nodes side by
// side from 0, the children of a node side by side from its left edge, each as
// wide as value / whole. A node wider than what is left of its parent (of the
// whole, at the top) is clipped to it; a node left with no width, and every
// node below it, gets no box, as do nodes whose parent does not come before
// them. Boxes come in the nodes' order. No boxes when whole is not positive.
std::vector<IcicleBox> icicleLayout(const std::vector<IcicleNode>& nodes, double whole);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_HTML_ICICLE_LAYOUT_H_
