// Saving the raw bytes of object-valued events to data files in the working
// directory, under the names the events carry.
#ifndef VYN_REPORT_DATA_FILE_WRITER_H_
#define VYN_REPORT_DATA_FILE_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/event_store.h"

namespace vyn::profiling {

// The name comes from the log and is therefore untrusted: it must stay below the
// working directory, must not pass through a symbolic link, and must never
// replace an existing file. A taken name moves on to the next numbered candidate
// ("out.bin", "out_1.bin", "out_2.bin", ...). Failures are logged, not returned.
class DataFileWriter {
 public:
  // Nothing for an empty name.
  void write(std::string_view name, ByteView bytes);

 private:
  // For each name, the first numbered candidate not yet known to be taken (0:
  // the name itself).
  std::unordered_map<std::string, std::uint64_t> nextNumber_;
};

}  // namespace vyn::profiling

#endif  // VYN_REPORT_DATA_FILE_WRITER_H_
