#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

// Not written yet: the generic report reports nothing.
bool VynProfileLogReader::writeReport(const std::string&) { return false; }

}  // namespace vyn::profiling
