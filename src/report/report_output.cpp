#include "report/report_output.h"

#include "base/same_file.h"
#include "log/logger.h"

namespace vyn::profiling {

bool openCsvExport(std::ofstream& file, const std::string& path, std::ios::openmode mode, const std::string& logPath,
                   const char* failureFormat) {
  if (path.empty()) return true;
  // Checked before the open, which would already truncate the log.
  if (!base::namesSameFile(path, logPath)) file.open(path, mode);
  if (file.is_open()) return true;
  VYN_LOG_ERROR(failureFormat, path.c_str());
  return false;
}

}  // namespace vyn::profiling
