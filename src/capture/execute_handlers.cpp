#include "capture/handlers.h"

namespace vyn::profiling {

bool handleExecute(VynProfileLogReader&, const fb::MethodMessage&) { return false; }
bool handleFinalize(VynProfileLogReader&, const fb::MethodMessage&) { return false; }
bool handleExecuteEvents(VynProfileLogReader&, const fb::MethodMessage&) { return false; }

}  // namespace vyn::profiling
