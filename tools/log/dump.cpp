// dump: a log's binary form to its JSON form, every field, streaming record by
// record. Frames that do not hold a valid record are kept verbatim, so packing
// the dump gives back the same bytes.
#include <unistd.h>

#include "analysis/json_document.h"
#include "analysis/load_meter.h"
#include "base/output_file.h"
#include "format/log_json.h"
#include "format/log_scanner.h"
#include "format/record_codec.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "stats/execution_count.h"

namespace vyn::tools {
namespace {

using profiling::Frame;
using profiling::LogFaultKind;
using profiling::LogScanner;

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
  LogScanner scanner;
  if (!scanner.open(inputPath)) {
    reportProblem(inputPath, scanner.fault().text());
    return 1;
  }
  base::OutputFile output;
  if (!openCommandOutput(output, outputPath, {inputPath})) return 1;

  LoadMeter meter(verbose, scanner.fileSize());
  // JSON streaming to a terminal would be torn by a progress line redrawn in it.
  const bool showProgress = !(outputPath == "-" && ::isatty(STDOUT_FILENO) == 1);
  std::uint64_t executions = 0;
  int status = 0;
  bool first = true;
  output.write("[\n");
  for (bool more = true; more;) {
    LogEntry entry;
    const LogScanner::Step step = scanner.next();
    const Frame& frame = scanner.frame();
    if (showProgress) meter.update(scanner.position(), scanner.fileSize());
    if (step == LogScanner::Step::Record) {
      executions += executionCount(*profiling::fb::GetProfileLogRecord(frame.bytes.data()));
      entry.record = profiling::decodeRecord(frame.bytes.data(), frame.bytes.size());
    } else if (step == LogScanner::Step::End) {
      if (scanner.strayBytes() == 0) break;
      // Problems and notes go on a line of their own.
      meter.clear();
      reportProblem(inputPath, "note: " + std::to_string(frame.bytes.size()) +
                                   " stray bytes after the last record at byte offset " + std::to_string(frame.offset) +
                                   " (readers ignore them; kept as trailing_bytes)");
      entry.kind = LogEntry::Kind::Trailing;
      entry.bytes.assign(frame.bytes.begin(), frame.bytes.end());
      more = false;
    } else {
      meter.clear();
      const profiling::LogFault& fault = scanner.fault();
      if (fault.kind == LogFaultKind::ReadError || fault.kind == LogFaultKind::OutOfMemory) {
        reportProblem(inputPath, fault.words);
        output.discard();
        return 1;
      }
      status = 1;
      if (fault.kind == LogFaultKind::Truncated) {
        reportProblem(inputPath, fault.located() + " (kept as trailing_bytes)");
        entry.kind = LogEntry::Kind::Trailing;
        entry.bytes = prefixedBytes(frame);
        more = false;
      } else {
        reportProblem(inputPath, fault.located() + " (kept as raw_record)");
        entry.kind = LogEntry::Kind::RawFrame;
        entry.bytes.assign(frame.bytes.begin(), frame.bytes.end());
      }
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
