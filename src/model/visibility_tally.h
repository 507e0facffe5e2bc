// How a reader's visibility level sorted the messages of a log: how many it
// took, how many it skipped, and the lowest level among the skipped ones (the
// level a reader must exceed to take any of them). Only counted, never reported
// by the reader itself: a tool tells its user when every message was skipped.
#ifndef VYN_MODEL_VISIBILITY_TALLY_H_
#define VYN_MODEL_VISIBILITY_TALLY_H_

#include <algorithm>
#include <cstdint>

namespace vyn::profiling {

struct VisibilityTally {
  std::uint64_t taken = 0;
  std::uint64_t skipped = 0;
  std::int8_t lowestSkippedLevel = INT8_MAX;  // meaningful when skipped > 0

  void count(bool passes, std::int8_t level) {
    if (passes) {
      ++taken;
      return;
    }
    ++skipped;
    lowestSkippedLevel = std::min(lowestSkippedLevel, level);
  }
  std::uint64_t messages() const { return taken + skipped; }
};

}  // namespace vyn::profiling

#endif  // VYN_MODEL_VISIBILITY_TALLY_H_
