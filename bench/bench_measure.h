// The figures the reader benchmark measures on one log file.
#ifndef VYN_BENCH_BENCH_MEASURE_H_
#define VYN_BENCH_BENCH_MEASURE_H_

#include <cstdint>
#include <string>

namespace vyn::bench {

// Seconds to read the file and verify every record with the plain FlatBuffers
// verifier under the reader's verifier options, nothing else: the floor.
double measureFloor(const std::string& logPath);

// The floor with the file taken in one read into one buffer (no per-frame
// read, no copy), then every record verified: what a reader that maps or
// slurps the file, single-threaded, pays at least.
double measureOneReadFloor(const std::string& logPath);

// Seconds of the back-end reader's loadLog alone, creation included.
double measureLoad(const std::string& logPath);

// Pins the calling thread, and the threads it starts, to the first CPU it may
// run on for the object's lifetime: a run on one core.
class OneCpu {
 public:
  OneCpu();
  ~OneCpu();
  OneCpu(const OneCpu&) = delete;
  OneCpu& operator=(const OneCpu&) = delete;

 private:
  unsigned char saved_[128];
};

struct ReaderTimes {
  double loadSeconds = 0;           // creation to aggregation done
  double heldBytes = 0;             // heap the loaded back-end reader holds
  double backendReportSeconds = 0;  // Xtu writeReport with a CSV file
  double genericReportSeconds = 0;  // generic writeReport with a CSV file
};

// Loads the log with the back-end reader and writes its report (standard output
// sent to /dev/null, the CSV file under scratchDir); the generic fields stay 0.
ReaderTimes measureBackendReader(const std::string& logPath, const std::string& scratchDir);

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
