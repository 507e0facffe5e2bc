// Where a log stops being readable, as the analyses' JSON documents give it.
#ifndef VYN_ANALYSIS_LOG_EXTENT_JSON_H_
#define VYN_ANALYSIS_LOG_EXTENT_JSON_H_

#include <nlohmann/json.hpp>

#include "analysis/log_extent.h"

namespace vyn::tools {

// {"record": 7, "byte_offset": 1048620, "unread_bytes": 5123, "problem": "..."}
// for a log that stops early (unread_bytes null when the file's size is
// unknown); null for a whole log.
nlohmann::ordered_json unreadableJson(const LogExtent& extent);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_LOG_EXTENT_JSON_H_
