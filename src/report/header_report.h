// The log-header report: when and by which tools the log was made.
#ifndef VYN_REPORT_HEADER_REPORT_H_
#define VYN_REPORT_HEADER_REPORT_H_

#include <optional>
#include <string>

#include "model/log_model.h"

namespace vyn::profiling {

// The multi-line header text, or an empty text (logged at DEBUG level) when the
// log had no header.
std::string headerReport(const std::optional<LogHeaderInfo>& header, const std::string& inputLogPath);

}  // namespace vyn::profiling

#endif  // VYN_REPORT_HEADER_REPORT_H_
