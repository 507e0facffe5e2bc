#include "bench_measure.h"

#include <fcntl.h>
#include <malloc.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "format/record_format.h"
#include "vyn/profiling/profile_log_reader.h"

// The one place that names where the readers live. The benchmark uses nothing of
// them but their constructors (log path, visibility level) and the host
// interface's operations.
#include "plugin/vyn_profile_log_reader_xtu.h"

namespace vyn::bench {
namespace {

using BackendReader = profiling::VynProfileLogReaderXtu;
using GenericReader = profiling::VynProfileLogReader;
using HostInterface = profiling::IVynProfileLogReader<profiling::VisibilityLevel>;
constexpr auto kEveryMessage = profiling::VisibilityLevel::All;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Sends standard output to /dev/null for the lifetime of the object.
class SilencedStdout {
 public:
  SilencedStdout() {
    std::fflush(stdout);
    saved_ = ::dup(1);
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, 1);
    ::close(devNull);
  }
  ~SilencedStdout() {
    std::fflush(stdout);
    ::dup2(saved_, 1);
    ::close(saved_);
  }
  SilencedStdout(const SilencedStdout&) = delete;
  SilencedStdout& operator=(const SilencedStdout&) = delete;

 private:
  int saved_;
};

}  // namespace

// The floor is what any reader of this format must pay: read every frame and run
// the plain FlatBuffers verifier with the options the reader uses. The reader's
// own verifier also bounds the bytes a record would have copied out; that check
// is the reader's cost, not the floor's, and is left out here.
double measureFloor(const std::string& logPath) {
  const auto start = Clock::now();
  std::FILE* file = std::fopen(logPath.c_str(), "rb");
  if (file == nullptr) throw std::runtime_error("cannot open " + logPath);
  std::vector<std::uint8_t> record;
  std::size_t records = 0;
  for (;;) {
    unsigned char prefix[4];
    if (std::fread(prefix, 1, 4, file) != 4) break;
    const std::uint32_t length =
        prefix[0] | prefix[1] << 8 | prefix[2] << 16 | static_cast<std::uint32_t>(prefix[3]) << 24;
    record.resize(length);
    if (std::fread(record.data(), 1, length, file) != length) break;
    flatbuffers::Verifier verifier(record.data(), record.size(), profiling::recordVerifierOptions(record.size()));
    if (!verifier.VerifyBuffer<profiling::fb::ProfileLogRecord>(nullptr)) {
      std::fclose(file);
      throw std::runtime_error("record " + std::to_string(records) + " fails verification");
    }
    ++records;
  }
  std::fclose(file);
  return secondsSince(start);
}

double measureOneReadFloor(const std::string& logPath) {
  const auto start = Clock::now();
  const int file = ::open(logPath.c_str(), O_RDONLY);
  if (file < 0) throw std::runtime_error("cannot open " + logPath);
  struct stat info {};
  ::fstat(file, &info);
  const auto size = static_cast<std::size_t>(info.st_size);
  std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
  std::size_t got = 0;
  // One read takes the whole file; the kernel caps a read near 2 GiB.
  while (got < size) {
    const ssize_t chunk = ::read(file, bytes.get() + got, size - got);
    if (chunk <= 0) break;
    got += static_cast<std::size_t>(chunk);
  }
  ::close(file);
  std::size_t records = 0;
  for (std::size_t at = 0; at + 4 <= got;) {
    const std::uint8_t* prefix = bytes.get() + at;
    const std::uint32_t length =
        prefix[0] | prefix[1] << 8 | prefix[2] << 16 | static_cast<std::uint32_t>(prefix[3]) << 24;
    at += 4;
    if (length > got - at) break;
    flatbuffers::Verifier verifier(bytes.get() + at, length, profiling::recordVerifierOptions(length));
    if (!verifier.VerifyBuffer<profiling::fb::ProfileLogRecord>(nullptr))
      throw std::runtime_error("record " + std::to_string(records) + " fails verification");
    at += length;
    ++records;
  }
  return secondsSince(start);
}

