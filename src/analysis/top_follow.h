// `top`'s loop: follows a log while its runtime writes it, reading only what
// was appended, and draws a refresh (top_view) at each interval until a stop
// signal (SIGINT, SIGTERM, SIGHUP) or until the log stays idle long enough.
#ifndef VYN_ANALYSIS_TOP_FOLLOW_H_
#define VYN_ANALYSIS_TOP_FOLLOW_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace vyn::tools {

enum class TopFormat { Auto, Screen, Jsonl };

struct TopOptions {
  std::string logPath;
  double interval = 1;  // seconds between refreshes
  std::size_t top = 5;  // event paths per graph
  std::optional<double> exitWhenIdle;
  TopFormat format = TopFormat::Auto;  // the screen on a terminal, else JSON lines
  int visibility = 127;
};

// Where a problem goes: the path or stream it is about, and what is wrong.
using ProblemReport = std::function<void(const std::string& subject, const std::string& problem)>;

// Follows the log, drawing on standard output; a fault, once, and a log that
// stopped growing in the middle of a record go to report, in the words of the
// analyses. The exit status: 0 stopped by a signal, or idle with a log that
// verifies; 1 the log cannot be followed, or was damaged when it went idle.
int followLog(const TopOptions& options, const ProblemReport& report);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_TOP_FOLLOW_H_
