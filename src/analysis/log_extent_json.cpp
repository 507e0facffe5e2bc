#include "analysis/log_extent_json.h"

namespace vyn::tools {

nlohmann::ordered_json unreadableJson(const LogExtent& extent) {
  if (!extent.fault) return nullptr;
  nlohmann::ordered_json unreadable;
  unreadable["record"] = extent.fault->record;
  unreadable["byte_offset"] = extent.fault->offset;
  const auto unread = extent.unreadBytes();
  unreadable["unread_bytes"] = unread ? nlohmann::ordered_json(*unread) : nlohmann::ordered_json(nullptr);
  unreadable["problem"] = extent.fault->words;
  return unreadable;
}

}  // namespace vyn::tools
