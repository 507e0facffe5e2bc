#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

VynProfileLogReader::VynProfileLogReader(const std::string& path, VisibilityLevel level)
    : visibilityLevel(static_cast<std::int8_t>(level)), inputLogPath(path) {}

VynProfileLogReader::~VynProfileLogReader() = default;

}  // namespace vyn::profiling
