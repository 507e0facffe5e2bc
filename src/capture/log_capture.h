// The only writer of a loaded log's model: takes the log header and one message
// at a time into it, routing each message by its method type.
#ifndef VYN_CAPTURE_LOG_CAPTURE_H_
#define VYN_CAPTURE_LOG_CAPTURE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/event_conversion.h"
#include "capture/graph_index.h"
#include "capture/text_interner.h"
#include "format/record_format.h"
#include "model/log_model.h"

namespace vyn::profiling {

class LogCapture {
 public:
  // Takes messages whose level is below visibilityLevel into model, which must
  // outlive the capture. Capturing again appends to what is there.
  LogCapture(LogModel& model, std::int8_t visibilityLevel);
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Copies the header values, the first time a record brings a header.
  void captureHeader(const fb::LogHeader* header);

  // Takes one message into the model. True when it was taken; false when the
  // visibility filter dropped it, it lacks a field its phase needs, or its method
  // type is unknown (logged).
  bool dispatch(const fb::MethodMessage& message);

 private:
  // Phases that happen once or a few times per log.
  bool captureInit(const fb::MethodMessage& message);
  bool captureComposeGraph(const fb::MethodMessage& message);
  bool captureDeInit(const fb::MethodMessage& message);
  bool captureSinglePhase(const fb::MethodMessage& message, std::optional<Occurrence>& phase);
  // Executions and finalizations, with their events sorted by identifier.
  bool captureExecute(const fb::MethodMessage& message);
  bool captureFinalize(const fb::MethodMessage& message);
  bool captureExecuteEvents(const fb::MethodMessage& message);
  void attachLateEvents(TextId graph, EventSpan events);
  // Context binary retrieval.
  bool captureContextBinary(const fb::MethodMessage& message);
  bool captureContextBinarySection(const fb::MethodMessage& message);
  // Binary sections and tensor updates.
  bool captureApplyBinarySection(const fb::MethodMessage& message);
  bool captureFinalizeAfterTensorUpdates(const fb::MethodMessage& message);
  bool captureUpdateBinarySection(const fb::MethodMessage& message);

  bool visible(const fb::MethodMessage& message) const;
  TextId internedText(const flatbuffers::String* text);
  // An occurrence with the message's duration (when it is timed) and timestamp.
  static Occurrence timedOccurrence(const fb::MethodMessage& message);
  // Stores all of the message's events as one list.
  EventSpan storeAllEvents(const fb::MethodMessage& message);
  // Converts the message's events and sorts the top-level ones (each with its
  // sub-events) into lists by identifier: finalize, init and the rest.
  struct SortedEvents {
    EventSpan init, finalize, other;
  };
  SortedEvents storeSortedEvents(const fb::MethodMessage& message, bool sortFinalizeEvents);
  // Init sub-events are replaced only by a message that carries some.
  void replaceInitEvents(EventSpan events);

  LogModel& model_;
  const std::int8_t visibilityLevel_;
  TextInterner texts_;
  EventConverter converter_;
  std::vector<EventRow> rows_;  // the current message's rows
  std::vector<EventRow> sorted_[3];

  GraphIndex finalizationIndex_;
  GraphIndex executionIndex_;
  GraphIndex sectionApplicationIndex_;
  GraphIndex tensorUpdateIndex_;
  // Per graph of the executions: how many of its oldest executions are known to
  // carry events, so that late events find the oldest one without any at once.
  std::vector<std::size_t> executionsWithEvents_;
};

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_LOG_CAPTURE_H_
