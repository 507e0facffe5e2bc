#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

bool VynProfileLogReader::loadLog(bool) { return false; }

}  // namespace vyn::profiling
