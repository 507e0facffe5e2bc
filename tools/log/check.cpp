// check: verifies every record with the reader's verifier options and counts
// the messages of each method type.
#include <cstdio>
#include <map>

#include "analysis/load_meter.h"
#include "base/input_protection.h"
#include "format/log_json_names.h"
#include "format/log_scanner.h"
#include "log/commands.h"
#include "stats/execution_count.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;
using profiling::Frame;
using profiling::LogScanner;

struct Counts {
  std::uint64_t records = 0;
  std::uint64_t messages = 0;
  std::uint64_t absentType = 0;
  std::map<int, std::uint64_t> byType;  // by method type value
};

void countRecord(const Frame& frame, Counts& counts) {
  ++counts.records;
  const auto* root = flatbuffers::GetRoot<fb::ProfileLogRecord>(frame.bytes.data());
  const auto* messages = root->messages();
  if (messages == nullptr) return;
  for (const fb::MethodMessage* message : *messages) {
    ++counts.messages;
    if (!flatbuffers::IsFieldPresent(message, fb::MethodMessage::VT_METHODTYPE)) {
      ++counts.absentType;
    } else {
      ++counts.byType[message->methodType()];
    }
  }
}

// records: N, messages: M, then one line per method type in the order of its
// number, e.g. "  Execute (1): 700".
void printCounts(const Counts& counts) {
  std::printf("records: %llu\n", static_cast<unsigned long long>(counts.records));
  std::printf("messages: %llu\n", static_cast<unsigned long long>(counts.messages));
  for (const auto& [type, count] : counts.byType) {
    std::string name = methodTypeName(type);
    // Readers skip messages of unknown types; they are worth seeing.
    if (name.empty()) name = "unknown method type";
    std::printf("  %s (%d): %llu\n", name.c_str(), type, static_cast<unsigned long long>(count));
  }
  if (counts.absentType != 0) {
    std::printf("  no method type: %llu\n", static_cast<unsigned long long>(counts.absentType));
  }
  std::fflush(stdout);
}

std::uint64_t executions(const Counts& counts) {
  std::uint64_t count = 0;
  for (const auto& [type, messages] : counts.byType) {
    if (isExecution(static_cast<std::int8_t>(type))) count += messages;
  }
  return count;
}

}  // namespace

int runCheck(const std::string& inputPath, bool verbose) {
  // The counts go to standard output: never onto the log ("check in.log >> in.log").
  const std::string overwrite = base::overwritesInput("-", {inputPath});
  if (!overwrite.empty()) {
    reportProblem("standard output", overwrite);
    return 1;
  }
  LogScanner scanner;
  if (!scanner.open(inputPath)) {
    reportProblem(inputPath, scanner.fault().text());
    return 1;
  }
  LoadMeter meter(verbose, scanner.fileSize());
  Counts counts;
  for (;;) {
    const LogScanner::Step step = scanner.next();
    meter.update(scanner.position(), scanner.fileSize());
    switch (step) {
      case LogScanner::Step::Record:
        countRecord(scanner.frame(), counts);
        continue;
      case LogScanner::Step::End:
        meter.finish(executions(counts));
        printCounts(counts);
        if (scanner.strayBytes() != 0) {
          reportProblem(inputPath, "note: " + std::to_string(scanner.strayBytes()) +
                                       " stray bytes after the last record (ignored by readers)");
        }
        return 0;
      case LogScanner::Step::Fault:
        meter.clear();
        printCounts(counts);
        reportProblem(inputPath, scanner.fault().text());
        return 1;
    }
  }
}

}  // namespace vyn::tools
