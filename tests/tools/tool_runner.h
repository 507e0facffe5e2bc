// Runs the installed tools in a scratch directory and collects what they print.
// Arguments are passed through the shell in single quotes, so none may hold one.
#ifndef VYN_TESTS_TOOLS_TOOL_RUNNER_H_
#define VYN_TESTS_TOOLS_TOOL_RUNNER_H_

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vyn::testing {

inline std::string stagePath(const std::string& path) { return std::string(VYN_STAGE_DIR) + "/" + path; }
inline const std::string kPlugin = stagePath("lib/libVynXtuProfilingReader.so");
inline std::string sampleLog(const std::string& name) { return stagePath("share/vyn/examples/" + name + ".log"); }
inline std::string goldenFile(const std::string& name) { return readFile(std::string(VYN_GOLDEN_DIR) + "/" + name); }

struct ToolRun {
  int exitCode;  // -1 when the tool did not exit normally
  std::string out, err;
};

class ToolTest : public ::testing::Test {
 protected:
  // Runs an installed program in the scratch directory, in UTC.
  ToolRun run(const std::string& program, const std::vector<std::string>& args) {
    std::string command = "cd '" + work.path() + "' || exit 125; " + shellSetup + "exec '" + stagePath(program) + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += appendOutputTo.empty() ? " </dev/null >'" + capture.file("stdout") + "'"
                                      : " </dev/null >>'" + appendOutputTo + "'";
    command += " 2>'" + capture.file("stderr") + "'";
    ::setenv("TZ", "UTC", 1);
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(capture.file("stdout")),
            readFile(capture.file("stderr"))};
  }
  ToolRun tool(const std::vector<std::string>& args) { return run("bin/vyn-profile-log", args); }
  ToolRun view(const std::vector<std::string>& args) { return run("bin/vyn-profile-viewer", args); }

  // Packs JSON text into a log in the scratch directory; returns the log's name.
  std::string pack(const std::string& name, const std::string& json) {
    writeFile(work.file(name + ".json"), json);
    const ToolRun packed = tool({"pack", name + ".json", "-o", name});
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    return name;
  }
  std::string scratch(const std::string& name) const { return readFile(work.file(name)); }
  // The names in the scratch directory, hidden ones included, sorted.
  std::vector<std::string> scratchNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Copies a sample log into the scratch directory; returns its bare file name.
  std::string stage(const std::string& sample) {
    std::filesystem::copy_file(sampleLog(sample), work.file(sample + ".log"));
    return sample + ".log";
  }

  // Checks a scratch file against a JSON Schema of docs/; where python3 or its
  // jsonschema module is missing, says so and checks nothing.
  void expectFitsSchema(const std::string& schema, const std::string& file) {
    const std::string command = "'" VYN_PYTHON "' '" VYN_VALIDATE_JSON "' '" VYN_DOCS_DIR "/" + schema + "' '" +
                                work.file(file) + "' 2>'" + capture.file("schema") + "'";
    const int status = std::string(VYN_PYTHON).empty() ? -1 : std::system(command.c_str());
    if (status == -1 || (WIFEXITED(status) && WEXITSTATUS(status) == 77)) {
      std::printf("%s not checked against %s: no python3 with jsonschema\n", file.c_str(), schema.c_str());
    } else {
      EXPECT_EQ(status, 0) << file << " does not fit docs/" << schema << ":\n" << readFile(capture.file("schema"));
    }
  }

  TempDir work, capture;
  // Shell commands run before the program in its shell, each ending in "; " or
  // "& " (limits, traps, a signal sent later).
  std::string shellSetup;
  // When set, standard output is appended to this file of the scratch directory.
  std::string appendOutputTo;
};

}  // namespace vyn::testing

#endif  // VYN_TESTS_TOOLS_TOOL_RUNNER_H_
