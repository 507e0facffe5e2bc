// The framing of a profiling log and the verifier limits every record must meet.
//
// A log is a plain concatenation of frames, with no file header and no trailer:
//   offset 0: length L of the record, unsigned 32-bit, little-endian
//   offset 4: L bytes, one FlatBuffers buffer whose root is a ProfileLogRecord
// The file ends cleanly where a complete length prefix cannot be read, so one to
// three stray bytes after the last frame are not an error.
#ifndef VYN_FORMAT_RECORD_FORMAT_H_
#define VYN_FORMAT_RECORD_FORMAT_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "profile_log_generated.h"

namespace vyn::profiling {

inline constexpr std::size_t kLengthPrefixSize = 4;

// The length prefix that frames a record of `length` bytes.
inline std::array<std::uint8_t, kLengthPrefixSize> lengthPrefix(std::uint32_t length) {
  return {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
          static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
}

// The root offset, the root table's vtable offset and the two sizes of its
// vtable: no record is shorter.
inline constexpr std::size_t kSmallestRecordSize =
    sizeof(flatbuffers::uoffset_t) + sizeof(flatbuffers::soffset_t) + 2 * sizeof(std::uint16_t);

// Records at or beyond this size cannot be verified by the FlatBuffers library.
inline constexpr std::uint64_t kMaxRecordSize = 0x7FFFFFFF;

// Every table of a record needs at least eight bytes of its own: the 4-byte
// offset that refers to it and its own 4-byte vtable offset. A record that makes
// the verifier visit more tables than that shares subtrees, which could multiply
// a few kilobytes into billions of events; it is refused.
inline constexpr std::size_t kMinBytesPerTable = 8;

// The options every record of recordSize bytes is verified with, by the reader
// and by the tools: nesting up to 64 levels, no alignment requirement, and no
// table limit beyond what the record's bytes can hold.
inline flatbuffers::Verifier::Options recordVerifierOptions(std::size_t recordSize) {
  flatbuffers::Verifier::Options options;
  options.max_depth = 64;
  options.max_tables =
      static_cast<flatbuffers::uoffset_t>(std::min<std::uint64_t>(0xFFFFFFFF, recordSize / kMinBytesPerTable));
  options.check_alignment = false;
  options.check_nested_flatbuffers = true;
  return options;
}

// Texts and byte values that the reader copies out of a record may add up to at
// most this many times the record's size. In a record written as a tree they add
// up to less than its size; more means that many tables share one large text or
// byte value, which would multiply a small record into gigabytes of copies.
inline constexpr std::size_t kMaxCopiedBytesPerRecordByte = 4;

// Whether bytes[0, size) hold one valid record: it verifies with
// recordVerifierOptions(size), and what the reader would copy out of it stays
// within kMaxCopiedBytesPerRecordByte times its size.
bool verifyRecord(const std::uint8_t* bytes, std::size_t size);

// Why a reader refuses a record.
enum class RecordFaultKind {
  TooLarge,       // at or beyond kMaxRecordSize
  Malformed,      // does not verify with recordVerifierOptions
  CopiesTooMuch,  // verifies, but would make the reader copy more than its budget
};

struct RecordFault {
  RecordFaultKind kind;
  // The message to blame, when the fault lies inside one.
  std::optional<std::size_t> message;
  // What is wrong, in words a person can act on: which part of a malformed
  // record fails ("message 3 has no timing (a required field)"), or the sizes
  // of one that copies too much.
  std::string words;
};

// Nothing when verifyRecord(bytes, size) holds, else why not. A malformed
// record is looked at part by part (record_diagnosis.cpp), so that the words
// name the part that fails. CopiesTooMuch gives the sizes: "the record's
// messages and events would copy 4000000 bytes of names and values; the
// reader allows 81920 for a record of 20480 bytes". Costs nothing beyond
// verifyRecord unless the record is refused.
std::optional<RecordFault> findRecordFault(const std::uint8_t* bytes, std::size_t size);

// Which part of a record that does not verify with recordVerifierOptions fails.
RecordFault diagnoseMalformedRecord(const std::uint8_t* bytes, std::size_t size);

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_RECORD_FORMAT_H_
