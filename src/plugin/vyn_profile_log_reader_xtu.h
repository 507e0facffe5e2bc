// The reader for the Xtu back-end: the generic reader with the back-end's own
// report and CSV event rows. createReader always makes this one.
#ifndef VYN_PLUGIN_VYN_PROFILE_LOG_READER_XTU_H_
#define VYN_PLUGIN_VYN_PROFILE_LOG_READER_XTU_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/vyn_profile_log_reader.h"

namespace vyn::profiling {

class VynProfileLogReaderXtu final : public VynProfileLogReader {
 public:
  using VynProfileLogReader::VynProfileLogReader;

  bool writeReport(const std::string& outputPath) override;
  void printEvent(std::ostream& out, const std::vector<ProfileEvent>& events, std::uint64_t messageTimestamp,
                  const std::string& messageLabel, std::uint64_t depth) override;
};

}  // namespace vyn::profiling

#endif  // VYN_PLUGIN_VYN_PROFILE_LOG_READER_XTU_H_
