// dump: a log's binary form to its JSON form, every field, streaming record by
// record. Frames that do not hold a valid record are kept verbatim, so packing
// the dump gives back the same bytes.
#include <unistd.h>

#include "analysis/json_document.h"
#include "analysis/load_meter.h"
#include "base/output_file.h"
#include "common/log_json.h"
#include "common/record_problem.h"
#include "format/log_frames.h"
#include "format/record_codec.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "stats/execution_count.h"

namespace vyn::tools {
namespace {

std::string where(const Frame& frame) {
  return "record " + std::to_string(frame.index) + " at byte offset " + std::to_string(frame.offset);
}

// The frame's length prefix followed by the bytes that are there.
std::vector<std::uint8_t> prefixedBytes(const Frame& frame) {
  std::vector<std::uint8_t> bytes;
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<std::uint8_t>(frame.length >> shift));
  }
  bytes.insert(bytes.end(), frame.bytes.begin(), frame.bytes.end());
  return bytes;
}

void writeEntry(base::OutputFile& output, const LogEntry& entry, bool first) {
  std::string text = jsonDocumentText(entryToJson(entry), 2);
  // Indent the entry one level inside the top-level array.
  std::string indented = first ? "  " : ",\n  ";
  indented.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    indented.push_back(c);
    if (c == '\n') indented.append("  ");
  }
  output.write(indented);
}

}  // namespace

int runDump(const std::string& inputPath, const std::string& outputPath, bool verbose) {
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

  LoadMeter meter(verbose, reader.fileSize());
  // JSON streaming to a terminal would be torn by a progress line redrawn in it.
  const bool showProgress = !(outputPath == "-" && ::isatty(STDOUT_FILENO) == 1);
  std::uint64_t executions = 0;
  int status = 0;
  bool first = true;
  output.write("[\n");
  Frame frame;
  for (bool more = true; more;) {
    LogEntry entry;
    const FrameStatus frameStatus = reader.next(frame);
    if (showProgress) meter.update(reader.position(), reader.fileSize());
    // Problems and notes go on a line of their own.
    if (frameStatus != FrameStatus::Frame) meter.clear();
    switch (frameStatus) {
      case FrameStatus::Frame: {
        const std::string problem = recordProblem(frame.bytes.data(), frame.bytes.size());
        if (problem.empty()) {
          executions += executionCount(*profiling::fb::GetProfileLogRecord(frame.bytes.data()));
          entry.record = profiling::decodeRecord(frame.bytes.data(), frame.bytes.size());
        } else {
          meter.clear();
          reportProblem(inputPath, where(frame) + ": " + problem + " (kept as raw_record)");
          entry.kind = LogEntry::Kind::RawFrame;
          entry.bytes.assign(frame.bytes.begin(), frame.bytes.end());
          status = 1;
        }
        break;
      }
      case FrameStatus::End:
        more = false;
        continue;
      case FrameStatus::StrayBytes:
        reportProblem(inputPath, "note: " + std::to_string(frame.bytes.size()) +
                                     " stray bytes after the last record at byte offset " +
                                     std::to_string(frame.offset) +
                                     " (readers ignore them; kept as trailing_bytes)");
        entry.kind = LogEntry::Kind::Trailing;
        entry.bytes.assign(frame.bytes.begin(), frame.bytes.end());
        more = false;
        break;
      case FrameStatus::Truncated:
        reportProblem(inputPath, where(frame) + ": " + frameProblem(FrameStatus::Truncated, frame, reader) +
                                     " (kept as trailing_bytes)");
        entry.kind = LogEntry::Kind::Trailing;
        entry.bytes = prefixedBytes(frame);
        status = 1;
        more = false;
        break;
      case FrameStatus::ReadError:
        reportProblem(inputPath, reader.problem());
        output.discard();
        return 1;
    }
    writeEntry(output, entry, first);
    first = false;
  }
  output.write(first ? "]\n" : "\n]\n");
  meter.finish(executions);
  if (closeCommandOutput(output) != 0) return 1;
  return status;
}

}  // namespace vyn::tools
