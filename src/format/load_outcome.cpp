#include "format/load_outcome.h"

#include <cctype>

#include "log/logger.h"

namespace vyn::profiling {

void logLoadFault(const LogFault& fault, const Frame& frame, const std::string& path) {
  switch (fault.kind) {
    case LogFaultKind::Unopened:
      VYN_LOG_ERROR("Invalid or nonexistent file: %s", path.c_str());
      return;
    case LogFaultKind::Truncated:
      VYN_LOG_ERROR("Truncated record: %u bytes announced, %llu available", frame.length,
                    static_cast<unsigned long long>(frame.bytes.size()));
      return;
    case LogFaultKind::OutOfMemory: {
      // The words are the logger's line with a lower-case first letter.
      std::string line = fault.words;
      if (!line.empty()) line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
      VYN_LOG_ERROR("%s", line.c_str());
      return;
    }
    case LogFaultKind::ReadError:
    case LogFaultKind::TooLarge:
    case LogFaultKind::Malformed:
    case LogFaultKind::CopiesTooMuch:
      VYN_LOG_ERROR("Corrupted flatbuffer binary stream");
      return;
  }
}

}  // namespace vyn::profiling
