// What the log table says about a loaded log's file: its size, how many
// records were read, and whether the whole log was.
#ifndef VYN_QUERY_LOG_FACTS_H_
#define VYN_QUERY_LOG_FACTS_H_

#include <cstdint>
#include <optional>

#include "analysis/loaded_log.h"

namespace vyn::query {

struct LogFacts {
  std::optional<std::uint64_t> bytes;    // the file's size; none when it cannot be read
  std::optional<std::uint64_t> records;  // records read; none when the load does not tell
  bool complete = true;                  // every record of the file was read
};

// The one place that reads these facts from a loaded log.
LogFacts logFacts(const tools::LoadedLog& log);

}  // namespace vyn::query

#endif  // VYN_QUERY_LOG_FACTS_H_
