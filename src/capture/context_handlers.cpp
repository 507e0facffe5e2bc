#include "capture/handlers.h"

namespace vyn::profiling {

bool handleContextBinary(VynProfileLogReader&, const fb::MethodMessage&) { return false; }
bool handleContextBinarySection(VynProfileLogReader&, const fb::MethodMessage&) { return false; }

}  // namespace vyn::profiling
