#include "plugin/vyn_profile_log_reader_xtu.h"
#include "vyn/profiling/profile_log_reader.h"

extern "C" {

VYN_PROFILING_EXPORT vyn::profiling::ProfileLogReader* createReader(const std::string& inputLogPath,
                                                                    vyn::profiling::VisibilityLevel visibilityLevel) {
  return new vyn::profiling::VynProfileLogReaderXtu(inputLogPath, visibilityLevel);
}

VYN_PROFILING_EXPORT void deleteReader(vyn::profiling::ProfileLogReader* reader) { delete reader; }

}  // extern "C"
