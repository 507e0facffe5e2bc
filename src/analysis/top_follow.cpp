#include "analysis/top_follow.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "analysis/log_extent.h"
#include "analysis/top_view.h"
#include "base/input_protection.h"
#include "capture/growing_log_capture.h"
#include "format/log_scanner.h"
#include "stats/live_figures.h"

namespace vyn::tools {
namespace {

using Clock = std::chrono::steady_clock;

Clock::duration durationOf(double seconds) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

double secondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The signals that end top, held back so that it waits for them between refreshes.
class StopSignals {
 public:
  StopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGHUP);
    sigprocmask(SIG_BLOCK, &set_, &previous_);
  }
  ~StopSignals() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Waits until deadline; true when a stop signal came first.
  bool waitUntil(Clock::time_point deadline) const {
    for (;;) {
      const double left = secondsBetween(Clock::now(), deadline);
      if (left <= 0) return false;
      timespec wait{};
      wait.tv_sec = static_cast<std::time_t>(left);
      wait.tv_nsec = static_cast<long>((left - static_cast<double>(wait.tv_sec)) * 1e9);
      if (sigtimedwait(&set_, nullptr, &wait) > 0) return true;
      if (errno != EAGAIN && errno != EINTR) return false;
    }
  }

 private:
  sigset_t set_{};
  sigset_t previous_{};
};

// A log that stopped growing in the middle of a record, as when its runtime was
// killed: said as the analyses say it, once top stops waiting for the rest.
void reportCutTail(const std::string& path, const profiling::GrowingLogCapture& capture, const ProblemReport& report) {
  if (capture.waitingBytes() == 0) return;
  profiling::LogScanner tail;
  if (!tail.openAt(path, capture.position(), capture.records()) || tail.next() != profiling::LogScanner::Step::Fault) {
    return;  // grown whole meanwhile, or only the 1 to 3 stray bytes readers ignore
  }
  const LogExtent extent{capture.records(), tail.fault(), tail.fileSize()};
  report(path, readablePartFollows(tail.fault()) ? partialLogWarning(path, extent) : tail.fault().text());
}

}  // namespace

int followLog(const TopOptions& options, const ProblemReport& report) {
  const std::string overwrite = base::overwritesInput("-", {options.logPath});
  if (!overwrite.empty()) {
    report("standard output", overwrite);
    return 1;
  }
  struct stat status {};
  if (::stat(options.logPath.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    report(options.logPath, "not a regular file: top follows a log file as it grows");
    return 1;
  }
  TopFormat format = options.format;
  if (format == TopFormat::Auto) format = ::isatty(STDOUT_FILENO) == 1 ? TopFormat::Screen : TopFormat::Jsonl;
  const StopSignals signals;
  profiling::GrowingLogCapture capture(options.logPath, static_cast<std::int8_t>(options.visibility));
  profiling::LiveFigures live;
  const Clock::time_point start = Clock::now();
  Clock::time_point previous = start;
  Clock::time_point lastGrowth = start;
  std::uint64_t lastSize = 0;
  bool first = true;
  bool reportedFault = false;
  for (;;) {
    capture.update();
    const Clock::time_point now = Clock::now();
    if (first && capture.fault() && capture.fault()->kind == profiling::LogFaultKind::Unopened) {
      report(options.logPath, capture.fault()->text());
      return 1;
    }
    if (capture.fileSize() != lastSize || first) lastGrowth = now;
    lastSize = capture.fileSize();
    live.advance(capture.model());

    TopRefresh refresh;
    refresh.timeSeconds = secondsBetween(start, now);
    refresh.intervalSeconds = first ? 0 : secondsBetween(previous, now);
    refresh.bytes = capture.position();
    refresh.records = capture.records();
    refresh.waitingBytes = capture.waitingBytes();
    if (capture.fault()) refresh.fault = capture.fault()->text();
    refresh.graphs = live.figures(capture.model(), options.top);
    previous = now;

    if (capture.fault() && !reportedFault) {
      // Said as the analyses say it, when records were read before the bad one.
      const LogExtent extent{capture.records(), capture.fault(), capture.fileSize()};
      report(options.logPath,
             readablePartFollows(*capture.fault()) ? partialLogWarning(options.logPath, extent) : *refresh.fault);
      reportedFault = true;
    }
    if (format == TopFormat::Jsonl) {
      std::fputs(topLine(refresh, capture.model()).c_str(), stdout);
    } else {
      // Home, clear the screen, draw.
      std::fputs(("\x1b[H\x1b[2J" + topScreen(options.logPath, refresh, capture.model())).c_str(), stdout);
    }
    std::fflush(stdout);
    first = false;

    if (options.exitWhenIdle && secondsBetween(lastGrowth, now) >= *options.exitWhenIdle) {
      if (!capture.fault()) reportCutTail(options.logPath, capture, report);
      return capture.fault() ? 1 : 0;
    }
    // The next refresh, or the moment top would be idle long enough, if sooner.
    Clock::time_point next = now + durationOf(options.interval);
    if (options.exitWhenIdle) next = std::min(next, lastGrowth + durationOf(*options.exitWhenIdle));
    if (signals.waitUntil(next)) return 0;
  }
}

}  // namespace vyn::tools
