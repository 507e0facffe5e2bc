#include "format/log_fault.h"

namespace vyn::profiling {

std::string LogFault::where() const {
  return "record " + std::to_string(record) + " at byte offset " + std::to_string(offset);
}

std::string LogFault::located() const {
  if (kind == LogFaultKind::Unopened) return words;
  return where() + ": " + words;
}

std::string LogFault::text() const { return notALog.empty() ? located() : notALog; }

std::string LogFault::loadFailure() const {
  if (kind == LogFaultKind::Unopened || !notALog.empty()) return text();
  return "the log could not be loaded: " + located();
}

}  // namespace vyn::profiling
