#include "log/html/icicle_layout.h"

#include <algorithm>
#include <cmath>

namespace vyn::tools {

std::vector<IcicleBox> icicleLayout(const std::vector<IcicleNode>& nodes, double whole) {
  std::vector<IcicleBox> boxes;
  if (!(whole > 0) || !std::isfinite(whole)) return boxes;
  constexpr std::uint32_t kNoBox = 0xFFFFFFFFu;
  std::vector<std::uint32_t> boxOf(nodes.size(), kNoBox);
  // The next free place along each box, and along the top level.
  std::vector<double> nextFree;
  double topFree = 0;
  for (std::uint32_t at = 0; at < nodes.size(); ++at) {
    const IcicleNode& node = nodes[at];
    double* free = &topFree;
    double limit = 1;
    std::uint32_t depth = 0;
    if (node.parent != kIcicleTop) {
      if (node.parent >= at || boxOf[node.parent] == kNoBox) continue;
      const std::uint32_t parentBox = boxOf[node.parent];
      free = &nextFree[parentBox];
      limit = boxes[parentBox].right;
      depth = boxes[parentBox].depth + 1;
    }
    const double width = std::isfinite(node.value) ? std::max(node.value, 0.0) / whole : 0;
    const double left = *free;
    const double right = std::min(left + width, limit);
    if (!(right > left)) continue;
    *free = right;
    boxOf[at] = static_cast<std::uint32_t>(boxes.size());
    boxes.push_back({at, depth, left, right});
    nextFree.push_back(left);
  }
  return boxes;
}

}  // namespace vyn::tools
