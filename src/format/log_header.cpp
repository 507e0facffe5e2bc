#include <ctime>
#include <sstream>

#include "log/logger.h"
#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {
namespace {

// Copies a header text with its stored length, byte for byte.
void copyIfPresent(const flatbuffers::String* text, std::string& member) {
  if (text != nullptr) member.assign(text->data(), text->size());
}

}  // namespace

void VynProfileLogReader::captureHeader() {
  if (headerCaptured) {
    VYN_LOG_DEBUG("Header details have been saved already.");
    return;
  }
  const fb::LogHeader* header = recordCursor.getHeader();
  if (header == nullptr) {
    VYN_LOG_DEBUG("hdr is nullptr");
    return;
  }
  epochTimestamp = header->epochTimestamp();
  steadyClockTimestamp = header->steadyClockTimestamp();
  timeScale = header->timeScale();
  copyIfPresent(header->generatorVersion(), generatorVersion);
  copyIfPresent(header->generatorName(), generatorName);
  copyIfPresent(header->backendVersion(), backendVersion);
  if (header->generatorName() != nullptr && generatorName == kUpdaterGeneratorName) {
    generatedByUpdater = true;
  }
  headerCaptured = true;
}

std::string VynProfileLogReader::getHeaderReport() {
  if (!headerCaptured) {
    VYN_LOG_DEBUG("Header details unavailable.");
    return {};
  }
  std::ostringstream report;
  report << "Input Log File Location: " << inputLogPath << '\n';

  // A creation time that cannot be rendered leaves out its own line only.
  const std::time_t seconds = static_cast<std::time_t>(epochTimestamp / 1000000);
  std::tm local{};
  char created[26] = {};
  if (::localtime_r(&seconds, &local) != nullptr && ::asctime_r(&local, created) != nullptr) {
    report << "Log File Created: " << created;
  }

  report << "Time Scale: " << timeScale << '\n';
  report << "Epoch Timestamp: " << epochTimestamp
         << " Steady Clock Timestamp: " << steadyClockTimestamp << '\n';
  report << "Generated using: \n";
  report << "vyn-profile-viewer: " << kViewerVersion << '\n';
  if (!generatorVersion.empty() && !generatorName.empty()) {
    report << generatorName << ": " << generatorVersion << '\n';
  }
  if (!backendVersion.empty()) report << "Backend: " << backendVersion << '\n';
  return report.str();
}

}  // namespace vyn::profiling
