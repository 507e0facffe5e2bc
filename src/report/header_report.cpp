#include "report/header_report.h"

#include <ctime>
#include <sstream>

#include "log/logger.h"
#include "report/summary_sections.h"
#include "report/text_layout.h"
#include "version/viewer_version.h"

namespace vyn::profiling {

std::string headerReport(const std::optional<LogHeaderInfo>& header, const std::string& inputLogPath) {
  if (!header) {
    VYN_LOG_DEBUG("Header details unavailable.");
    return {};
  }
  std::ostringstream report;
  report << "Input Log File Location: " << inputLogPath << '\n';

  // A creation time that cannot be rendered leaves out its own line only.
  const std::time_t seconds = static_cast<std::time_t>(header->epochTimestamp / 1000000);
  std::tm local{};
  char created[26] = {};
  if (::localtime_r(&seconds, &local) != nullptr && ::asctime_r(&local, created) != nullptr) {
    report << "Log File Created: " << created;
  }

  report << "Time Scale: " << header->timeScale << '\n';
  report << "Epoch Timestamp: " << header->epochTimestamp << " Steady Clock Timestamp: " << header->steadyClockTimestamp
         << '\n';
  report << "Generated using: \n";
  report << "vyn-profile-viewer: " << kViewerVersion << '\n';
  if (!header->generatorVersion.empty() && !header->generatorName.empty()) {
    report << header->generatorName << ": " << header->generatorVersion << '\n';
  }
  if (!header->backendVersion.empty()) report << "Backend: " << header->backendVersion << '\n';
  return report.str();
}

void writeHeaderSection(base::TextBuffer& out, const ReportInput& input) {
  out.text(headerReport(input.model.header, input.inputLogPath));
  out.endLine();
}

}  // namespace vyn::profiling
