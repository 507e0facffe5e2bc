#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::writeHeaderSection(std::ostream&) {}

}  // namespace vyn::profiling
