// The framing of a profiling log and the verifier limits every record must meet.
//
// A log is a plain concatenation of frames, with no file header and no trailer:
//   offset 0: length L of the record, unsigned 32-bit, little-endian
//   offset 4: L bytes, one FlatBuffers buffer whose root is a ProfileLogRecord
// The file ends cleanly where a complete length prefix cannot be read, so one to
// three stray bytes after the last frame are not an error.
#ifndef VYN_FORMAT_RECORD_FORMAT_H_
#define VYN_FORMAT_RECORD_FORMAT_H_

#include <cstddef>
#include <cstdint>

#include "profile_log_generated.h"

namespace vyn::profiling {

inline constexpr std::size_t kLengthPrefixSize = 4;

// Records at or beyond this size cannot be verified by the FlatBuffers library.
inline constexpr std::uint64_t kMaxRecordSize = 0x7FFFFFFF;

// The options every record is verified with, by the reader and by the tools.
inline flatbuffers::Verifier::Options recordVerifierOptions() {
  flatbuffers::Verifier::Options options;
  options.max_depth = 64;
  options.max_tables = 0xFFFFFFFF;
  options.check_alignment = false;
  options.check_nested_flatbuffers = true;
  return options;
}

// Whether bytes[0, size) hold one valid record.
inline bool verifyRecord(const std::uint8_t* bytes, std::size_t size) {
  if (size >= kMaxRecordSize) return false;
  flatbuffers::Verifier verifier(bytes, size, recordVerifierOptions());
  return verifier.VerifyBuffer<fb::ProfileLogRecord>(nullptr);
}

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_RECORD_FORMAT_H_
