// How many executions a log holds, for the summary of a load: counted in a
// loaded model, or message by message in the records of a log read frame by
// frame. Both count host round trips as executions, as the readers do.
#ifndef VYN_STATS_EXECUTION_COUNT_H_
#define VYN_STATS_EXECUTION_COUNT_H_

#include <cstdint>

#include "format/record_format.h"
#include "model/log_model.h"

namespace vyn::tools {

// The executions of every graph.
std::uint64_t executionCount(const profiling::LogModel& model);

// Whether a message of this method type is one execution.
bool isExecution(std::int8_t methodType);

// The execution messages of a verified record.
std::uint64_t executionCount(const profiling::fb::ProfileLogRecord& record);

}  // namespace vyn::tools

#endif  // VYN_STATS_EXECUTION_COUNT_H_
