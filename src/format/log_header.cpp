#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::captureHeader() {}
std::string VynProfileLogReader::getHeaderReport() { return {}; }

}  // namespace vyn::profiling
