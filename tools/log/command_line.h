// The options that several of vyn-profile-log's commands share: those of the
// analysis commands (--graph, --skip-first, --visibility, --unit, --verbose,
// --strict, -o).
#ifndef VYN_TOOLS_LOG_COMMAND_LINE_H_
#define VYN_TOOLS_LOG_COMMAND_LINE_H_

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "stats/figure_text.h"

namespace vyn::tools {

// An output path must name a file: '' is a slip, not standard output.
const CLI::Validator& notEmptyPath();

extern const char* const kVerboseHelp;

// An option that takes one of a few words, each naming a value of E: errors
// and help list the words in the order given.
template <typename E>
CLI::Option* addChoice(CLI::App* app, const std::string& name, E& value,
                       const std::vector<std::pair<std::string, E>>& choices, const std::string& help) {
  std::vector<std::string> words;
  for (const auto& choice : choices) words.push_back(choice.first);
  // A transform runs before those added earlier: the word is checked, then
  // turned into the value it names.
  return app->add_option(name, value, help)
      ->transform(CLI::Transformer(choices).description(""))
      ->transform(CLI::IsMember(words));
}

// --graph, repeatable: only the graphs named.
void addGraphOption(CLI::App* app, std::vector<std::string>& graphs, const std::string& help);
// --skip-first N: the warm-up executions of each graph left out.
CLI::Option* addSkipFirstOption(CLI::App* app, std::uint64_t& skipFirst);
// --visibility LEVEL: the reader level, -128 to 127.
void addVisibilityOption(CLI::App* app, int& level, const std::string& help);
// --unit us|ms|s|auto.
void addTimeUnitOption(CLI::App* app, TimeUnit& unit, const std::string& help);
// --verbose (kVerboseHelp), then --strict: a log that stops being readable
// before its end is an error, not a warning about the part that is read.
void addVerboseAndStrictOptions(CLI::App* app, bool& verbose, bool& strict);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_LOG_COMMAND_LINE_H_
