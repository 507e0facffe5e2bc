#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::writeEventTree(std::ostream&, const std::vector<ProfileEvent>&,
                                         std::uint64_t) {}

}  // namespace vyn::profiling
