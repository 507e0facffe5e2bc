#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::writeEventDataFile(const ProfileEvent&) {}

}  // namespace vyn::profiling
