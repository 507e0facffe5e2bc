#include "analysis/load_meter.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "analysis/load_meter_text.h"
#include "base/terminal_text.h"

namespace vyn::tools {
namespace {

// Smaller logs load in about a second; a progress line would only flicker.
constexpr std::uint64_t kLargeLog = 64ULL * 1024 * 1024;
// The clock is read at most this many times per load.
constexpr std::uint64_t kLooksPerLoad = 1000;

}  // namespace

LoadMeter::LoadMeter(bool verbose, std::uint64_t fileSize, std::string label)
    : verbose_(verbose), fileSize_(fileSize), label_(std::move(label)), line_(label_) {
  if (line_.onTerminal()) nextLook_ = 0;
}

void LoadMeter::look(std::uint64_t loaded, std::uint64_t total) {
  if (lookStep_ == 0) {
    // The first look: is the log large enough for a progress line?
    if (total <= kLargeLog) {
      nextLook_ = kNever;
      return;
    }
    lookStep_ = total / kLooksPerLoad;
  }
  if (loaded >= total) {
    // All read: what the loader writes next (a reader's notices on standard
    // output, say) must not land on the progress line.
    nextLook_ = kNever;
    clear();
    return;
  }
  nextLook_ = std::min(loaded + lookStep_, total);
  if (!line_.due()) return;
  line_.draw(progressLine(loaded, total, line_.seconds(), line_.barWidth()));
}

void LoadMeter::clear() { line_.clear(); }

void LoadMeter::finish(std::optional<std::uint64_t> executions) {
  const double seconds = line_.seconds();
  nextLook_ = kNever;
  clear();
  if (!verbose_) return;
  const std::string summary = (label_.empty() ? "" : base::terminalText(label_) + ": ") +
                              loadSummaryLine(std::max(loaded_, fileSize_), seconds, executions);
  std::fprintf(stderr, "%s\n", summary.c_str());
}

}  // namespace vyn::tools
