#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::writePhaseStats(std::ostream&) {}
void VynProfileLogReader::writeInitStats(std::ostream&) {}
void VynProfileLogReader::writeComposeGraphsStats(std::ostream&) {}
void VynProfileLogReader::writeFinalizeStats(std::ostream&) {}
void VynProfileLogReader::writeDeInitStats(std::ostream&) {}
void VynProfileLogReader::writeGraphPhaseStats(std::ostream&, GraphPhaseKind) {}

}  // namespace vyn::profiling
