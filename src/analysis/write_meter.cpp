#include "analysis/write_meter.h"

#include <algorithm>

#include "analysis/load_meter_text.h"

namespace vyn::tools {
namespace {

// Smaller outputs are written in well under a second; a progress line would
// only flicker.
constexpr std::uint64_t kLargeOutput = 64ULL * 1000 * 1000;
// The clock is read at most this many times per write.
constexpr std::uint64_t kLooksPerWrite = 1000;

}  // namespace

WriteMeter::WriteMeter(std::uint64_t total)
    : total_(total), lookStep_(std::max<std::uint64_t>(1, total / kLooksPerWrite)) {
  if (line_.onTerminal()) nextLook_ = 0;
}

void WriteMeter::look(std::uint64_t done, std::uint64_t written) {
  nextLook_ = done + lookStep_;
  if (done == 0 || !line_.due()) return;
  // What the whole output will come to at this pace.
  const double expected = static_cast<double>(written) * static_cast<double>(total_) / static_cast<double>(done);
  if (written <= kLargeOutput && expected <= static_cast<double>(kLargeOutput)) return;
  line_.draw(writeProgressLine(done, total_, written, line_.seconds(), line_.barWidth()));
}

void WriteMeter::finish() {
  nextLook_ = kNever;
  line_.clear();
}

}  // namespace vyn::tools
