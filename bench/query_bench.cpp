// What SQL over a loaded log costs, on the reader benchmark's execute-heavy
// synthetic log: loading it (loadLog of the analysis commands), a query that
// scans every event (`query LOG "SELECT count(*) FROM event"` is the two
// together, to be set against the load alone), and writing the database of
// `export --format sqlite` (event rows per second, database size over log size).
//
//   vyn_query_bench [--size 34MB|340MB|...] [--data-dir DIR] [--log-tool PATH] [benchmark flags]
//
// The log is made once by `vyn-profile-log synth` and kept in the data
// directory, under the name vyn_reader_bench gives it, so both share it.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/loaded_log.h"
#include "base/output_file.h"
#include "query/database_export.h"
#include "query/fleet_index.h"
#include "query/fleet_query.h"

#ifndef VYN_LOG_TOOL_PATH
#define VYN_LOG_TOOL_PATH "vyn-profile-log"
#endif

namespace {

struct Options {
  std::string size = "34MB";
  std::string dataDir = "/tmp/vyn-bench";
  std::string logTool = VYN_LOG_TOOL_PATH;
};
Options options;

std::uint64_t fileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The reader benchmark's shape: round-trip executions of 2 graphs, 20 events
// per execution each with 2 sub-events, 64 messages per record.
const std::string& benchLog() {
  static const std::string path = [] {
    ::mkdir(options.dataDir.c_str(), 0755);
    const std::string log = options.dataDir + "/execute-heavy-" + options.size + ".log";
    if (fileSize(log) == 0) {
      const std::string command = options.logTool +
                                  " synth --graphs 2 --events 20 --sub-events 2 --messages-per-record 64"
                                  " --round-trip --seed 7 --size " +
                                  options.size + " -o '" + log + "' 2>/dev/null";
      if (std::system(command.c_str()) != 0) throw std::runtime_error("synth failed: " + command);
    }
    return log;
  }();
  return path;
}

std::unique_ptr<vyn::tools::LoadedLog> load() {
  std::string problem;
  auto log = vyn::tools::loadLog(benchLog(), 127, problem);
  if (log == nullptr) throw std::runtime_error(benchLog() + ": " + problem);
  return log;
}

void loadLog(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(load());
  state.counters["log_MB"] = static_cast<double>(fileSize(benchLog())) / 1e6;
}

// Counts the events of a loaded log as the command does, its rows to /dev/null.
void countEvents(benchmark::State& state, const vyn::tools::LoadedLog& log) {
  vyn::base::OutputFile output;
  output.open("/dev/null");
  std::string problem;
  if (!vyn::query::queryFleet({&log}, "SELECT count(*) FROM event", vyn::query::QueryFormat::Text, output, problem)) {
    state.SkipWithError(problem.c_str());
  }
  output.close();
}

// Loading and the query, as the command does them.
void queryCountEvents(benchmark::State& state) {
  for (auto _ : state) countEvents(state, *load());
}

// The query alone, on a log loaded once outside the timing: the numbering of
// the occurrences and the scan of every event.
void countEventsLoaded(benchmark::State& state) {
  const auto log = load();
  for (auto _ : state) countEvents(state, *log);
}

// The database alone (the log is loaded once, outside the timing).
void exportSqlite(benchmark::State& state) {
  const auto log = load();
  const vyn::query::FleetIndex fleet({log.get()});
  const std::string database = options.dataDir + "/query-bench.db";
  for (auto _ : state) {
    std::string problem;
    if (!vyn::query::writeFleetDatabase(fleet, database, {benchLog()}, problem)) state.SkipWithError(problem.c_str());
  }
  const auto events = static_cast<double>(fleet.eventCount());
  state.counters["event_rows"] = events;
  state.counters["event_rows_per_s"] =
      benchmark::Counter(events * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["db_over_log"] = static_cast<double>(fileSize(database)) / static_cast<double>(fileSize(benchLog()));
  std::remove(database.c_str());
}

}  // namespace

BENCHMARK(loadLog)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(queryCountEvents)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(countEventsLoaded)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(exportSqlite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
  // Our flags first; the rest are Google Benchmark's.
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--size" && i + 1 < argc) {
      options.size = argv[++i];
    } else if (arg == "--data-dir" && i + 1 < argc) {
      options.dataDir = argv[++i];
    } else if (arg == "--log-tool" && i + 1 < argc) {
      options.logTool = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  if (benchmark::ReportUnrecognizedArguments(count, rest.data())) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
