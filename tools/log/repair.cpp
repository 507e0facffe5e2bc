// repair: the records of a damaged log that still verify, copied byte for
// byte, so that a reader loads what the runtime wrote around the damage
// (LogSalvage finds them). Each range of bytes left out is said on standard
// error with why, then how much was kept and dropped.
#include "base/output_file.h"
#include "format/log_salvage.h"
#include "format/record_format.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

using profiling::DroppedRange;
using profiling::Frame;
using profiling::LogSalvage;

std::string counted(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

void writeFrame(base::OutputFile& output, const Frame& frame) {
  const auto prefix = profiling::lengthPrefix(frame.length);
  output.write(prefix.data(), prefix.size());
  output.write(frame.bytes.data(), frame.bytes.size());
}

// "dropped bytes 1032-1163 (132 bytes): record 4 at byte offset 1032: ...",
// the range's first and last byte.
std::string droppedText(const DroppedRange& range) {
  return "dropped bytes " + std::to_string(range.from) + "-" + std::to_string(range.to - 1) + " (" +
         counted(range.to - range.from, "byte", "bytes") + "): " + range.why;
}

}  // namespace

int runRepair(const std::string& inputPath, const std::string& outputPath) {
  LogSalvage salvage;
  if (!salvage.open(inputPath)) {
    reportProblem(inputPath, salvage.problem());
    return 1;
  }
  base::OutputFile output;
  if (!openCommandOutput(output, outputPath, {inputPath})) return 1;

  std::uint64_t kept = 0, keptBytes = 0, droppedBytes = 0, ranges = 0;
  for (LogSalvage::Step step; (step = salvage.next()) != LogSalvage::Step::End;) {
    switch (step) {
      case LogSalvage::Step::Record:
        writeFrame(output, salvage.frame());
        ++kept;
        keptBytes += profiling::kLengthPrefixSize + salvage.frame().bytes.size();
        break;
      case LogSalvage::Step::Dropped:
        reportProblem(inputPath, droppedText(salvage.dropped()));
        droppedBytes += salvage.dropped().to - salvage.dropped().from;
        ++ranges;
        break;
      case LogSalvage::Step::Failed:
        reportProblem(inputPath, salvage.problem());
        output.discard();
        return 1;
      case LogSalvage::Step::End:
        break;
    }
  }
  if (kept == 0) {
    output.discard();
    reportProblem(inputPath, std::string("nothing to keep: ") +
                                 (ranges == 0 ? "the log holds no records" : "no record in it verifies") + "; " +
                                 output.name() + " not written");
    return 1;
  }
  if (closeCommandOutput(output) != 0) return 1;
  reportProblem(output.name(),
                "kept " + counted(kept, "record", "records") + " (" + std::to_string(keptBytes) + " bytes), dropped " +
                    (ranges == 0 ? std::string("nothing")
                                 : std::to_string(droppedBytes) + " bytes in " + counted(ranges, "range", "ranges")));
  return 0;
}

}  // namespace vyn::tools
