// Scaffolding shared by the hostile-input tests: a scratch tree with a working
// directory and an area outside it, captured diagnostics, captured standard
// output, and a snapshot that shows whether anything outside the working
// directory was written.
#ifndef VYN_TESTS_HOSTILE_HOSTILE_SUPPORT_H_
#define VYN_TESTS_HOSTILE_HOSTILE_SUPPORT_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vyn::testing {

// Collects every diagnostic message, expanded, from creation to destruction.
// Creates the process-wide logger at debug level; only one may exist at a time.
class CapturedDiagnostics {
 public:
  CapturedDiagnostics();
  ~CapturedDiagnostics();
  CapturedDiagnostics(const CapturedDiagnostics&) = delete;
  CapturedDiagnostics& operator=(const CapturedDiagnostics&) = delete;

  // The messages logged at exactly this level, in order.
  std::vector<std::string> at(std::int32_t level) const;
  std::vector<std::string> errors() const;
  void clear();
};

// Sends standard output (descriptor 1, with std::cout and stdout flushed at both
// ends) to a file until stop(), which returns what was written.
class CapturedStdout {
 public:
  CapturedStdout();
  ~CapturedStdout();
  CapturedStdout(const CapturedStdout&) = delete;
  CapturedStdout& operator=(const CapturedStdout&) = delete;

  std::string stop();

 private:
  TempDir dir_;
  int saved_ = -1;
};

// A scratch tree for one test:
//   ROOT/input.log   the log under test
//   ROOT/work/       the working directory while the scene lives
//   ROOT/outside/    an area the reader must never write to
class HostileScene {
 public:
  HostileScene();
  HostileScene(const HostileScene&) = delete;
  HostileScene& operator=(const HostileScene&) = delete;

  std::string root() const { return dir_.path(); }
  std::string logPath() const { return dir_.file("input.log"); }
  std::string work(const std::string& name) const { return dir_.path() + "/work/" + name; }
  std::string outside(const std::string& name) const { return dir_.path() + "/outside/" + name; }

  // Every entry below ROOT except the log and those inside work/, by relative
  // path: a file with its content, a symbolic link with its target, a directory.
  std::map<std::string, std::string> outsideSnapshot() const;
  // Names of the entries of the working directory, sorted.
  std::vector<std::string> workEntries() const;

 private:
  TempDir dir_;
  std::unique_ptr<ScopedWorkingDirectory> workingDirectory_;
};

bool isSymbolicLink(const std::string& path);
bool isRegularFile(const std::string& path);

}  // namespace vyn::testing

#endif  // VYN_TESTS_HOSTILE_HOSTILE_SUPPORT_H_
