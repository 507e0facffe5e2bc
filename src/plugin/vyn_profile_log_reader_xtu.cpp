#include "plugin/vyn_profile_log_reader_xtu.h"

#include "base/text_buffer.h"
#include "report/event_printers.h"
#include "report/reports.h"

namespace vyn::profiling {

// This reader is final: its report prints events straight from the model's rows,
// as its own writeEventTree and printEvent would.
bool VynProfileLogReaderXtu::writeReport(const std::string& outputPath) {
  return writeBackendReport(reportInput(), outputPath);
}

void VynProfileLogReaderXtu::printEvent(std::ostream& out, const std::vector<ProfileEvent>& events,
                                        std::uint64_t messageTimestamp, const std::string& messageLabel,
                                        std::uint64_t depth) {
  base::TextBuffer rows(out);
  appendBackendEventRows(rows, events, messageTimestamp, messageLabel, depth);
}

}  // namespace vyn::profiling
