// Measures what following a growing log costs: an update after 1 MB appended to
// a large log (capturing the new records and bringing top's figures up to date)
// against loading 1 MB from scratch and against reloading the whole log.
//
//   vyn_live_bench [--large] [--data-dir DIR] [--log-tool PATH]
//
// Times are CPU time of the measuring thread. The input is made once by `vyn-profile-log synth` (34 MB; 340 MB with
// --large, the reader benchmark's logs) and kept in the data directory.
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "capture/growing_log_capture.h"
#include "capture/log_file_capture.h"
#include "stats/live_figures.h"

#ifndef VYN_LOG_TOOL_PATH
#define VYN_LOG_TOOL_PATH "vyn-profile-log"
#endif

namespace {

constexpr double kMB = 1000.0 * 1000.0;
constexpr std::size_t kAppended = 1000 * 1000;
constexpr int kAppends = 16;
constexpr std::size_t kTopEvents = 5;

struct Options {
  bool large = false;
  std::string dataDir = "/tmp/vyn-bench";
  std::string logTool = VYN_LOG_TOOL_PATH;
};

// Times are the thread's CPU time: on a shared machine, wall time mostly
// measures the other work on the same cores.
struct Clock {
  using time_point = double;
  static double now() {
    timespec at{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &at);
    return static_cast<double>(at.tv_sec) + static_cast<double>(at.tv_nsec) * 1e-9;
  }
};
double secondsSince(double start) { return Clock::now() - start; }

std::uint64_t fileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The reader benchmark's shape and seed, so that both share their inputs.
std::string inputOfSize(const Options& options, const std::string& size) {
  const std::string path = options.dataDir + "/execute-heavy-" + size + ".log";
  if (fileSize(path) != 0) return path;
  const std::string command = "mkdir -p '" + options.dataDir + "' && " + options.logTool +
                              " synth --graphs 2 --events 20 --sub-events 2 --messages-per-record 64 --round-trip"
                              " --seed 7 --size " +
                              size + " -o '" + path + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("synth failed: " + command);
  return path;
}

std::vector<char> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<char>& bytes, std::size_t from, std::size_t to,
                std::ios::openmode mode) {
  std::ofstream out(path, std::ios::binary | mode);
  out.write(bytes.data() + from, static_cast<std::streamsize>(to - from));
}

// Seconds to load the file with captureLogFile and profile it as top would at its first refresh.
double loadSeconds(const std::string& path) {
  const Clock::time_point start = Clock::now();
  vyn::profiling::LogModel model;
  vyn::profiling::captureLogFile(path, 127, model);
  vyn::profiling::LiveFigures live;
  live.advance(model);
  const auto figures = live.figures(model, kTopEvents);
  const double seconds = secondsSince(start);
  if (figures.empty()) throw std::runtime_error("no executions in " + path);
  return seconds;
}

void run(const Options& options) {
  const std::string source = inputOfSize(options, options.large ? "340MB" : "34MB");
  const std::vector<char> bytes = readAll(source);
  const std::size_t total = bytes.size();
  const std::size_t start = total - kAppends * kAppended;
  const std::string growing = options.dataDir + "/live-growing.log";
  const std::string oneMB = options.dataDir + "/live-1MB.log";
  writeBytes(growing, bytes, 0, start, std::ios::trunc);
  writeBytes(oneMB, bytes, 0, kAppended, std::ios::trunc);

  // The first refresh: everything the log held when top started.
  Clock::time_point at = Clock::now();
  vyn::profiling::GrowingLogCapture capture(growing, 127);
  capture.update();
  vyn::profiling::LiveFigures live;
  live.advance(capture.model());
  live.figures(capture.model(), kTopEvents);
  const double firstSeconds = secondsSince(at);

  std::vector<double> updates, captures;
  for (int append = 0; append < kAppends; ++append) {
    const std::size_t from = start + static_cast<std::size_t>(append) * kAppended;
    writeBytes(growing, bytes, from, from + kAppended, std::ios::app);
    at = Clock::now();
    capture.update();
    captures.push_back(secondsSince(at));
    live.advance(capture.model());
    live.figures(capture.model(), kTopEvents);
    updates.push_back(secondsSince(at));
  }
  if (capture.waitingBytes() != 0 || !capture.following()) throw std::runtime_error("the follow did not end whole");
  std::sort(updates.begin(), updates.end());
  std::sort(captures.begin(), captures.end());

  std::vector<double> loads;
  for (int i = 0; i < kAppends; ++i) loads.push_back(loadSeconds(oneMB));
  std::sort(loads.begin(), loads.end());
  const double oneMBLoad = loads[loads.size() / 2];
  const double reload = loadSeconds(source);

  std::printf("log: %s, %.1f MB, %llu records followed\n", source.c_str(), static_cast<double>(total) / kMB,
              static_cast<unsigned long long>(capture.records()));
  std::printf("first refresh (load of %.1f MB and its figures): %.3f s\n", static_cast<double>(start) / kMB,
              firstSeconds);
  std::printf("update after 1 MB appended (%d appends): best %.2f ms, median %.2f ms, worst %.2f ms\n", kAppends,
              updates.front() * 1e3, updates[updates.size() / 2] * 1e3, updates.back() * 1e3);
  std::printf("  of which the capture of the new records: best %.2f ms, median %.2f ms\n", captures.front() * 1e3,
              captures[captures.size() / 2] * 1e3);
  std::printf("load of 1 MB from scratch, with its figures (%d times): best %.2f ms, median %.2f ms\n", kAppends,
              loads.front() * 1e3, oneMBLoad * 1e3);
  std::printf("reload of the whole log, with its figures: %.3f s\n", reload);
  std::printf("update / load of 1 MB: %.2f (medians), %.2f (best); reload / update: %.0f (medians)\n",
              updates[updates.size() / 2] / oneMBLoad, updates.front() / loads.front(),
              reload / updates[updates.size() / 2]);
  std::remove(growing.c_str());
  std::remove(oneMB.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--large") {
      options.large = true;
    } else if (arg == "--data-dir" && i + 1 < argc) {
      options.dataDir = argv[++i];
    } else if (arg == "--log-tool" && i + 1 < argc) {
      options.logTool = argv[++i];
    } else {
      std::fprintf(stderr, "usage: vyn_live_bench [--large] [--data-dir DIR] [--log-tool PATH]\n");
      return 2;
    }
  }
  try {
    run(options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vyn_live_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
