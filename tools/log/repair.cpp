// repair: a damaged log cut back to the records before its first bad one (a
// record cut short or one that does not verify), so that a reader loads what
// the runtime wrote before the damage. The records kept are copied byte for byte.
#include "base/output_file.h"
#include "common/record_problem.h"
#include "format/log_frames.h"
#include "format/record_format.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

std::string records(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " record" : " records");
}

void writeFrame(base::OutputFile& output, const Frame& frame) {
  std::uint8_t prefix[profiling::kLengthPrefixSize];
  for (std::size_t i = 0; i < sizeof prefix; ++i) prefix[i] = static_cast<std::uint8_t>(frame.length >> (8 * i));
  output.write(prefix, sizeof prefix);
  output.write(frame.bytes.data(), frame.bytes.size());
}

// Why the frame ends what can be kept; empty for a record that verifies.
std::string frameFault(FrameStatus status, const Frame& frame, const LogFrameReader& reader) {
  if (status != FrameStatus::Frame) return frameProblem(status, frame, reader);
  return recordProblem(frame.bytes.data(), frame.bytes.size());
}

}  // namespace

int runRepair(const std::string& inputPath, const std::string& outputPath) {
  LogFrameReader reader;
  if (!reader.open(inputPath)) {
    reportProblem(inputPath, reader.problem());
    return 1;
  }
  base::OutputFile output;
  if (!output.open(outputPath, {inputPath})) {
    reportProblem(output.name(), output.problem());
    return 1;
  }

  std::uint64_t kept = 0;
  Frame frame;
  FrameStatus status;
  std::string fault;
  while ((status = reader.next(frame)) == FrameStatus::Frame || status == FrameStatus::Truncated) {
    fault = frameFault(status, frame, reader);
    if (!fault.empty()) break;
    writeFrame(output, frame);
    ++kept;
  }
  // Where the frame that ended the copy begins: the end of the last record kept.
  const std::uint64_t keptBytes = frame.offset;
  std::uint64_t dropped = 0;
  if (!fault.empty()) {
    reportProblem(inputPath, badFrameText(frame, status, fault, reader.fileSize()));
    // The frames after the bad one, as far as their length prefixes lead.
    for (dropped = 1; status == FrameStatus::Frame;) {
      status = reader.next(frame);
      if (status == FrameStatus::Frame || status == FrameStatus::Truncated) ++dropped;
    }
  }
  if (status == FrameStatus::ReadError) {
    reportProblem(inputPath, reader.problem());
    output.discard();
    return 1;
  }
  if (kept == 0) {
    output.discard();
    reportProblem(inputPath, std::string("nothing to keep: ") +
                                 (fault.empty() ? "the log holds no records" : "its first record is bad") + "; " +
                                 output.name() + " not written");
    return 1;
  }
  if (closeCommandOutput(output) != 0) return 1;
  reportProblem(output.name(), "kept " + records(kept) + " (" + std::to_string(keptBytes) + " bytes), dropped " +
                                   records(dropped) + " (" + std::to_string(reader.position() - keptBytes) +
                                   " bytes)");
  return 0;
}

}  // namespace vyn::tools
