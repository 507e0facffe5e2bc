// Method handlers: each takes one message into the reader's statistics. They
// return true when the message was taken, false when the visibility filter dropped
// it or it lacked a field the handler needs.
#ifndef VYN_CAPTURE_HANDLERS_H_
#define VYN_CAPTURE_HANDLERS_H_

#include "format/record_format.h"
#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

// Routes a message by its method type; unknown types are logged and dropped.
bool dispatchMessage(VynProfileLogReader& reader, const fb::MethodMessage& message);

// Phase handlers.
bool handleInit(VynProfileLogReader& reader, const fb::MethodMessage& message);
bool handleComposeGraph(VynProfileLogReader& reader, const fb::MethodMessage& message);
bool handleDeInit(VynProfileLogReader& reader, const fb::MethodMessage& message);
// InitEvents, ExecuteOverall and DynamicLibLoad: one statistic and its flag.
bool handleSinglePhase(VynProfileLogReader& reader, const fb::MethodMessage& message,
                       PhaseStat& stat, bool& filled);

// Execute and finalize handlers.
bool handleExecute(VynProfileLogReader& reader, const fb::MethodMessage& message);
bool handleFinalize(VynProfileLogReader& reader, const fb::MethodMessage& message);
bool handleExecuteEvents(VynProfileLogReader& reader, const fb::MethodMessage& message);

// Context binary retrieval handlers.
bool handleContextBinary(VynProfileLogReader& reader, const fb::MethodMessage& message);
bool handleContextBinarySection(VynProfileLogReader& reader, const fb::MethodMessage& message);

// Binary section and tensor update handlers.
bool handleApplyBinarySection(VynProfileLogReader& reader, const fb::MethodMessage& message);
bool handleFinalizeAfterTensorUpdates(VynProfileLogReader& reader,
                                      const fb::MethodMessage& message);
bool handleUpdateBinarySection(VynProfileLogReader& reader, const fb::MethodMessage& message);

}  // namespace vyn::profiling

#endif  // VYN_CAPTURE_HANDLERS_H_
