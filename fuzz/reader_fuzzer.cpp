// Fuzz entry point: one input is one profiling log. It is loaded by both readers
// with data files on, and both reports run over whatever was loaded, the way a
// host drives a reader; then the log tool loads it and runs its analyses (stats,
// export, the report page, diff). Everything the readers write lands in a
// scratch directory that is emptied after each input; standard output is
// discarded.
#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "analyses_driver.h"
#include "log/logger.h"
#include "plugin/vyn_profile_log_reader.h"
#include "plugin/vyn_profile_log_reader_xtu.h"

namespace {

namespace fs = std::filesystem;
using vyn::profiling::VisibilityLevel;

// Expands every diagnostic into its line and drops it, so that each message's
// format is exercised with its real arguments.
void expandAndDrop(const char* format, std::uint32_t level, std::uint64_t elapsedNs, va_list args) {
  char line[1024];
  vyn::log::formatLogLine(line, sizeof line, format, level, elapsedNs, args);
}

// Where the scratch tree goes: TMPDIR when set, else shared memory when the
// system has it, so that the files written for every input (the log, the CSV
// file, data files) never wait on a disk's journal, else /tmp.
std::string scratchBase() {
  const char* base = std::getenv("TMPDIR");
  if (base != nullptr && *base != '\0') return base;
  if (::access("/dev/shm", W_OK | X_OK) == 0) return "/dev/shm";
  return "/tmp";
}

// The scratch tree of one process: the input log, the CSV file and the working
// directory in which data files are written.
class Scratch {
 public:
  Scratch() {
    std::string pattern = scratchBase() + "/vyn-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = name.data();
    fs::create_directory(workDirectory());
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  std::string logPath() const { return root_ + "/input.log"; }
  std::string csvPath() const { return root_ + "/report.csv"; }
  std::string workDirectory() const { return root_ + "/work"; }

  // Removes what the readers wrote, so inputs do not influence one another.
  void clearOutputs() const {
    std::error_code ignored;
    fs::remove(csvPath(), ignored);
    for (const auto& entry : fs::directory_iterator(workDirectory(), ignored)) fs::remove_all(entry.path(), ignored);
  }

 private:
  std::string root_;
};

// Sends standard output (file descriptor 1) to /dev/null while alive.
class DiscardedStdout {
 public:
  DiscardedStdout() {
    flush();
    saved_ = ::dup(STDOUT_FILENO);
    const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (sink >= 0) {
      ::dup2(sink, STDOUT_FILENO);
      ::close(sink);
    }
  }
  ~DiscardedStdout() {
    flush();
    if (saved_ >= 0) {
      ::dup2(saved_, STDOUT_FILENO);
      ::close(saved_);
    }
  }
  DiscardedStdout(const DiscardedStdout&) = delete;
  DiscardedStdout& operator=(const DiscardedStdout&) = delete;

 private:
  static void flush() {
    std::cout.flush();
    std::fflush(stdout);
  }
  int saved_ = -1;
};

// Working directory switched for the lifetime of the object.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : previous_(fs::current_path()) { fs::current_path(path); }
  ~WorkingDirectory() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  fs::path previous_;
};

template <typename Reader>
void loadAndReport(const Scratch& scratch) {
  Reader reader(scratch.logPath(), VisibilityLevel::All);
  reader.loadLog(true);  // reports also run after a failed load: earlier records stay
  reader.getHeaderReport();
  reader.writeReport(scratch.csvPath());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch scratch;
  static const bool loggerCreated = vyn::log::createLogger(expandAndDrop, vyn::log::VYN_LOG_LEVEL_DEBUG);
  (void)loggerCreated;

  {
    std::ofstream log(scratch.logPath(), std::ios::binary | std::ios::trunc);
    log.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  {
    const WorkingDirectory inScratch(scratch.workDirectory());
    const DiscardedStdout quiet;
    loadAndReport<vyn::profiling::VynProfileLogReaderXtu>(scratch);
    loadAndReport<vyn::profiling::VynProfileLogReader>(scratch);
    vyn::fuzzing::runAnalyses(scratch.logPath());
  }
  scratch.clearOutputs();
  return 0;
}
