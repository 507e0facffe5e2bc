#include "capture/handlers.h"
#include "log/logger.h"

namespace vyn::profiling {

bool VynProfileLogReader::processNextMessage() {
  if (const fb::MethodMessage* message = recordCursor.getNextMessage()) {
    return dispatchMessage(*this, *message);
  }
  endOfRecord = true;
  VYN_LOG_DEBUG("profiling::VynProfileLogReader reached EOF!");
  return false;
}

bool dispatchMessage(VynProfileLogReader& reader, const fb::MethodMessage& message) {
  switch (message.methodType()) {
    case fb::MethodType_Execute:
      return handleExecute(reader, message);
    case fb::MethodType_Finalize:
      return handleFinalize(reader, message);
    case fb::MethodType_ExecuteRoundTrip:
      // Marks the log even when the message itself is filtered out.
      reader.hostRoundTrip = true;
      return handleExecute(reader, message);
    case fb::MethodType_InitEvents:
      return handleSinglePhase(reader, message, reader.initAltStat, reader.hasInitAltStat);
    case fb::MethodType_DeInit:
      return handleDeInit(reader, message);
    case fb::MethodType_Init:
      return handleInit(reader, message);
    case fb::MethodType_ComposeGraph:
      return handleComposeGraph(reader, message);
    case fb::MethodType_ExecuteOverall:
      return handleSinglePhase(reader, message, reader.executeOverallStat,
                               reader.hasExecuteOverallStat);
    case fb::MethodType_ExecuteEvents:
      return handleExecuteEvents(reader, message);
    case fb::MethodType_DynamicLibLoad:
      return handleSinglePhase(reader, message, reader.libLoadStat, reader.hasLibLoadStat);
    case fb::MethodType_ApplyBinarySection:
    case fb::MethodType_ApplyBinarySection2:
      return handleApplyBinarySection(reader, message);
    case fb::MethodType_ContextGetBinarySize:
    case fb::MethodType_ContextGetBinary:
      return handleContextBinary(reader, message);
    case fb::MethodType_ContextGetBinarySectionSize:
      return handleContextBinarySection(reader, message);
    case fb::MethodType_FinalizeAfterTensorUpdates:
      return handleFinalizeAfterTensorUpdates(reader, message);
    case fb::MethodType_UpdateBinarySection:
      return handleUpdateBinarySection(reader, message);
    default:
      VYN_LOG_ERROR("Unknown method type.");
      return false;
  }
}

}  // namespace vyn::profiling
