#include "capture/handlers.h"

namespace vyn::profiling {

bool handleInit(VynProfileLogReader&, const fb::MethodMessage&) { return false; }
bool handleComposeGraph(VynProfileLogReader&, const fb::MethodMessage&) { return false; }
bool handleDeInit(VynProfileLogReader&, const fb::MethodMessage&) { return false; }
bool handleSinglePhase(VynProfileLogReader&, const fb::MethodMessage&, PhaseStat&, bool&) { return false; }

}  // namespace vyn::profiling
