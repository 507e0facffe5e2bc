#include "capture/handlers.h"

namespace vyn::profiling {

bool handleApplyBinarySection(VynProfileLogReader&, const fb::MethodMessage&) { return false; }
bool handleFinalizeAfterTensorUpdates(VynProfileLogReader&, const fb::MethodMessage&) { return false; }
bool handleUpdateBinarySection(VynProfileLogReader&, const fb::MethodMessage&) { return false; }

}  // namespace vyn::profiling
