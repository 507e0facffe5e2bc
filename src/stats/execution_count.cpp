#include "stats/execution_count.h"

namespace vyn::tools {

namespace fb = ::vyn::profiling::fb;

std::uint64_t executionCount(const profiling::LogModel& model) {
  std::uint64_t count = 0;
  for (const profiling::GraphSeries& series : model.executions) count += series.occurrences.size();
  return count;
}

bool isExecution(std::int8_t methodType) {
  return methodType == fb::MethodType_Execute || methodType == fb::MethodType_ExecuteRoundTrip;
}

std::uint64_t executionCount(const fb::ProfileLogRecord& record) {
  const auto* messages = record.messages();
  if (messages == nullptr) return 0;
  std::uint64_t count = 0;
  for (const fb::MethodMessage* message : *messages) {
    if (isExecution(message->methodType())) ++count;
  }
  return count;
}

}  // namespace vyn::tools
