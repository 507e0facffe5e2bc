// check: verifies every record with the reader's verifier options and counts
// the messages of each method type.
#include <cstdio>
#include <map>

#include "analysis/load_meter.h"
#include "base/input_protection.h"
#include "common/record_problem.h"
#include "common/schema_names.h"
#include "format/log_frames.h"
#include "format/record_format.h"
#include "log/commands.h"
#include "stats/execution_count.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;

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
  LogFrameReader reader;
  if (!reader.open(inputPath)) {
    reportProblem(inputPath, reader.problem());
    return 1;
  }
  LoadMeter meter(verbose, reader.fileSize());
  Counts counts;
  Frame frame;
  for (;;) {
    const FrameStatus status = reader.next(frame);
    meter.update(reader.position(), reader.fileSize());
    std::string problem;
    if (status == FrameStatus::Frame) {
      problem = recordProblem(frame.bytes.data(), frame.bytes.size());
      if (problem.empty()) {
        countRecord(frame, counts);
        continue;
      }
    } else if (status == FrameStatus::StrayBytes || status == FrameStatus::End) {
      meter.finish(executions(counts));
      printCounts(counts);
      if (status == FrameStatus::StrayBytes) {
        reportProblem(inputPath, "note: " + std::to_string(frame.bytes.size()) +
                                     " stray bytes after the last record (ignored by readers)");
      }
      return 0;
    } else {
      problem = frameProblem(status, frame, reader);
    }
    meter.clear();
    printCounts(counts);
    reportProblem(inputPath, badFrameText(frame, status, problem, reader.fileSize()));
    return 1;
  }
}

}  // namespace vyn::tools
