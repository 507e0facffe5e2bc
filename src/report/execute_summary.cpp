#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::writeExecuteOverallStats(std::ostream&) {}
void VynProfileLogReader::writeExecuteStats(std::ostream&, ExecuteStatKind) {}
void VynProfileLogReader::writeDynamicLibLoadStats(std::ostream&) {}

}  // namespace vyn::profiling
