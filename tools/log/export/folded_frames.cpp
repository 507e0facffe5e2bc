#include "log/export/folded_frames.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/figures.h"

namespace vyn::tools {
namespace {

using profiling::ExecutionProfile;
using profiling::kNoParentPath;
using profiling::PathProfile;
using profiling::PathValues;

double sum(const std::vector<double>& values) {
  double total = 0;
  for (const double value : values) total += value;
  return std::max(total, 0.0);
}

// A profile keeps either every occurrence or the sum per execution; the other
// stays empty, and both add up to the same total.
double pathTotal(const PathProfile& path) { return sum(path.samples) + sum(path.perExecution); }

std::uint64_t wholeMicroseconds(double microseconds) {
  constexpr double kBeyond = 18446744073709551616.0;  // 2^64
  // Also catches NaN, which a sum grown past the largest double may leave.
  if (!(microseconds > 0)) return 0;
  const double rounded = std::round(microseconds);
  if (rounded >= kBeyond) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(rounded);
}

}  // namespace

std::vector<FoldedFrame> foldedFrames(const ExecutionProfile& profile) {
  const std::vector<PathProfile>& paths = profile.paths;
  const std::size_t count = paths.size();
  const auto parentOf = [&](std::size_t at) { return paths[at].parent; };

  // Parents come before their sub-paths, so one pass forward settles which
  // paths are timed, and one pass backward adds every sub-path's width to its
  // parent's before the parent's own is taken.
  std::vector<bool> timed(count);
  for (std::size_t at = 0; at < count; ++at) {
    const bool measured = paths[at].values == PathValues::Measured && isMicroseconds(paths[at].unit);
    timed[at] = measured && (parentOf(at) == kNoParentPath || timed[parentOf(at)]);
  }
  std::vector<double> below(count, 0.0);  // the widths of the timed sub-paths
  std::vector<double> own(count, 0.0);
  double belowGraph = 0;
  for (std::size_t at = count; at-- > 0;) {
    if (!timed[at]) continue;
    const double total = pathTotal(paths[at]);
    own[at] = total - below[at];
    const double width = std::max(total, below[at]);
    (parentOf(at) == kNoParentPath ? belowGraph : below[parentOf(at)]) += width;
  }

  // Pre-order: each parent's sub-paths linked in order of first appearance.
  std::uint32_t firstRoot = kNoParentPath;
  std::vector<std::uint32_t> firstChild(count, kNoParentPath);
  std::vector<std::uint32_t> nextSibling(count, kNoParentPath);
  for (std::size_t at = count; at-- > 0;) {
    if (!timed[at]) continue;
    std::uint32_t& first = parentOf(at) == kNoParentPath ? firstRoot : firstChild[parentOf(at)];
    nextSibling[at] = first;
    first = static_cast<std::uint32_t>(at);
  }

  std::vector<FoldedFrame> frames;
  const auto add = [&frames](std::uint32_t path, double microseconds) {
    const std::uint64_t whole = wholeMicroseconds(microseconds);
    if (whole != 0) frames.push_back({path, whole});
  };
  add(kNoParentPath, sum(profile.executionTimes) - belowGraph);
  std::vector<std::uint32_t> pending;  // paths still to visit, the next one last
  if (firstRoot != kNoParentPath) pending.push_back(firstRoot);
  while (!pending.empty()) {
    const std::uint32_t at = pending.back();
    pending.pop_back();
    add(at, own[at]);
    if (nextSibling[at] != kNoParentPath) pending.push_back(nextSibling[at]);
    if (firstChild[at] != kNoParentPath) pending.push_back(firstChild[at]);
  }
  return frames;
}

}  // namespace vyn::tools
