// top: follows a log while its runtime writes it, redrawing per graph the
// executions, their rate, the last time, p50 and p99, and the top events.
#include <cstdlib>
#include <limits>
#include <memory>

#include "analysis/top_follow.h"
#include "common/number_options.h"
#include "log/command_line.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

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
  return {top, [options] { return followLog(*options, reportProblem); }};
}

}  // namespace vyn::tools
