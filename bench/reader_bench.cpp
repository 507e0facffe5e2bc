// Measures how the reader scales on execute-heavy synthetic logs: reading and
// verifying (the floor), loading, both reports and peak memory, each as a ratio;
// the log tool's stats, diff and report against loading; then the same figures
// on a few logs of awkward shape.
//
//   vyn_reader_bench [--large | --shapes-only] [--data-dir DIR] [--log-tool PATH]
//   vyn_reader_bench --load-only LOG [--serial | --floor | --one-read-floor | --batch FRAMES BYTES | --report]
//
// Inputs are made once by `vyn-profile-log synth` and kept in the data directory.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "adversarial_shapes.h"
#include "bench_measure.h"
#include "format/log_read_ahead.h"

#ifndef VYN_LOG_TOOL_PATH
#define VYN_LOG_TOOL_PATH "vyn-profile-log"
#endif

namespace {

constexpr double kMB = 1000.0 * 1000.0;

struct Options {
  bool large = false;
  bool shapesOnly = false;
  std::string dataDir = "/tmp/vyn-bench";
  std::string logTool = VYN_LOG_TOOL_PATH;
};

std::uint64_t fileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The benchmark's one shape: round-trip executions of 2 graphs, 20 events per
// execution each with 2 sub-events, 64 messages per record.
void synthesize(const Options& options, const std::string& size, const std::string& out, int seed = 7) {
  const std::string command = options.logTool +
                              " synth --graphs 2 --events 20 --sub-events 2"
                              " --messages-per-record 64 --round-trip --seed " +
                              std::to_string(seed) + " --size " + size + " -o '" + out + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("synth failed: " + command);
}

// A log of the given size ("34MB", "1GiB"), made once and reused by later runs.
std::string inputOfSize(const Options& options, const std::string& size) {
  const std::string path = options.dataDir + "/execute-heavy-" + size + ".log";
  if (fileSize(path) == 0) synthesize(options, size, path);
  return path;
}

// Wall-clock seconds of a shell command, best of three; a negative number when
// it fails (diff exits 3 when it finds a slower row, which is no failure).
double commandSeconds(const std::string& command) {
  double best = 1e300;
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status == -1 || !WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 3)) {
      return -1;
    }
    best = std::min(best, seconds);
  }
  return best;
}

