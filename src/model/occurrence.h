// Phase occurrences: what one message of a phase left in a loaded log.
#ifndef VYN_MODEL_OCCURRENCE_H_
#define VYN_MODEL_OCCURRENCE_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/event_row.h"
#include "model/text_pool.h"

namespace vyn::profiling {

// One occurrence of a phase: its duration in microseconds, the message's
// timestamp, a name where the phase keeps one, and the events measured below it.
struct Occurrence {
  std::uint64_t value = 0;
  std::uint64_t timestamp = 0;
  TextId name = kEmptyText;
  EventSpan events;
};
static_assert(sizeof(Occurrence) == 32, "a log holds an occurrence per phase message: keep them small");

// Every occurrence of one graph's phase, in message order.
struct GraphSeries {
  TextId graph = kEmptyText;
  std::vector<Occurrence> occurrences;
};

// The one occurrence a graph keeps of a phase.
struct GraphOccurrence {
  TextId graph = kEmptyText;
  Occurrence occurrence;
};

// A context binary retrieval call, under the name of its measurement.
struct ContextCall {
  std::string_view measurement;  // one of the fixed measurement names
  Occurrence occurrence;
};

}  // namespace vyn::profiling

#endif  // VYN_MODEL_OCCURRENCE_H_
