// trace: a log as a timeline in the trace-event JSON format that trace viewers
// open (see analysis/trace_writer.h), as far as the log is readable.
#include "analysis/load_meter.h"
#include "analysis/log_extent.h"
#include "analysis/trace_writer.h"
#include "base/output_file.h"
#include "format/log_scanner.h"
#include "format/record_format.h"
#include "log/command_output.h"
#include "log/commands.h"
#include "stats/execution_count.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;

std::string baseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int runTrace(const std::string& inputPath, const std::string& outputPath, bool verbose, bool strict) {
  profiling::LogScanner scanner;
  if (!scanner.open(inputPath)) {
    reportProblem(inputPath, scanner.fault().text());
    return 1;
  }
  base::OutputFile output;
  if (!openCommandOutput(output, outputPath, {inputPath})) return 1;
  TraceWriter trace(output);
  LoadMeter meter(verbose, scanner.fileSize());
  std::uint64_t executions = 0;
  int status = 0;
  std::uint64_t records = 0;
  // Like a reader, stop at the first bad record; the timeline up to it is kept.
  for (bool more = true; more;) {
    const profiling::LogScanner::Step step = scanner.next();
    meter.update(scanner.position(), scanner.fileSize());
    if (step == profiling::LogScanner::Step::Record) {
      // Verified: read in place, as a reader reads it.
      const auto* record = flatbuffers::GetRoot<fb::ProfileLogRecord>(scanner.frame().bytes.data());
      const auto* messages = record->messages();
      if (messages != nullptr) {
        for (const fb::MethodMessage* message : *messages) trace.message(*message);
      }
      executions += executionCount(*record);
      ++records;
      continue;
    }
    if (step == profiling::LogScanner::Step::End) {
      meter.finish(executions);
      break;
    }
    meter.clear();
    const profiling::LogFault& fault = scanner.fault();
    // A log bad from its first record leaves no timeline worth writing over a file.
    if (fault.record == 0) {
      reportProblem(inputPath, fault.text() + "; " + output.name() + " not written");
      output.discard();
      return 1;
    }
    if (readablePartFollows(fault)) {
      const LogExtent extent{records, fault, scanner.fileSize()};
      if (strict) {
        reportProblem(inputPath, strictRefusal(inputPath, extent));
        output.discard();
        return 1;
      }
      // The readable part was read whole: its summary comes first, as the analyses' does.
      meter.finish(executions);
      reportProblem(inputPath, partialLogWarning(inputPath, extent));
    } else {
      reportProblem(inputPath, fault.text() + " (the trace stops before it)");
      status = 1;
    }
    more = false;
  }
  trace.finish(baseName(inputPath));
  if (closeCommandOutput(output) != 0) return 1;
  return status;
}

}  // namespace vyn::tools
