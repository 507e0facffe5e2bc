#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::aggregateStatistics(std::ostringstream&) {}

}  // namespace vyn::profiling
