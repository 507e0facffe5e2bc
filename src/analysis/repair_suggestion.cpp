#include "analysis/repair_suggestion.h"

#include <cctype>
#include <string_view>

namespace vyn::tools {
namespace {

// The word as the shell must be given it: as it is when it holds only
// characters the shell takes literally, else in single quotes.
std::string shellWord(const std::string& word) {
  bool plain = !word.empty();
  for (const char c : word) {
    const bool literal = std::isalnum(static_cast<unsigned char>(c)) != 0 ||
                         std::string_view("/._-+=:,@%").find(c) != std::string_view::npos;
    plain = plain && literal;
  }
  if (plain) return word;
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string repairedLogPath(const std::string& logPath) {
  const std::string suffix = ".log";
  const auto slash = logPath.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (logPath.size() > nameStart + suffix.size() &&
      logPath.compare(logPath.size() - suffix.size(), suffix.size(), suffix) == 0) {
    return logPath.substr(0, logPath.size() - suffix.size()) + ".repaired" + suffix;
  }
  return logPath + ".repaired";
}

std::string repairCommand(const std::string& logPath) {
  // A path that begins with '-' would be read as an option.
  const std::string path = !logPath.empty() && logPath[0] == '-' ? "./" + logPath : logPath;
  return "vyn-profile-log repair " + shellWord(path) + " -o " + shellWord(repairedLogPath(path));
}

}  // namespace vyn::tools
