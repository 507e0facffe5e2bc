#include "common/load_meter.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "common/load_meter_text.h"

namespace vyn::tools {
namespace {

// Smaller logs load in about a second; a progress line would only flicker.
constexpr std::uint64_t kLargeLog = 64ULL * 1024 * 1024;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
// The clock is read at most this many times per load.
constexpr std::uint64_t kLooksPerLoad = 1000;
// What the progress line holds besides the bar, at its widest.
constexpr std::size_t kFiguresWidth = 48;
constexpr std::size_t kWidestBar = 30;

// The bar's width on this terminal, so that the line never wraps.
std::size_t barWidthFor(int fd, std::size_t labelWidth) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kWidestBar;
  const std::size_t columns = size.ws_col;
  const std::size_t taken = kFiguresWidth + labelWidth;
  return columns > taken + 10 ? std::min(kWidestBar, columns - taken) : 0;
}

// The longest label a progress line carries, so that it stays on one line.
constexpr std::size_t kWidestLabel = 36;

// label, cut in the middle when too long, and the colon that ends it.
std::string progressLabel(const std::string& label) {
  if (label.empty()) return {};
  if (label.size() <= kWidestLabel) return label + ": ";
  const std::size_t head = kWidestLabel / 3;
  return label.substr(0, head) + "..." + label.substr(label.size() - (kWidestLabel - head - 3)) + ": ";
}

// Back to the start of the line, and erase it.
constexpr const char* kClearLine = "\r\033[K";

}  // namespace

LoadMeter::LoadMeter(bool verbose, std::uint64_t fileSize, std::string label)
    : verbose_(verbose), label_(std::move(label)), fileSize_(fileSize), start_(Clock::now()), lastDrawing_(start_) {
  if (::isatty(STDERR_FILENO) == 1) nextLook_ = 0;
}

LoadMeter::~LoadMeter() { clear(); }

void LoadMeter::look(std::uint64_t loaded, std::uint64_t total) {
  if (lookStep_ == 0) {
    // The first look: is the log large enough for a progress line?
    if (total <= kLargeLog) {
      nextLook_ = kNever;
      return;
    }
    lookStep_ = total / kLooksPerLoad;
    barWidth_ = barWidthFor(STDERR_FILENO, progressLabel(label_).size());
  }
  if (loaded >= total) {
    // All read: what the loader writes next (a reader's notices on standard
    // output, say) must not land on the progress line.
    nextLook_ = kNever;
    clear();
    return;
  }
  nextLook_ = std::min(loaded + lookStep_, total);
  const Clock::time_point now = Clock::now();
  if (now - lastDrawing_ < kRedrawInterval) return;
  lastDrawing_ = now;
  const std::string line = progressLabel(label_) + progressLine(loaded, total, secondsSince(start_), barWidth_);
  std::fprintf(stderr, "%s%s", kClearLine, line.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

double LoadMeter::secondsSince(Clock::time_point then) const {
  return std::chrono::duration<double>(Clock::now() - then).count();
}

void LoadMeter::clear() {
  if (!drawn_) return;
  std::fputs(kClearLine, stderr);
  std::fflush(stderr);
  drawn_ = false;
}

void LoadMeter::finish(std::optional<std::uint64_t> executions) {
  const double seconds = secondsSince(start_);
  nextLook_ = kNever;
  clear();
  if (!verbose_) return;
  const std::string line = (label_.empty() ? "" : label_ + ": ") +
                           loadSummaryLine(std::max(loaded_, fileSize_), seconds, executions);
  std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace vyn::tools
