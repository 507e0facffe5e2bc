// repair: the records of a damaged log that still verify, copied byte for
// byte, so that a reader loads what the runtime wrote around the damage. After
// a record that is cut short or does not verify, the frames go on where they
// verify again (LogResync): where the bad record's own length prefix leads, or
// else at the first offset from which a chain of frames verifies. Each range
// of bytes left out is said on standard error, with why its first frame is bad.
#include "base/output_file.h"
#include "format/log_resync.h"
#include "format/log_scanner.h"
#include "format/record_format.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

using profiling::Frame;
using profiling::LogFault;
using profiling::LogResync;
using profiling::LogScanner;

std::string records(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " record" : " records"); }

void writeFrame(base::OutputFile& output, const Frame& frame) {
  std::uint8_t prefix[profiling::kLengthPrefixSize];
  for (std::size_t i = 0; i < sizeof prefix; ++i) prefix[i] = static_cast<std::uint8_t>(frame.length >> (8 * i));
  output.write(prefix, sizeof prefix);
  output.write(frame.bytes.data(), frame.bytes.size());
}

// A fault after which nothing can be said about the rest of the log.
bool unreadable(const LogFault& fault) {
  return fault.kind == profiling::LogFaultKind::ReadError || fault.kind == profiling::LogFaultKind::OutOfMemory;
}

// The bytes [from, to) left out of the repaired log, and why.
struct DroppedRange {
  std::uint64_t from = 0, to = 0;
  std::string why;

  std::string text() const {
    return "dropped bytes " + std::to_string(from) + "-" + std::to_string(to - 1) + " (" + std::to_string(to - from) +
           (to - from == 1 ? " byte): " : " bytes): ") + why;
  }
};

// Copies the records of a log that verify, resyncing after each bad frame.
class Repair {
 public:
  explicit Repair(std::string inputPath) : inputPath_(std::move(inputPath)) {}

  // False when the log cannot be opened; the problem is reported.
  bool open() {
    if (!scanner_.open(inputPath_)) return failed(scanner_.fault().text());
    // A log that is not a regular file (a pipe) cannot be searched: its copy
    // stops at the first bad frame, as far as the frames after it lead.
    searchable_ = resync_.open(inputPath_);
    return true;
  }

  // Copies the records that verify to output. False when the log could not
  // be read; the problem is reported.
  bool run(base::OutputFile& output) {
    for (;;) {
      switch (scanner_.next()) {
        case LogScanner::Step::Record:
          writeFrame(output, scanner_.frame());
          ++kept_;
          keptBytes_ += profiling::kLengthPrefixSize + scanner_.frame().bytes.size();
          break;
        case LogScanner::Step::End:
          if (scanner_.strayBytes() > 0) {
            drop({scanner_.position() - scanner_.strayBytes(), scanner_.position(),
                  "stray bytes after the last record (readers ignore them)"});
          }
          return true;
        case LogScanner::Step::Fault:
          if (unreadable(scanner_.fault())) return failed(scanner_.fault().words);
          if (!resume()) return false;
          if (finished_) return true;
          break;
      }
    }
  }

  std::uint64_t kept() const { return kept_; }
  std::uint64_t keptBytes() const { return keptBytes_; }
  std::uint64_t droppedBytes() const { return droppedBytes_; }
  std::uint64_t droppedRanges() const { return droppedRanges_; }

 private:
  // After a bad frame: drops the bytes up to where frames verify again and
  // goes on from there, or drops the rest of the log. False on a read error.
  bool resume() {
    const LogFault fault = scanner_.fault();
    if (!searchable_) return dropTheRest(fault);
    std::optional<std::uint64_t> next;
    // A flipped byte inside a record leaves its length prefix intact: the
    // next frame starts where it says.
    if (fault.recordRefused() && resync_.chainStartsAt(scanner_.position())) next = scanner_.position();
    if (!next && resync_.problem().empty()) next = resync_.findChain(fault.offset + 1);
    if (!resync_.problem().empty()) return failed(resync_.problem());
    // "not a profiling log" only when nothing after the first frame is a record.
    drop({fault.offset, next ? *next : resync_.fileSize(), next ? fault.located() : fault.text()});
    if (!next) {
      finished_ = true;
      return true;
    }
    if (!scanner_.restartAt(*next)) return failed(scanner_.fault().words);
    return true;
  }

  // Drops everything from the bad frame on, counting the frames after it as
  // far as their length prefixes lead.
  bool dropTheRest(const LogFault& fault) {
    LogScanner::Step step = LogScanner::Step::Fault;
    while (step == LogScanner::Step::Record || (step == LogScanner::Step::Fault && scanner_.fault().recordRefused())) {
      step = scanner_.next();
    }
    if (step == LogScanner::Step::Fault && unreadable(scanner_.fault())) return failed(scanner_.fault().words);
    drop({fault.offset, scanner_.position(), fault.text()});
    finished_ = true;
    return true;
  }

  void drop(const DroppedRange& range) {
    if (range.to <= range.from) return;
    reportProblem(inputPath_, range.text());
    droppedBytes_ += range.to - range.from;
    ++droppedRanges_;
  }

  bool failed(const std::string& problem) {
    reportProblem(inputPath_, problem);
    return false;
  }

  const std::string inputPath_;
  LogScanner scanner_;
  LogResync resync_;
  bool searchable_ = false;
  bool finished_ = false;
  std::uint64_t kept_ = 0, keptBytes_ = 0, droppedBytes_ = 0, droppedRanges_ = 0;
};

}  // namespace

int runRepair(const std::string& inputPath, const std::string& outputPath) {
  Repair repair(inputPath);
  if (!repair.open()) return 1;
  base::OutputFile output;
  if (!output.open(outputPath, {inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }
  if (!repair.run(output)) {
    output.discard();
    return 1;
  }
  if (repair.kept() == 0) {
    output.discard();
    reportProblem(inputPath,
                  std::string("nothing to keep: ") +
                      (repair.droppedRanges() == 0 ? "the log holds no records" : "no record in it verifies") + "; " +
                      output.name() + " not written");
    return 1;
  }
  if (closeCommandOutput(output) != 0) return 1;
  const std::uint64_t ranges = repair.droppedRanges();
  reportProblem(output.name(), "kept " + records(repair.kept()) + " (" + std::to_string(repair.keptBytes()) +
                                   " bytes), dropped " +
                                   (ranges == 0 ? std::string("nothing")
                                                : std::to_string(repair.droppedBytes()) + " bytes in " +
                                                      std::to_string(ranges) + (ranges == 1 ? " range" : " ranges")));
  return 0;
}

}  // namespace vyn::tools