double cpuSeconds(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Row {
  double megabytes;
  double floor;
  double oneRead;  // the floor with the whole file taken in one read
  double oneCpu;   // loadLog pinned to one CPU
  vyn::bench::ReaderTimes reader;
  double rssBytes;
  double touch;  // seconds to obtain fresh memory of the loaded reader's size
};

Row measure(const std::string& self, const std::string& log, const Options& options) {
  Row row{};
  row.megabytes = static_cast<double>(fileSize(log)) / kMB;
  // Every size is measured the same way, best of three, so that the time per MB
  // compares like with like.
  const int runs = 3;
  row.floor = 1e300;
  row.oneRead = 1e300;
  row.oneCpu = 1e300;
  row.reader = {1e300, 0, 1e300, 1e300};
  for (int i = 0; i < runs; ++i) {
    row.floor = std::min(row.floor, vyn::bench::measureFloor(log));
    row.oneRead = std::min(row.oneRead, vyn::bench::measureOneReadFloor(log));
    {
      vyn::bench::OneCpu pinned;
      row.oneCpu = std::min(row.oneCpu, vyn::bench::measureLoad(log));
    }
    const auto times = vyn::bench::measureReader(log, options.dataDir);
    row.reader.loadSeconds = std::min(row.reader.loadSeconds, times.loadSeconds);
    row.reader.heldBytes = times.heldBytes;
    row.reader.backendReportSeconds = std::min(row.reader.backendReportSeconds, times.backendReportSeconds);
    row.reader.genericReportSeconds = std::min(row.reader.genericReportSeconds, times.genericReportSeconds);
  }
  row.touch = 1e300;
  for (int i = 0; i < runs; ++i) row.touch = std::min(row.touch, vyn::bench::measureFirstTouch(row.reader.heldBytes));
  row.rssBytes = static_cast<double>(vyn::bench::measurePeakRss(self, log, options.dataDir));
  return row;
}

// The analysis commands of the log tool against loadLog of the same log: stats
// of it, diff of it against a log of the same size made with another seed, and
// its HTML report.
void measureCommands(const Options& options, const std::string& size, const Row& row) {
  const std::string log = inputOfSize(options, size);
  const std::string other = options.dataDir + "/execute-heavy-" + size + "-seed8.log";
  if (fileSize(other) == 0) synthesize(options, size, other, 8);
  std::fprintf(stderr, "measuring stats and diff on %s\n", log.c_str());
  const double stats = commandSeconds(options.logTool + " stats '" + log + "' >/dev/null");
  const double diff = commandSeconds(options.logTool + " diff '" + log + "' '" + other + "' >/dev/null");
  const std::string page = options.dataDir + "/report.html";
  const double report = commandSeconds(options.logTool + " report '" + log + "' -o '" + page + "'");
  std::printf(
      "\n%s log, against loadLog (%.3f s): stats %.2f, diff of two logs %.2f, report %.2f"
      " (a page of %.1f MB)\n",
      size.c_str(), row.reader.loadSeconds, stats / row.reader.loadSeconds, diff / row.reader.loadSeconds,
      report / row.reader.loadSeconds, static_cast<double>(fileSize(page)) / kMB);
}

void printRows(const std::vector<Row>& rows) {
  std::printf("cores: %ld\n\n", ::sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("%9s %11s %11s %11s %11s %10s %10s %10s %9s %11s %9s %11s %10s %10s\n", "log MB", "floor MB/s",
              "load MB/s", "xtu MB/s", "gener MB/s", "load/floor", "xtu/load", "gen/load", "RSS/log", "load ms/MB",
              "held/log", "touch/floor", "load/1read", "1cpu/1read");
  for (const Row& row : rows) {
    const auto& t = row.reader;
    const double logBytes = row.megabytes * kMB;
    std::printf("%9.1f %11.1f %11.1f %11.1f %11.1f %10.2f %10.2f %10.2f %9.2f %11.3f %9.2f %11.2f %10.2f %10.2f\n",
                row.megabytes, row.megabytes / row.floor, row.megabytes / t.loadSeconds,
                row.megabytes / t.backendReportSeconds, row.megabytes / t.genericReportSeconds,
                t.loadSeconds / row.floor, t.backendReportSeconds / t.loadSeconds,
                t.genericReportSeconds / t.loadSeconds, row.rssBytes / logBytes, 1000.0 * t.loadSeconds / row.megabytes,
                t.heldBytes / logBytes, row.touch / row.floor, t.loadSeconds / row.oneRead, row.oneCpu / row.oneRead);
  }
  if (rows.size() > 1) {
    const Row& smallest = rows.front();
    const Row& largest = rows.back();
    auto loadPerMB = [](const Row& row) { return row.reader.loadSeconds / row.megabytes; };
    auto allPerMB = [](const Row& row) {
      const auto& t = row.reader;
      return (t.loadSeconds + t.backendReportSeconds + t.genericReportSeconds) / row.megabytes;
    };
    std::printf("\ntime per MB, largest vs smallest: load %.2f, load and both reports %.2f\n",
                loadPerMB(largest) / loadPerMB(smallest), allPerMB(largest) / allPerMB(smallest));
  }
}

// Logs of 15 to 70 megabytes whose shape once made loading or reporting grow
// with the square of the log, or makes what the reader keeps large beside the
// log; they should go about as fast per megabyte, and take about as much memory
// per megabyte, as the execute-heavy logs. Measured like the sizes.
void measureShapes(const std::string& self, const Options& options) {
  std::printf("\n%-13s %9s %11s %11s %11s %11s %10s %9s %9s %10s %10s  %s\n", "shape", "log MB", "floor MB/s",
              "load MB/s", "xtu MB/s", "gener MB/s", "load/floor", "RSS/log", "held/log", "load/1read", "1cpu/1read",
              "what");
  for (const vyn::bench::Shape& shape : vyn::bench::adversarialShapes()) {
    const std::string log = options.dataDir + "/shape-" + shape.name + ".log";
    if (fileSize(log) == 0) shape.write(log);
    std::fprintf(stderr, "measuring %s\n", log.c_str());
    const Row row = measure(self, log, options);
    const auto& t = row.reader;
    const double logBytes = row.megabytes * kMB;
    std::printf("%-13s %9.1f %11.1f %11.1f %11.1f %11.1f %10.2f %9.2f %9.2f %10.2f %10.2f  %s\n", shape.name.c_str(),
                row.megabytes, row.megabytes / row.floor, row.megabytes / t.loadSeconds,
                row.megabytes / t.backendReportSeconds, row.megabytes / t.genericReportSeconds,
                t.loadSeconds / row.floor, row.rssBytes / logBytes, t.heldBytes / logBytes, t.loadSeconds / row.oneRead,
                row.oneCpu / row.oneRead, shape.description.c_str());
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 4 && std::string(argv[1]) == "--rss-child") {
      vyn::bench::loadAndReport(argv[2], argv[3]);
      return 0;
    }
    // A timing host for comparing whole processes: one loadLog of LOG, its
    // seconds printed; --serial reads no frame ahead (the load as one thread
    // does it), --floor and --one-read-floor time the floors instead, --report
    // times the load and the back-end report of LOG (a small log's whole visit).
    if (argc >= 3 && std::string(argv[1]) == "--load-only") {
      const std::string mode = argc >= 4 ? argv[3] : "";
      const double threadBefore = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
      const double processBefore = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
      double seconds = 0;
      if (mode == "--floor") {
        seconds = vyn::bench::measureFloor(argv[2]);
      } else if (mode == "--one-read-floor") {
        seconds = vyn::bench::measureOneReadFloor(argv[2]);
      } else if (mode == "--report") {
        // A small log's whole visit: the load and the back-end report, and the
        // process's peak memory.
        const auto times = vyn::bench::measureBackendReader(argv[2], "/tmp");
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        std::printf("load %.4f ms, back-end report %.4f ms, together %.4f ms (process %.4f ms CPU), peak RSS %ld KiB\n",
                    times.loadSeconds * 1e3, times.backendReportSeconds * 1e3,
                    (times.loadSeconds + times.backendReportSeconds) * 1e3,
                    (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore) * 1e3, usage.ru_maxrss);
        return 0;
      } else {
        if (mode == "--serial") vyn::profiling::setReadAheadPolicy({~std::uint64_t{0}, false, 512, 1u << 20});
        // --batch FRAMES BYTES: read ahead in batches of that size.
        if (mode == "--batch" && argc >= 6)
          vyn::profiling::setReadAheadPolicy(
              {vyn::profiling::ReadAheadPolicy{}.smallestLog, false, std::stoul(argv[4]), std::stoul(argv[5])});
        seconds = vyn::bench::measureLoad(argv[2]);
      }
      // The loading thread's CPU time is the load's critical path when the
      // reading thread has a core of its own.
      std::printf("wall %.4f s, loading thread %.4f s CPU, process %.4f s CPU\n", seconds,
                  cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadBefore,
                  cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore);
      return 0;
    }
    Options options;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--large")
        options.large = true;
      else if (arg == "--shapes-only")
        options.shapesOnly = true;
      else if (arg == "--data-dir" && i + 1 < argc)
        options.dataDir = argv[++i];
      else if (arg == "--log-tool" && i + 1 < argc)
        options.logTool = argv[++i];
      else {
        std::fprintf(stderr, "usage: %s [--large | --shapes-only] [--data-dir DIR] [--log-tool PATH]\n", argv[0]);
        return 2;
      }
    }
    ::mkdir(options.dataDir.c_str(), 0755);
    std::vector<std::string> sizes = {"34MB", "340MB"};
    if (options.large) sizes.push_back("1GiB");

    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) throw std::runtime_error("no /proc/self/exe");
    if (options.shapesOnly) {
      measureShapes(self, options);
      return 0;
    }
    std::vector<Row> rows;
    for (const std::string& size : sizes) {
      const std::string log = inputOfSize(options, size);
      std::fprintf(stderr, "measuring %s\n", log.c_str());
      rows.push_back(measure(self, log, options));
    }
    printRows(rows);
    measureCommands(options, sizes[1], rows[1]);
    std::fflush(stdout);
    measureShapes(self, options);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vyn_reader_bench: %s\n", error.what());
    return 1;
  }
}
