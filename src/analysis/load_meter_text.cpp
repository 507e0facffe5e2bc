#include "analysis/load_meter_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "stats/figure_text.h"

namespace vyn::tools {
namespace {

constexpr double kBytesPerMegabyte = 1e6;

double megabytes(std::uint64_t bytes) { return static_cast<double>(bytes) / kBytesPerMegabyte; }

// Whole MB per second; 0 before any time has passed.
long long megabytesPerSecond(std::uint64_t bytes, double seconds) {
  return seconds > 0 ? std::llround(megabytes(bytes) / seconds) : 0;
}

// "loading  42% [####    ]": what is done, its percentage and its bar.
std::string percentAndBar(const char* what, std::uint64_t done, std::uint64_t total, std::size_t barWidth) {
  const double fraction = total == 0 ? 0.0 : std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
  char percent[16];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
  std::string line = std::string(what) + " " + percent;
  if (barWidth != 0) {
    const auto filled = static_cast<std::size_t>(fraction * static_cast<double>(barWidth));
    line += " [" + std::string(filled, '#') + std::string(barWidth - filled, ' ') + "]";
  }
  return line;
}

}  // namespace

std::string progressLine(std::uint64_t loaded, std::uint64_t total, double seconds, std::size_t barWidth) {
  char figures[96];
  std::snprintf(figures, sizeof figures, " %.1f/%.1f MB  %lld MB/s", megabytes(loaded), megabytes(total),
                megabytesPerSecond(loaded, seconds));
  return percentAndBar("loading", loaded, total, barWidth) + figures;
}

std::string writeProgressLine(std::uint64_t done, std::uint64_t total, std::uint64_t written, double seconds,
                              std::size_t barWidth) {
  char figures[96];
  std::snprintf(figures, sizeof figures, " %.1f MB  %lld MB/s", megabytes(written),
                megabytesPerSecond(written, seconds));
  return percentAndBar("writing", done, total, barWidth) + figures;
}

std::string loadSummaryLine(std::uint64_t bytes, double seconds, std::optional<std::uint64_t> executions) {
  char figures[96];
  std::snprintf(figures, sizeof figures, "loaded %.1f MB in %.2f s (%lld MB/s)", megabytes(bytes), seconds,
                megabytesPerSecond(bytes, seconds));
  std::string line = figures;
  if (executions) {
    line += ", " + countText(*executions) + (*executions == 1 ? " execution" : " executions");
  }
  return line;
}

}  // namespace vyn::tools
