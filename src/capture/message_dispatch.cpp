#include "capture/handlers.h"

namespace vyn::profiling {

bool VynProfileLogReader::processNextMessage() { endOfRecord = true; return false; }
bool dispatchMessage(VynProfileLogReader&, const fb::MethodMessage&) { return false; }

}  // namespace vyn::profiling
