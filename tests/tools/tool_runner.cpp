#include "tool_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "support/temp_dir.h"

namespace vyn::testing {

std::string viewerPath() { return std::string(VYN_STAGE_DIR) + "/bin/vyn-profile-viewer"; }
std::string logToolPath() { return std::string(VYN_STAGE_DIR) + "/bin/vyn-profile-log"; }
std::string pluginPath() { return std::string(VYN_STAGE_DIR) + "/lib/libVynXtuProfilingReader.so"; }
std::string sampleLog(const std::string& name) {
  return std::string(VYN_STAGE_DIR) + "/share/vyn/examples/" + name + ".log";
}
std::string goldenFile(const std::string& name) { return std::string(VYN_GOLDEN_DIR) + "/" + name; }
std::string sampleJson(const std::string& name) {
  return std::string(VYN_EXAMPLES_DIR) + "/" + name + ".json";
}

ToolRun runTool(const std::string& program, const std::vector<std::string>& args,
                const std::string& cwd) {
  TempDir capture;
  const std::string outPath = capture.file("stdout");
  const std::string errPath = capture.file("stderr");
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::setenv("TZ", "UTC", 1);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(outPath);
  run.err = readFile(errPath);
  return run;
}

}  // namespace vyn::testing
