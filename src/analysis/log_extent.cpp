#include "analysis/log_extent.h"

#include <cstdio>

#include "analysis/repair_suggestion.h"

namespace vyn::tools {
namespace {

std::string counted(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "0.5%" with one decimal; a share that would round to 0.0% or 100.0% says
// which side of them it lies on instead.
std::string shareText(std::uint64_t part, std::uint64_t whole) {
  const double percent = 100.0 * static_cast<double>(part) / static_cast<double>(whole);
  if (percent < 0.05) return "under 0.1%";
  if (percent >= 99.95) return "over 99.9%";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", percent);
  return text;
}

}  // namespace

std::optional<std::uint64_t> LogExtent::unreadBytes() const {
  if (!fault || fileSize == 0 || fault->offset > fileSize) return std::nullopt;
  return fileSize - fault->offset;
}

bool readablePartFollows(const profiling::LogFault& fault) {
  using profiling::LogFaultKind;
  const bool recordFault = fault.kind == LogFaultKind::Truncated || fault.recordRefused();
  return recordFault && fault.record != 0 && fault.notALog.empty();
}

std::string unreadableTailText(const LogExtent& extent) {
  if (!extent.fault) return {};
  const profiling::LogFault& fault = *extent.fault;
  std::string text = "the log stops being readable at record " + std::to_string(fault.record) + " (byte offset " +
                     std::to_string(fault.offset) + "): " + fault.words;
  if (const auto unread = extent.unreadBytes()) {
    text += "; " + counted(*unread, "byte", "bytes") + " (" + shareText(*unread, extent.fileSize) +
            " of the file) left unread";
  }
  return text;
}

std::string incompleteText(const LogExtent& extent) {
  if (!extent.fault) return {};
  return "incomplete: the " + counted(extent.records, "record", "records") + " before byte offset " +
         std::to_string(extent.fault->offset) + ", where the log stops being readable";
}

std::string partialLogWarning(const std::string& path, const LogExtent& extent) {
  const bool one = extent.records == 1;
  return "warning: " + unreadableTailText(extent) + ". Using the " + counted(extent.records, "record", "records") +
         " before it; to keep " + (one ? "it as a log of its own: " : "them as a log of their own: ") +
         repairCommand(path);
}

std::string strictRefusal(const std::string& path, const LogExtent& extent) {
  return unreadableTailText(extent) + ". --strict takes only a whole log, so nothing was written; to keep the " +
         counted(extent.records, "record", "records") + " before it: " + repairCommand(path);
}

}  // namespace vyn::tools
