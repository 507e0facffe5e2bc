#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::writeContextRetrievalStats(std::ostream&) {}
void VynProfileLogReader::writeContextSectionRetrievalStats(std::ostream&) {}
void VynProfileLogReader::writeUpdateBinarySectionStats(std::ostream&) {}

}  // namespace vyn::profiling
