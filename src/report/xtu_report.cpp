#include "reader/vyn_profile_log_reader_xtu.h"

namespace vyn::profiling {

// Not written yet: the back-end report reports nothing.
bool VynProfileLogReaderXtu::writeReport(const std::string&) { return false; }
void VynProfileLogReaderXtu::writeBackendPhaseStats(std::ostream&) {}
void VynProfileLogReaderXtu::writeBackendData(std::ostream&) {}
void VynProfileLogReaderXtu::printBackendEvents(std::ostream&, const std::vector<ProfileEvent>&) {}
void VynProfileLogReaderXtu::printBackendSubEvent(std::ostream&, const ProfileEvent&, std::uint64_t) {}
void VynProfileLogReaderXtu::printBurstEvents(std::ostream&, const std::vector<ProfileEvent>&) {}
void VynProfileLogReaderXtu::printBurstSubEvent(std::ostream&, const ProfileEvent&, std::uint64_t) {}

}  // namespace vyn::profiling