double measureLoad(const std::string& logPath) {
  SilencedStdout silenced;
  const auto start = Clock::now();
  BackendReader backend(logPath, kEveryMessage);
  HostInterface& reader = backend;
  if (!reader.loadLog(false)) throw std::runtime_error("loadLog failed on " + logPath);
  return secondsSince(start);
}

OneCpu::OneCpu() {
  static_assert(sizeof(cpu_set_t) <= sizeof saved_, "a CPU set fits");
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  ::sched_getaffinity(0, sizeof allowed, &allowed);
  std::memcpy(saved_, &allowed, sizeof allowed);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &allowed)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ::sched_setaffinity(0, sizeof one, &one);
}

OneCpu::~OneCpu() {
  cpu_set_t allowed;
  std::memcpy(&allowed, saved_, sizeof allowed);
  ::sched_setaffinity(0, sizeof allowed, &allowed);
}

ReaderTimes measureBackendReader(const std::string& logPath, const std::string& scratchDir) {
  ReaderTimes times;
  const std::string csvPath = scratchDir + "/bench.csv";
  const std::size_t heapBefore = ::mallinfo2().uordblks;
  auto start = Clock::now();
  BackendReader backend(logPath, kEveryMessage);
  HostInterface& reader = backend;
  if (!reader.loadLog(false)) throw std::runtime_error("loadLog failed on " + logPath);
  times.loadSeconds = secondsSince(start);
  times.heldBytes = static_cast<double>(::mallinfo2().uordblks - heapBefore);

  SilencedStdout silenced;
  start = Clock::now();
  reader.writeReport(csvPath);
  times.backendReportSeconds = secondsSince(start);
  std::remove(csvPath.c_str());
  return times;
}

ReaderTimes measureReader(const std::string& logPath, const std::string& scratchDir) {
  ReaderTimes times = measureBackendReader(logPath, scratchDir);
  const std::string csvPath = scratchDir + "/bench.csv";
  {
    GenericReader generic(logPath, kEveryMessage);
    HostInterface& reader = generic;
    if (!reader.loadLog(false)) throw std::runtime_error("loadLog failed on " + logPath);
    SilencedStdout silenced;
    const auto start = Clock::now();
    reader.writeReport(csvPath);
    times.genericReportSeconds = secondsSince(start);
  }
  std::remove(csvPath.c_str());
  return times;
}

double measureFirstTouch(double bytes) {
  const auto length = static_cast<std::size_t>(bytes);
  if (length == 0) return 0;
  const auto start = Clock::now();
  void* memory = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::runtime_error("cannot map " + std::to_string(length) + " bytes");
  const auto pageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  auto* bytesOf = static_cast<volatile char*>(memory);
  for (std::size_t offset = 0; offset < length; offset += pageSize) bytesOf[offset] = 1;
  const double seconds = secondsSince(start);
  ::munmap(memory, length);
  return seconds;
}

void loadAndReport(const std::string& logPath, const std::string& scratchDir) {
  const std::string csvPath = scratchDir + "/rss.csv";
  SilencedStdout silenced;
  {
    BackendReader backend(logPath, kEveryMessage);
    HostInterface& reader = backend;
    if (!reader.loadLog(false)) throw std::runtime_error("loadLog failed on " + logPath);
    reader.writeReport(csvPath);
    static_cast<profiling::VynProfileLogReader&>(backend).VynProfileLogReader::writeReport(csvPath);
  }
  std::remove(csvPath.c_str());
}

std::uint64_t measurePeakRss(const std::string& selfPath, const std::string& logPath, const std::string& scratchDir) {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::execl(selfPath.c_str(), selfPath.c_str(), "--rss-child", logPath.c_str(), scratchDir.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (::wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("the measuring child process failed");
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

}  // namespace vyn::bench
