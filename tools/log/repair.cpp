// repair: a damaged log cut back to the records before its first bad one (a
// record cut short or one that does not verify), so that a reader loads what
// the runtime wrote before the damage. The records kept are copied byte for byte.
#include "base/output_file.h"
#include "format/log_scanner.h"
#include "format/record_format.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

using profiling::Frame;
using profiling::LogScanner;

std::string records(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " record" : " records"); }

void writeFrame(base::OutputFile& output, const Frame& frame) {
  std::uint8_t prefix[profiling::kLengthPrefixSize];
  for (std::size_t i = 0; i < sizeof prefix; ++i) prefix[i] = static_cast<std::uint8_t>(frame.length >> (8 * i));
  output.write(prefix, sizeof prefix);
  output.write(frame.bytes.data(), frame.bytes.size());
}

// A fault after which nothing can be said about the rest of the log.
bool unreadable(const profiling::LogFault& fault) {
  return fault.kind == profiling::LogFaultKind::ReadError || fault.kind == profiling::LogFaultKind::OutOfMemory;
}

}  // namespace

int runRepair(const std::string& inputPath, const std::string& outputPath) {
  LogScanner scanner;
  if (!scanner.open(inputPath)) {
    reportProblem(inputPath, scanner.fault().text());
    return 1;
  }
  base::OutputFile output;
  if (!output.open(outputPath, {inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }

  std::uint64_t kept = 0;
  LogScanner::Step step;
  while ((step = scanner.next()) == LogScanner::Step::Record) {
    writeFrame(output, scanner.frame());
    ++kept;
  }
  // Where the frame that ended the copy begins: the end of the last record kept.
  const std::uint64_t keptBytes = scanner.frame().offset;
  const bool bad = step == LogScanner::Step::Fault && !unreadable(scanner.fault());
  std::uint64_t dropped = 0;
  if (bad) {
    reportProblem(inputPath, scanner.fault().text());
    // The frames after the bad one, as far as their length prefixes lead.
    dropped = 1;
    for (bool more = scanner.fault().recordRefused(); more;) {
      step = scanner.next();
      more = step == LogScanner::Step::Record || (step == LogScanner::Step::Fault && scanner.fault().recordRefused());
      if (more || (step == LogScanner::Step::Fault && !unreadable(scanner.fault()))) ++dropped;
    }
  }
  if (step == LogScanner::Step::Fault && unreadable(scanner.fault())) {
    reportProblem(inputPath, scanner.fault().words);
    output.discard();
    return 1;
  }
  if (kept == 0) {
    output.discard();
    reportProblem(inputPath, std::string("nothing to keep: ") +
                                 (!bad ? "the log holds no records" : "its first record is bad") + "; " +
                                 output.name() + " not written");
    return 1;
  }
  if (closeCommandOutput(output) != 0) return 1;
  reportProblem(output.name(), "kept " + records(kept) + " (" + std::to_string(keptBytes) + " bytes), dropped " +
                                   records(dropped) + " (" + std::to_string(scanner.position() - keptBytes) +
                                   " bytes)");
  return 0;
}

}  // namespace vyn::tools
