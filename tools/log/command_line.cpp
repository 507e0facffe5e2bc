#include "log/command_line.h"

#include <limits>

#include "common/number_options.h"

namespace vyn::tools {

const char* const kVerboseHelp = "say on standard error how large the log is and how fast it was read";

const CLI::Validator& notEmptyPath() {
  static const CLI::Validator check(
      [](const std::string& path) { return path.empty() ? std::string("the path is empty") : std::string(); }, "");
  return check;
}

void addGraphOption(CLI::App* app, std::vector<std::string>& graphs, const std::string& help) {
  app->add_option("--graph", graphs, help)
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

CLI::Option* addSkipFirstOption(CLI::App* app, std::uint64_t& skipFirst) {
  return app->add_option("--skip-first", skipFirst, "leave out the first N executions of each graph (warm-up)")
      ->transform(wholeNumber(0, std::numeric_limits<std::uint64_t>::max(), "a number of executions, 0 or more"));
}

void addVisibilityOption(CLI::App* app, int& level, const std::string& help) {
  app->add_option("--visibility", level, help)->transform(visibilityLevel())->capture_default_str();
}

void addTimeUnitOption(CLI::App* app, TimeUnit& unit, const std::string& help) {
  addChoice<TimeUnit>(
      app, "--unit", unit,
      {{"auto", TimeUnit::Auto}, {"us", TimeUnit::Micro}, {"ms", TimeUnit::Milli}, {"s", TimeUnit::Seconds}}, help);
}

void addVerboseAndStrictOptions(CLI::App* app, bool& verbose, bool& strict) {
  app->add_flag("--verbose", verbose, kVerboseHelp);
  app->add_flag("--strict", strict,
                "a log that stops being readable before its end (a killed run) is an error, not a warning");
}

}  // namespace vyn::tools
