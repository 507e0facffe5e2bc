#include "common/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace vyn::tools {
namespace {

// What the progress line holds besides the bar, at its widest.
constexpr std::size_t kFiguresWidth = 48;
constexpr std::size_t kWidestBar = 30;

// Back to the start of the line, and erase it.
constexpr const char* kClearLine = "\r\033[K";

}  // namespace

ProgressLine::ProgressLine()
    : onTerminal_(::isatty(STDERR_FILENO) == 1), start_(Clock::now()), lastDrawing_(start_) {}

std::size_t ProgressLine::barWidth() {
  if (measured_) return barWidth_;
  measured_ = true;
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
    barWidth_ = kWidestBar;
  } else {
    const std::size_t columns = size.ws_col;
    barWidth_ = columns > kFiguresWidth + 10 ? std::min(kWidestBar, columns - kFiguresWidth) : 0;
  }
  return barWidth_;
}

double ProgressLine::seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

void ProgressLine::draw(const std::string& text) {
  if (!onTerminal_) return;
  lastDrawing_ = Clock::now();
  std::fprintf(stderr, "%s%s", kClearLine, text.c_str());
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
