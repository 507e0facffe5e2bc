// The figures the reader benchmark measures on one log file.
#ifndef VYN_BENCH_BENCH_MEASURE_H_
#define VYN_BENCH_BENCH_MEASURE_H_

#include <cstdint>
#include <string>

namespace vyn::bench {

// Seconds to read the file and verify every record with the plain FlatBuffers
// verifier under the reader's verifier options, nothing else: the floor.
double measureFloor(const std::string& logPath);

struct ReaderTimes {
  double loadSeconds = 0;           // creation to aggregation done
  double heldBytes = 0;             // heap the loaded back-end reader holds
  double backendReportSeconds = 0;  // Xtu writeReport with a CSV file
  double genericReportSeconds = 0;  // generic writeReport with a CSV file
};

// Loads the log once with each reader and writes both reports, standard output
// sent to /dev/null, CSV files under scratchDir.
ReaderTimes measureReader(const std::string& logPath, const std::string& scratchDir);

// Seconds to map `bytes` of fresh memory and touch every page once: what
// obtaining the memory a loaded reader holds costs before anything is written to it.
double measureFirstTouch(double bytes);

// Loads the log and writes both reports in the given process, as a user's run
// would; used in a child process whose peak resident memory is then read.
void loadAndReport(const std::string& logPath, const std::string& scratchDir);

// Peak resident memory in bytes of a fresh process (this program, re-executed)
// that loads and reports the log.
std::uint64_t measurePeakRss(const std::string& selfPath, const std::string& logPath, const std::string& scratchDir);

}  // namespace vyn::bench

#endif  // VYN_BENCH_BENCH_MEASURE_H_
