#include "analysis/folded_frames.h"

#include <cmath>
#include <limits>

#include "stats/self_time.h"

namespace vyn::tools {
namespace {

using profiling::ExecutionProfile;
using profiling::kNoParentPath;
using profiling::PathProfile;

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
  const profiling::SelfTimes times = profiling::selfTimes(profile);

  // A timed path makes a frame only when its parent makes one: parents come
  // before their sub-paths, so one pass forward settles which do.
  std::vector<bool> framed(count);
  for (std::size_t at = 0; at < count; ++at) {
    framed[at] = times.timed[at] && (parentOf(at) == kNoParentPath || framed[parentOf(at)]);
  }

  // Pre-order: each parent's sub-paths linked in order of first appearance.
  std::uint32_t firstRoot = kNoParentPath;
  std::vector<std::uint32_t> firstChild(count, kNoParentPath);
  std::vector<std::uint32_t> nextSibling(count, kNoParentPath);
  for (std::size_t at = count; at-- > 0;) {
    if (!framed[at]) continue;
    std::uint32_t& first = parentOf(at) == kNoParentPath ? firstRoot : firstChild[parentOf(at)];
    nextSibling[at] = first;
    first = static_cast<std::uint32_t>(at);
  }

  std::vector<FoldedFrame> frames;
  const auto add = [&frames](std::uint32_t path, double microseconds) {
    const std::uint64_t whole = wholeMicroseconds(microseconds);
    if (whole != 0) frames.push_back({path, whole});
  };
  add(kNoParentPath, times.graph);
  std::vector<std::uint32_t> pending;  // paths still to visit, the next one last
  if (firstRoot != kNoParentPath) pending.push_back(firstRoot);
  while (!pending.empty()) {
    const std::uint32_t at = pending.back();
    pending.pop_back();
    add(at, times.self[at]);
    if (nextSibling[at] != kNoParentPath) pending.push_back(nextSibling[at]);
    if (firstChild[at] != kNoParentPath) pending.push_back(firstChild[at]);
  }
  return frames;
}

}  // namespace vyn::tools
