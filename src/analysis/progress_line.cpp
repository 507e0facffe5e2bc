#include "analysis/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "base/terminal_text.h"

namespace vyn::tools {
namespace {

// What the progress line holds besides the bar, at its widest.
constexpr std::size_t kFiguresWidth = 48;
constexpr std::size_t kWidestBar = 30;

// The longest label a progress line carries, so that it stays on one line.
constexpr std::size_t kWidestLabel = 36;

// label as it leads the line: safe for a terminal, cut in the middle when too
// long, and ended by a colon.
std::string labelText(const std::string& label) {
  if (label.empty()) return {};
  const std::string shown = base::terminalText(label);
  if (shown.size() <= kWidestLabel) return shown + ": ";
  const std::size_t head = kWidestLabel / 3;
  return shown.substr(0, head) + "..." + shown.substr(shown.size() - (kWidestLabel - head - 3)) + ": ";
}

// Back to the start of the line, and erase it.
constexpr const char* kClearLine = "\r\033[K";

}  // namespace

ProgressLine::ProgressLine(const std::string& label)
    : onTerminal_(::isatty(STDERR_FILENO) == 1), label_(labelText(label)), start_(Clock::now()), lastDrawing_(start_) {}

std::size_t ProgressLine::barWidth() {
  if (measured_) return barWidth_;
  measured_ = true;
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
    barWidth_ = kWidestBar;
  } else {
    const std::size_t columns = size.ws_col;
    const std::size_t taken = kFiguresWidth + label_.size();
    barWidth_ = columns > taken + 10 ? std::min(kWidestBar, columns - taken) : 0;
  }
  return barWidth_;
}

double ProgressLine::seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

void ProgressLine::draw(const std::string& text) {
  if (!onTerminal_) return;
  lastDrawing_ = Clock::now();
  std::fprintf(stderr, "%s%s%s", kClearLine, label_.c_str(), text.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressLine::clear() {
  if (!drawn_) return;
  std::fputs(kClearLine, stderr);
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace vyn::tools
