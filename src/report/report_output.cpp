#include "report/report_output.h"

#include "log/logger.h"

namespace vyn::profiling {

bool openCsvExport(std::ofstream& file, const std::string& path, std::ios::openmode mode,
                   const char* failureFormat) {
  if (path.empty()) return true;
  file.open(path, mode);
  if (file.is_open()) return true;
  VYN_LOG_ERROR(failureFormat, path.c_str());
  return false;
}

}  // namespace vyn::profiling
