// Runs the installed tools as child processes and collects what they print.
#ifndef VYN_TESTS_TOOLS_TOOL_RUNNER_H_
#define VYN_TESTS_TOOLS_TOOL_RUNNER_H_

#include <string>
#include <vector>

namespace vyn::testing {

struct ToolRun {
  int exitCode = -1;  // -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

// Paths inside the installed tree.
std::string viewerPath();
std::string logToolPath();
std::string pluginPath();
// An installed sample log, e.g. sampleLog("two-graphs").
std::string sampleLog(const std::string& name);
std::string goldenFile(const std::string& name);
std::string sampleJson(const std::string& name);

// Runs program with args in directory cwd, with the time zone set to UTC so that
// reports that print local times are the same everywhere.
ToolRun runTool(const std::string& program, const std::vector<std::string>& args,
                const std::string& cwd);

}  // namespace vyn::testing

#endif  // VYN_TESTS_TOOLS_TOOL_RUNNER_H_
