// top: follows a log while its runtime writes it, redrawing per graph the
// executions, their rate, the last time, p50 and p99, and the top events.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <optional>

#include "analysis/log_extent.h"
#include "analysis/top_view.h"
#include "base/input_protection.h"
#include "capture/growing_log_capture.h"
#include "common/number_options.h"
#include "format/log_scanner.h"
#include "log/command_line.h"
#include "log/commands.h"
#include "stats/live_figures.h"

namespace vyn::tools {
namespace {

enum class TopFormat { Auto, Screen, Jsonl };

struct TopOptions {
  std::string logPath;
  double interval = 1;
  std::size_t top = 5;
  std::optional<double> exitWhenIdle;
  TopFormat format = TopFormat::Auto;  // the screen on a terminal, else JSON lines
  int visibility = 127;
};

using Clock = std::chrono::steady_clock;

// The longest wait top takes: about eleven days.
constexpr double kLongestSeconds = 1e6;

// A number of seconds above 0, at most kLongestSeconds.
CLI::Validator seconds() {
  const CLI::Validator number = nonNegativeNumber("a number of seconds above 0, at most 1000000");
  return CLI::Validator(
      [number](std::string& text) -> std::string {
        std::string problem = number(text);
        if (!problem.empty()) return problem;
        const double value = std::strtod(text.c_str(), nullptr);
        if (value > 0 && value <= kLongestSeconds) return {};
        return text + (value > 0 ? " is too long" : " is not above 0") +
               "; give a number of seconds above 0, at most 1000000";
      },
      "SECONDS");
}

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
void reportCutTail(const std::string& path, const profiling::GrowingLogCapture& capture) {
  if (capture.waitingBytes() == 0) return;
  profiling::LogScanner tail;
  if (!tail.openAt(path, capture.position(), capture.records()) || tail.next() != profiling::LogScanner::Step::Fault) {
    return;  // grown whole meanwhile, or only the 1 to 3 stray bytes readers ignore
  }
  const LogExtent extent{capture.records(), tail.fault(), tail.fileSize()};
  reportProblem(path, readablePartFollows(tail.fault()) ? partialLogWarning(path, extent) : tail.fault().text());
}

int runTop(const TopOptions& options) {
  const std::string overwrite = base::overwritesInput("-", {options.logPath});
  if (!overwrite.empty()) {
    reportProblem("standard output", overwrite);
    return 1;
  }
  struct stat status {};
  if (::stat(options.logPath.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    reportProblem(options.logPath, "not a regular file: top follows a log file as it grows");
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
      reportProblem(options.logPath, capture.fault()->text());
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
      reportProblem(options.logPath, readablePartFollows(*capture.fault()) ? partialLogWarning(options.logPath, extent)
                                                                           : *refresh.fault);
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
      if (!capture.fault()) reportCutTail(options.logPath, capture);
      return capture.fault() ? 1 : 0;
    }
    // The next refresh, or the moment top would be idle long enough, if sooner.
    Clock::time_point next = now + durationOf(options.interval);
    if (options.exitWhenIdle) next = std::min(next, lastGrowth + durationOf(*options.exitWhenIdle));
    if (signals.waitUntil(next)) return 0;
  }
}

}  // namespace

Command addTopCommand(CLI::App& app) {
  auto options = std::make_shared<TopOptions>();
  CLI::App* top = app.add_subcommand("top", "Follow a log being written: executions, rates and percentiles per graph");
  top->add_option("LOG", options->logPath, "binary log, read as it grows")->required();
  top->add_option("--interval", options->interval, "seconds between refreshes (default 1)")->check(seconds());
  top->add_option("--top", options->top, "event paths shown per graph, by total (default 5)")
      ->transform(wholeNumber(0, std::numeric_limits<std::size_t>::max(), "a number of event paths, 0 or more"));
  top->add_option("--exit-when-idle", options->exitWhenIdle, "stop after this many seconds without the log growing")
      ->check(seconds());
  addChoice<TopFormat>(top, "--format", options->format,
                       {{"auto", TopFormat::Auto}, {"screen", TopFormat::Screen}, {"jsonl", TopFormat::Jsonl}},
                       "screen (redrawn in place), jsonl (one JSON line per refresh) or auto: the screen on a "
                       "terminal, else jsonl");
  addVisibilityOption(top, options->visibility,
                      "reader level, as the viewer's: messages whose level is lower are taken");
  top->footer(
      "The log is read from where its last whole record ended, never again from its start. A record\n"
      "not yet written whole at the end is waited for; a record that is all there and does not\n"
      "verify stops the reading: the fault goes to standard error and the figures stay as they were.\n"
      "p50 and p99 are over every execution so far and over those since the previous refresh, as\n"
      "stats computes them. A JSON line: docs/top-line.schema.json; complete is true when every byte\n"
      "of the log is in a record read (false while a record is being written, or after damage).\n\n"
      "Examples:\n"
      "  vyn-profile-log top run.log\n"
      "  vyn-profile-log top run.log --format jsonl --interval 0.5 --exit-when-idle 10 > run.top.jsonl\n\n"
      "Exit status: 0 stopped by Ctrl-C (or SIGTERM, SIGHUP) or idle; 1 the log cannot be opened, or\n"
      "it was damaged when top stopped for idleness; 2 a usage error.");
  return {top, [options] { return runTop(*options); }};
}

}  // namespace vyn::tools
