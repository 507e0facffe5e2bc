#include "reader/vyn_profile_log_reader_xtu.h"

namespace vyn::profiling {

void VynProfileLogReader::printEvent(std::ostream&, const std::vector<ProfileEvent>&,
                                     std::uint64_t, const std::string&, std::uint64_t) {}

void VynProfileLogReaderXtu::printEvent(std::ostream&, const std::vector<ProfileEvent>&,
                                        std::uint64_t, const std::string&, std::uint64_t) {}

void VynProfileLogReaderXtu::printBurstEventRows(std::ostream&, const std::vector<ProfileEvent>&,
                                                 std::uint64_t, const std::string&,
                                                 std::uint64_t) {}

}  // namespace vyn::profiling
